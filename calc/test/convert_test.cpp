// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The conversions between numbers and text: how a typed text is read
// (leniently, the point as the only separator), how a number is written
// (15 significant digits, the separator given, the exponent form), and
// the errors each raises.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "lc/calc.h"
#include "lc/testing/raises.h"

namespace {

using lc::ErrorKind;
using lc::NumberFormat;
using lc::testing::kindRaisedBy;

constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kMinSubnormal = std::numeric_limits<double>::denorm_min();

struct ReadCase {
  const char* text;
  double value;
};

TEST(LeadingNumber, readsTheNumberAtTheStartOfTheText) {
  const ReadCase cases[] = {
      {"", 0},
      {"abc", 0},
      {"  7.5 MHz", 7.5},
      {"\t\n 12", 12},
      {"7,5", 7},  // only the point separates decimals, whatever the locale
      {"7.", 7},
      {"-3", -3},
      {"+2", 2},
      {"+", 0},
      {"-", 0},
      {".", 0},
      {".5", 0.5},
      {"-.5", -0.5},
      {"1e3", 1000},
      {"1E3", 1000},
      {"2E-306", 2E-306},
      {"1e", 1},  // an exponent letter without digits is ignored
      {"1e+", 1},
      {"1e-x", 1},
      {"0x1A", 0},  // no hexadecimal prefixes
      {"&H10", 0},
      {"1 000", 1},  // no blanks inside the number
      {"+-3", 0},
      {"--3", 0},
      {"inf", 0},
      {"nan", 0},
      {"E5", 0},
      {"\r7", 7},
      {"\v\f7", 7},
      {"\x01"
       "7",
       0},  // a control character that is no blank
      {"4.9406564584124654e-324", kMinSubnormal},
      {"1.7976931348623157e308", kMax},
      {"0.1", 0.1},
      {"144", 144},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lc::LeadingNumber(c.text), c.value) << '"' << c.text << '"';
  }
}

TEST(LeadingNumber, raisesOverflowBeyondTheDoubleRange) {
  const char* cases[] = {
      "1e309",
      "-1e309",
      "1.8e308",
      "1797693134862315807937289714053034150799341327710e260",  // just past the rounding limit
      "1e99999999999999999999999",                              // exponent too long for an integer
      "0.000000000000000000001e330",
      "12e9223372036854775807",  // the largest exponent an integer holds, and two digits
      "-12e9223372036854775807",
  };
  for (const char* text : cases) {
    EXPECT_EQ(kindRaisedBy([&] { lc::LeadingNumber(text); }), ErrorKind::Overflow) << text;
  }
}

TEST(LeadingNumber, keepsTheSignOfANumberTooSmallForADouble) {
  const ReadCase cases[] = {
      {"1e-400", kMinSubnormal},
      {"-1e-400", -kMinSubnormal},
      {"1e-99999999999999999999999", kMinSubnormal},  // exponent too long for an integer
      {"100000000000000000000e-350", kMinSubnormal},
      {"2e-324", kMinSubnormal},  // below half the smallest double, so it would round to 0
      {"0e-400", 0},              // zero stays zero
      {"-0.001e-9223372036854775808", -kMinSubnormal},  // the smallest exponent an integer holds
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lc::LeadingNumber(c.text), c.value) << c.text;
  }
  EXPECT_EQ(lc::LeadingNumber("0." + std::string(400, '0') + "7"), kMinSubnormal);
}

