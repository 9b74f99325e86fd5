// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The resonant LC circuit calculation run by the window's "OK" button.
#pragma once

#include "lc/convert.h"
#include "lc/form_fields.h"

namespace lc {

// Reads the frequency in MHz from F with LeadingNumber and shows, in this
// order, the wavelength in metres in LL, a capacitance in picofarads of two
// per metre of wavelength in C, and the inductance in microhenries that
// resonates with it in L. The capacitance is twice the wavelength as LL
// shows it (read back from LL), and the inductance uses the capacitance as
// C shows it, so the three texts always agree with each other.
// A frequency at or below 0, or text without a leading number, writes "0"
// to L, C and LL, in that order, and computes nothing.
// Raises the RuntimeError of the first failing step and catches nothing:
// fields written before it keep their new texts, the others their old ones.
void Ok_Click(FormFields& fields, const NumberFormat& format = {});

}  // namespace lc
