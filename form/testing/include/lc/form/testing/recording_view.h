// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// A view with no window: it keeps what the form told it, so that a test can
// see what a click shows without drawing it. Its report can run code while
// it is open, as a user pressing OK again would, and so can its results as
// they are shown.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "lc/form/form.h"

namespace lc::form::testing {

struct RecordingView : View {
  std::string shown[4];  // indexed by Field
  std::string hint;
  std::vector<std::string> reports;  // "name / detail"
  std::vector<std::string> announced;
  std::function<void()> whileShowing;
  std::function<void()> whileReportOpen;

  void showResult(Field field, std::string_view text) override {
    if (whileShowing) whileShowing();
    shown[static_cast<std::size_t>(field)] = text;
  }
  void showReadHint(std::string_view text) override { hint = text; }
  void announce(std::string_view text) override { announced.emplace_back(text); }
  void reportError(std::string_view name, std::string_view detail) override {
    reports.push_back(std::string(name) + " / " + std::string(detail));
    if (whileReportOpen) whileReportOpen();
  }
};

}  // namespace lc::form::testing