TEST(LeadingNumber, skipsBlanksAndInvisibleMarksOfCopiedText) {
  const char* marks[] = {
      "\u00A0",  // no-break space
      "\u202F",  // narrow no-break space
      "\u2000",  // en quad, the first of the typographic spaces
      "\u2003",  // em space
      "\u3000",  // ideographic space
      "\u0085",  // next line
      "\u2028",  // line separator
      "\u200B",  // zero-width space
      "\u200E",  // left-to-right mark
      "\u200F",  // right-to-left mark
      "\u061C",  // Arabic letter mark
      "\u202A",  // left-to-right embedding
      "\u202E",  // right-to-left override
      "\u2060",  // word joiner
      "\u2066",  // left-to-right isolate
      "\u2069",  // pop directional isolate
      "\uFEFF",  // byte-order mark
  };
  for (const char* mark : marks) {
    EXPECT_EQ(lc::LeadingNumber(std::string(mark) + " \u00A0" + mark + "7"), 7) << mark;
  }
  const ReadCase others[] = {
      {"\u00AD"
       "7",
       0},  // a soft hyphen is visible where it breaks: no blank
      {"7\u00A0"
       "5",
       7},  // reading still stops at the first non-digit
      {"-\u00A0"
       "7",
       0},  // no blanks between the sign and the digits
      {"\xC0\xA0"
       "7",
       0},  // an overlong space is malformed UTF-8, not a blank
      {"\xE0\x80\xA0"
       "7",
       0},              // so is a three-byte one
      {"\xE2\x80", 0},  // a truncated sequence
      {"\u0667", 0},    // an Arabic-Indic digit seven: digits are ASCII only
  };
  for (const auto& c : others) {
    EXPECT_EQ(lc::LeadingNumber(c.text), c.value) << c.text;
  }
}

TEST(IntegerToText, writesPlainDecimal) {
  EXPECT_EQ(lc::IntegerToText(0), "0");
  EXPECT_EQ(lc::IntegerToText(7), "7");
  EXPECT_EQ(lc::IntegerToText(-1), "-1");
  EXPECT_EQ(lc::IntegerToText(32767), "32767");
  EXPECT_EQ(lc::IntegerToText(-32768), "-32768");
}

struct WriteCase {
  double value;
  const char* text;
};

TEST(NumberToText, writesFifteenSignificantDigits) {
  const WriteCase cases[] = {
      {0.0, "0"},
      {-0.0, "0"},
      {300, "300"},
      {600, "600"},
      {42.857142857142854, "42.8571428571429"},
      {2.0833333333333335, "2.08333333333333"},
      {4.16666666666666, "4.16666666666666"},
      {-7.25, "-7.25"},
      {0.1, "0.1"},
      {1.0 / 3, "0.333333333333333"},
      {2.0 / 3, "0.666666666666667"},
      {123456789012345, "123456789012345"},  // 15 digits, the widest plain integer
      {1234567890123456, "1.23456789012346E+15"},
      {99999999999999.95, "100000000000000"},  // rounds up to 1e14, still plain
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lc::NumberToText(c.value), c.text) << c.value;
  }
}

TEST(NumberToText, switchesToExponentFormOutsideMinus4To14) {
  const WriteCase cases[] = {
      {1e-4, "0.0001"},  // lowest decimal exponent written plainly
      {9.99999999999999e-5, "9.99999999999999E-05"},
      {1e-5, "1E-05"},
      {1e14, "100000000000000"},  // highest decimal exponent written plainly
      {999999999999999.4, "999999999999999"},
      {999999999999999.6, "1E+15"},  // rounding carries into the next decade
      {1e15, "1E+15"},
      {1.5e308, "1.5E+308"},
      {3e-148, "3E-148"},
      {1.76470588235294e-300, "1.76470588235294E-300"},
      {kMax, "1.79769313486232E+308"},
      {kMinSubnormal, "4.94065645841247E-324"},
      {-2.5e-10, "-2.5E-10"},
      {1e100, "1E+100"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lc::NumberToText(c.value), c.text) << c.value;
  }
}

TEST(NumberToText, usesTheGivenSeparatorAndNoGrouping) {
  const NumberFormat comma{","};
  const NumberFormat arabic{"\xD9\xAB"};  // U+066B ARABIC DECIMAL SEPARATOR, two bytes
  EXPECT_EQ(lc::NumberToText(42.857142857142854, comma), "42,8571428571429");
  EXPECT_EQ(lc::NumberToText(1234567.5, comma), "1234567,5");
  EXPECT_EQ(lc::NumberToText(1.5e308, comma), "1,5E+308");
  EXPECT_EQ(lc::NumberToText(300, comma), "300");
  EXPECT_EQ(lc::NumberToText(0.25, arabic),
            "0\xD9\xAB"
            "25");
}

