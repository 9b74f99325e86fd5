// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
#include "lc/error.h"

namespace lc {

RuntimeError::RuntimeError(ErrorKind kind) : std::runtime_error(describe(kind)), kind_(kind) {}

const char* describe(ErrorKind kind) noexcept {
  switch (kind) {
    case ErrorKind::Overflow:
      return "Overflow";
    case ErrorKind::DivisionByZero:
      return "Division by zero";
    case ErrorKind::UnreadableNumber:
      return "Unreadable number";
    case ErrorKind::InvalidResult:
      return "Invalid result (not a number)";
    case ErrorKind::FieldAccess:
      return "Field access failed";
  }
  return "Unknown error";
}

}  // namespace lc
