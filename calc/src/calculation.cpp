// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
#include "lc/calculation.h"

#include <cstdint>
#include <string>

#include "lc/checked.h"

namespace lc {
namespace {

// Frequencies at or below this (in MHz) give the all-zero answer.
constexpr std::int16_t kThreshold = 0;
constexpr std::int32_t kHertzPerMegahertz = 1'000'000;
// Metres per second; the numerator of the wavelength.
constexpr std::int32_t kSpeedOfLight = 300'000'000;
constexpr double kFaradsPerPicofarad = 1e-12;
// Deliberately 6.28, not 2 * pi: the results are those of the circuit rule
// this calculator has always used.
constexpr double kTwoPi = 6.28;
constexpr std::int16_t kSquare = 2;
constexpr std::int16_t kNumerator = 1;
constexpr std::int32_t kMicrohenriesPerHenry = 1'000'000;

}  // namespace

void Ok_Click(FormFields& fields, const NumberFormat& format) {
  double frequency = LeadingNumber(fields.ReadText(Field::F));
  if (LessOrEqual(frequency, kThreshold)) {
    const std::string zero = IntegerToText(0);
    fields.WriteText(Field::L, zero);
    fields.WriteText(Field::C, zero);
    fields.WriteText(Field::LL, zero);
    return;
  }
  frequency = CheckedMultiply(frequency, kHertzPerMegahertz);

  // The wavelength is shown first; the capacitance is derived from the text
  // shown, so that "C" is always exactly twice what "LL" displays.
  fields.WriteText(Field::LL, NumberToText(CheckedDivide(kSpeedOfLight, frequency), format));
  const double wavelength = TextToNumber(fields.ReadText(Field::LL), format);
  fields.WriteText(Field::C, NumberToText(CheckedAdd(wavelength, wavelength), format));

  const double capacitance =
      CheckedMultiply(TextToNumber(fields.ReadText(Field::C), format), kFaradsPerPicofarad);
  const double angular = CheckedMultiply(kTwoPi, frequency);
  const double square = CheckedPower(angular, kSquare);
  const double inductance = CheckedDivide(kNumerator, CheckedMultiply(square, capacitance));
  fields.WriteText(Field::L,
                   NumberToText(CheckedMultiply(inductance, kMicrohenriesPerHenry), format));
}

}  // namespace lc
