// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The window and a click as JSON, in one shape for every reader: the page's
// script, which draws a click's outcome, and the tests that hold each
// front-end to form/.
#pragma once

#include <string>
#include <string_view>

#include "lc/convert.h"

namespace lc::form {

// The window as layout.h describes it: "title", "width", "height", the
// "frequencyFont" (family, pixels, weight, charset), "windowFontPixels",
// "maxFrequencyLength", "resultIndent", "copyEntry", "errorHint",
// "reportButton", and the "controls" in the order they are created, each
// with its "name", "kind", "text", "left", "top", "width", "height",
// "tabIndex" and, for a value field, the "caption" that names it.
std::string windowJson();

// A click of OK on `typed` with results written in `format`, as a JSON
// object: each result it wrote, by its control's name ("L", "C", "LL"; a
// blanked one ""), the "hint", the "errorName" and "errorDetail" of its
// report if it failed, and the "announcement" if one was made. Never
// throws for the click's sake: a fault is reported as the window would.
std::string clickJson(std::string_view typed, const NumberFormat& format);

}  // namespace lc::form
