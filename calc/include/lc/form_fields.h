// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The calculation's access to the window's fields.
#pragma once

#include <string>
#include <string_view>

namespace lc {

// The window's value fields, named as the window names its controls:
// F, the typed frequency; L, the inductance; C, the capacitance;
// LL, the wavelength.
enum class Field { F, L, C, LL };

// Implemented by the window (and by tests). Texts are UTF-8.
class FormFields {
 public:
  virtual ~FormFields() = default;

  // The text the field holds. After WriteText to the same field this is
  // exactly the text written. May raise RuntimeError(FieldAccess).
  virtual std::string ReadText(Field field) const = 0;

  // Replaces the text the field shows. May raise RuntimeError(FieldAccess).
  virtual void WriteText(Field field, std::string_view text) = 0;
};

}  // namespace lc
