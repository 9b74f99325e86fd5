// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The one kind of failure the calculation raises.
#pragma once

#include <stdexcept>

namespace lc {

enum class ErrorKind {
  Overflow,          // a result beyond the double range
  DivisionByZero,    // a divisor of zero
  UnreadableNumber,  // text that is not a number in the expected form
  InvalidResult,     // a result that is not a number (NaN)
  FieldAccess,       // reading or writing a window field failed
};

// Thrown by every failing step; nothing in the library catches it.
class RuntimeError : public std::runtime_error {
 public:
  explicit RuntimeError(ErrorKind kind);
  ErrorKind kind() const noexcept { return kind_; }

 private:
  ErrorKind kind_;
};

// A short English description of `kind`, the text RuntimeError::what() gives.
const char* describe(ErrorKind kind) noexcept;

}  // namespace lc