TEST(NumberToText, writesNonFiniteValuesReadably) {
  EXPECT_EQ(lc::NumberToText(std::numeric_limits<double>::infinity()), "Infinity");
  EXPECT_EQ(lc::NumberToText(-std::numeric_limits<double>::infinity()), "-Infinity");
  EXPECT_EQ(lc::NumberToText(std::numeric_limits<double>::quiet_NaN()), "NaN");
}

TEST(TextToNumber, readsWhatNumberToTextWrites) {
  const ReadCase cases[] = {
      {"0", 0},
      {"300", 300},
      {"-7.25", -7.25},
      {"2.08333333333333", 2.08333333333333},
      {"1E-05", 1e-5},
      {"1.5E+308", 1.5e308},
      {"4.94065645841247E-324", kMinSubnormal},
      {"1E+15", 1e15},
      {"007", 7},
      {"1E-400", 0},  // underflows to zero
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lc::TextToNumber(c.text), c.value) << c.text;
  }
  EXPECT_EQ(lc::TextToNumber("42,8571428571429", NumberFormat{","}), 42.8571428571429);
  EXPECT_EQ(lc::TextToNumber("0\xD9\xAB"
                             "25",
                             NumberFormat{"\xD9\xAB"}),
            0.25);
  EXPECT_TRUE(std::signbit(lc::TextToNumber("-1E-400")));
  // Longer than any text NumberToText writes, so it is rewritten on the heap.
  const std::string hundredZeros(100, '0');
  EXPECT_EQ(lc::TextToNumber("2," + hundredZeros + "1", NumberFormat{","}), 2.0);
}

TEST(TextToNumber, doublingTheDisplayedWavelengthStaysOnItsDigits) {
  const double wavelength = lc::TextToNumber("2.08333333333333");
  EXPECT_EQ(lc::NumberToText(wavelength + wavelength), "4.16666666666666");
}

TEST(TextToNumber, rejectsEverythingElseAsUnreadable) {
  const char* cases[] = {
      "",     " 7",       "7 ",  "+7",    "7.",    ".5",       "1.2.3", "7,5",
      "1e5",  "1E5",      "1E",  "1E+",   "E+05",  "-",        "--7",   "abc",
      "0x10", "Infinity", "NaN", "1,000", "1E+5x", "\xD9\xA3",  // an Arabic-Indic digit three
  };
  for (const char* text : cases) {
    EXPECT_EQ(kindRaisedBy([&] { lc::TextToNumber(text); }), ErrorKind::UnreadableNumber)
        << '"' << text << '"';
  }
  // With a comma separator the point is no longer accepted.
  EXPECT_EQ(kindRaisedBy([] { lc::TextToNumber("7.5", NumberFormat{","}); }),
            ErrorKind::UnreadableNumber);
  EXPECT_EQ(kindRaisedBy([] { lc::TextToNumber("7,5,1", NumberFormat{","}); }),
            ErrorKind::UnreadableNumber);
}

TEST(TextToNumber, raisesOverflowBeyondTheDoubleRange) {
  // The 15-digit rounding of the largest double lies beyond it.
  const char* cases[] = {"1.79769313486232E+308", "-1E+309", "1E+99999999999999999999",
                         "12E+9223372036854775807"};
  for (const char* text : cases) {
    EXPECT_EQ(kindRaisedBy([&] { lc::TextToNumber(text); }), ErrorKind::Overflow) << text;
  }
  const std::string hundredZeros(100, '0');
  EXPECT_EQ(kindRaisedBy([&] {
              lc::TextToNumber(
                  "1" + hundredZeros + hundredZeros + hundredZeros + hundredZeros + ",5",
                  NumberFormat{","});
            }),
            ErrorKind::Overflow);
}

}  // namespace
