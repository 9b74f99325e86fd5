// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// Which RuntimeError an action raises.
#pragma once

#include <optional>

#include "lc/error.h"

namespace lc::testing {

// The kind of the RuntimeError that `action` raises; nothing when it raises
// none. Any other exception passes through.
template <typename Action>
std::optional<ErrorKind> kindRaisedBy(Action&& action) {
  try {
    action();
  } catch (const RuntimeError& error) {
    return error.kind();
  }
  return std::nullopt;
}

}  // namespace lc::testing
