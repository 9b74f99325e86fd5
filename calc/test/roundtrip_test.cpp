// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// NumberToText and TextToNumber over random doubles from every binade,
// judged against the C library: "%.15G"/"%.14E" and strtod in the "C" locale.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "lc/calc.h"
#include "lc/testing/bits.h"
#include "lc/testing/c_library.h"
#include "lc/testing/raises.h"

namespace {

constexpr int kCases = 1'000'000;

// A double with a uniformly random sign, biased exponent (0 = subnormal up
// to 2046, the largest finite binade) and fraction.
double randomFiniteDouble(std::mt19937_64& random) {
  const std::uint64_t sign = random() & 1;
  const std::uint64_t exponent = std::uniform_int_distribution<std::uint64_t>(0, 2046)(random);
  const std::uint64_t fraction = random() & ((std::uint64_t{1} << 52) - 1);
  return lc::testing::doubleOf(sign << 63 | exponent << 52 | fraction);
}

class RoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(RoundTrip, readsBackTheDoubleRoundedToFifteenDigits) {
  const lc::NumberFormat format{GetParam()};
  std::mt19937_64 random(20261208);
  int checked = 0;
  int overflows = 0;
  for (int i = 0; i < kCases; ++i) {
    const double x = randomFiniteDouble(random);
    const std::string text = lc::NumberToText(x, format);
    ASSERT_EQ(text, lc::testing::cLibraryText(x, format.decimal_separator)) << std::hexfloat << x;
    const double expected = lc::testing::cLibraryRounded(x);
    if (std::isinf(expected)) {
      EXPECT_THROW(lc::TextToNumber(text, format), lc::RuntimeError) << text;
      ++overflows;
      continue;
    }
    const double back = lc::TextToNumber(text, format);
    ASSERT_EQ(lc::testing::bitsOf(back), lc::testing::bitsOf(x == 0 ? 0.0 : expected))
        << text << " from " << std::hexfloat << x;
    ++checked;
  }
  RecordProperty("cases", checked + overflows);
  EXPECT_EQ(checked + overflows, kCases);
}

// Both ends of the range, where rounding to 15 digits meets the limits.
TEST_P(RoundTrip, handlesTheExtremes) {
  const lc::NumberFormat format{GetParam()};
  const double extremes[] = {
      std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::min(),
      std::nextafter(std::numeric_limits<double>::min(), 0.0),  // largest subnormal
      1.79769313486231e308,  // largest 15-digit text below the limit
  };
  for (const double x : extremes) {
    EXPECT_EQ(lc::TextToNumber(lc::NumberToText(x, format), format),
              lc::testing::cLibraryRounded(x))
        << x;
  }
  EXPECT_EQ(lc::testing::kindRaisedBy([&] {
              lc::TextToNumber(lc::NumberToText(std::numeric_limits<double>::max(), format),
                               format);
            }),
            lc::ErrorKind::Overflow);
}

INSTANTIATE_TEST_SUITE_P(Separators, RoundTrip, ::testing::Values(".", ","),
                         [](const auto& instance) {
                           return std::string(instance.param[0] == '.' ? "point" : "comma");
                         });

}  // namespace
