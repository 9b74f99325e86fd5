// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// A view with no window: it keeps what the form last told it, so that a
// test or a tool can see what a click shows without drawing it.
#pragma once

#include <string>
#include <string_view>

#include "lc/form/form.h"

namespace lc::form::testing {

struct RecordingView : View {
  std::string results[4];  // indexed by Field
  std::string hint, error, detail, announcement;

  void showResult(Field field, std::string_view text) override {
    results[static_cast<int>(field)] = text;
  }
  void showReadHint(std::string_view text) override { hint = text; }
  void reportError(std::string_view name, std::string_view text) override {
    error = name;
    detail = text;
  }
  void announce(std::string_view text) override { announcement = text; }
};

}  // namespace lc::form::testing
