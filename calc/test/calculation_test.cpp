// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// Ok_Click through a recording set of fields: the worked values, the zero
// answer, the chain from the shown wavelength to the capacitance and the
// inductance, and where each failure is raised and what it leaves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lc/calc.h"
#include "lc/testing/fields.h"
#include "lc/testing/raises.h"

namespace {

using lc::ErrorKind;
using lc::Field;
using lc::testing::kindRaisedBy;
using lc::testing::RecordingFields;
using Access = RecordingFields::Access;
using Event = RecordingFields::Event;

// Result fields as an earlier click left them, to see which ones a click changes.
RecordingFields fieldsWithFrequency(const std::string& frequency) {
  return {{Field::F, frequency}, {Field::L, "old L"}, {Field::C, "old C"}, {Field::LL, "old LL"}};
}

struct Results {
  const char* frequency;
  const char* ll;
  const char* c;
  const char* l;
};

void expectResults(const RecordingFields& fields, const Results& r) {
  EXPECT_EQ(fields.text(Field::LL), r.ll) << "F = \"" << r.frequency << '"';
  EXPECT_EQ(fields.text(Field::C), r.c) << "F = \"" << r.frequency << '"';
  EXPECT_EQ(fields.text(Field::L), r.l) << "F = \"" << r.frequency << '"';
}

TEST(OkClick, showsWavelengthCapacitanceAndInductance) {
  const Results cases[] = {
      {"1", "300", "600", "42.2599970248962"},
      {"7", "42.8571428571429", "85.7142857142858", "6.03714243212803"},
      // C is twice the displayed wavelength, not twice the exact quotient.
      {"144", "2.08333333333333", "4.16666666666666", "0.29347220156178"},
      {"7,1", "42.8571428571429", "85.7142857142858", "6.03714243212803"},
      {"  7 MHz", "42.8571428571429", "85.7142857142858", "6.03714243212803"},
      // Every result in exponent form.
      {"7E+20", "4.28571428571429E-19", "8.57142857142858E-19", "6.03714243212802E-20"},
  };
  for (const auto& r : cases) {
    RecordingFields fields = fieldsWithFrequency(r.frequency);
    lc::Ok_Click(fields);
    expectResults(fields, r);
  }
}

TEST(OkClick, showsZeroEverywhereForNoPositiveFrequency) {
  for (const char* frequency : {"", "0", "-5", "abc", "-0", "+", "-1e-400", ",5"}) {
    RecordingFields fields = fieldsWithFrequency(frequency);
    lc::Ok_Click(fields);
    expectResults(fields, {frequency, "0", "0", "0"});
  }
}

TEST(OkClick, writesInTheLocaleSeparatorAndReadsItBack) {
  RecordingFields fields = fieldsWithFrequency("144");
  lc::Ok_Click(fields, lc::NumberFormat{","});
  expectResults(fields, {"144", "2,08333333333333", "4,16666666666666", "0,29347220156178"});
}

TEST(OkClick, writesLLThenCThenLAndReadsBackWhatItWrote) {
  RecordingFields fields = fieldsWithFrequency("7");
  lc::Ok_Click(fields);
  const std::vector<Event> expected = {
      {Access::Read, Field::F, "7"},
      {Access::Write, Field::LL, "42.8571428571429"},
      {Access::Read, Field::LL, "42.8571428571429"},
      {Access::Write, Field::C, "85.7142857142858"},
      {Access::Read, Field::C, "85.7142857142858"},
      {Access::Write, Field::L, "6.03714243212803"},
  };
  EXPECT_EQ(fields.events(), expected);
}

TEST(OkClick, writesZerosToLThenCThenLL) {
  RecordingFields fields = fieldsWithFrequency("-1");
  lc::Ok_Click(fields);
  const std::vector<Event> expected = {
      {Access::Read, Field::F, "-1"},
      {Access::Write, Field::L, "0"},
      {Access::Write, Field::C, "0"},
      {Access::Write, Field::LL, "0"},
  };
  EXPECT_EQ(fields.events(), expected);
}

TEST(OkClick, givesTheSameTextsWhenClickedTwice) {
  RecordingFields fields = fieldsWithFrequency("144");
  lc::Ok_Click(fields);
  const std::string first[] = {fields.text(Field::LL), fields.text(Field::C),
                               fields.text(Field::L)};
  lc::Ok_Click(fields);
  EXPECT_EQ(fields.text(Field::LL), first[0]);
  EXPECT_EQ(fields.text(Field::C), first[1]);
  EXPECT_EQ(fields.text(Field::L), first[2]);
}

// One frequency from each range in which a click fails, with the fields it
// changed before the failing step; the others keep their old texts.
TEST(OkClick, stopsAtTheFailingStepAndKeepsEarlierTexts) {
  struct Case {
    const char* frequency;
    ErrorKind kind;
    Results after;
  };
  const Case cases[] = {
      // The wavelength passes the double range.
      {"1E-307", ErrorKind::Overflow, {"", "old LL", "old C", "old L"}},
      // Above 0 but too small for a double: the smallest one, so it fails alike.
      {"1e-400", ErrorKind::Overflow, {"", "old LL", "old C", "old L"}},
      // The wavelength's 15-digit text passes the range when read back.
      {"1.6688053938804015E-306",
       ErrorKind::Overflow,
       {"", "1.79769313486232E+308", "old C", "old L"}},
      // Doubling the wavelength passes the range.
      {"2E-306", ErrorKind::Overflow, {"", "1.5E+308", "old C", "old L"}},
      // The square of the angular frequency underflows to zero.
      {"1E-300", ErrorKind::DivisionByZero, {"", "3E+302", "6E+302", "old L"}},
      // ... or is a subnormal, whose few bits would give wrong digits.
      {"1E-165", ErrorKind::DivisionByZero, {"", "3E+167", "6E+167", "old L"}},
      {"2.3752677487898742E-161",  // the largest such frequency
       ErrorKind::DivisionByZero,
       {"", "1.26301550700059E+163", "2.52603101400118E+163", "old L"}},
      // The square passes the range.
      {"1E+150", ErrorKind::Overflow, {"", "3E-148", "6E-148", "old L"}},
      // The angular frequency passes the range.
      {"1E+302", ErrorKind::Overflow, {"", "3E-300", "6E-300", "old L"}},
      // The frequency in hertz passes the range.
      {"1.8E+302", ErrorKind::Overflow, {"", "old LL", "old C", "old L"}},
  };
  for (const auto& c : cases) {
    RecordingFields fields = fieldsWithFrequency(c.frequency);
    EXPECT_EQ(kindRaisedBy([&] { lc::Ok_Click(fields); }), c.kind) << c.frequency;
    expectResults(fields, {c.frequency, c.after.ll, c.after.c, c.after.l});
  }
}

TEST(OkClick, computesAtTheEdgesOfTheWorkingRange) {
  const Results cases[] = {
      // The smallest frequency whose square is a normal double.
      {"2.3752677487898746E-161", "1.26301550700059E+163", "2.52603101400118E+163",
       "1.77916771894143E+162"},
      // Just below the range where the square overflows.
      {"2.1E+147", "1.42857142857143E-145", "2.85714285714286E-145", "2.01238081070934E-146"},
  };
  for (const auto& r : cases) {
    RecordingFields fields = fieldsWithFrequency(r.frequency);
    lc::Ok_Click(fields);
    expectResults(fields, r);
  }
}

}  // namespace
