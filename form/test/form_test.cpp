// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The click flow without a window: what a click shows and announces, how a
// failure is reported and what it leaves, the read hint, and where a long
// result is shortened.
#include "lc/form/form.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "lc/form/layout.h"
#include "lc/form/testing/recording_view.h"

namespace {

using lc::Field;
using lc::NumberFormat;
using lc::form::Form;

using lc::form::testing::RecordingView;

// Fits a label `width` characters wide.
auto charactersFit(std::size_t width) {
  return [width](std::string_view text) {
    std::size_t characters = 0;
    for (const char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return characters <= width;
  };
}

TEST(ElideResult, dropsFractionDigitsBeforeTheExponent) {
  struct Case {
    const char* text;
    const char* separator;
    std::size_t width;
    const char* shown;
  };
  const Case cases[] = {
      {"4,28571428571429E-19", ",", 20, "4,28571428571429E-19"},  // fits: whole
      {"4,28571428571429E-19", ",", 17, "4,2857142857…E-19"},
      {"-1.76470588235294E-300", ".", 12, "-1.764…E-300"},
      {"0.333333333333333", ".", 10, "0.3333333…"},  // plain: the tail of the fraction
      {"4,28571428571429E-19", ",", 3, "4,…E-19"},   // too narrow: the digits go, not the exponent
      {"3E-148", ".", 3, "3E-148"},                  // no fraction to drop
      {"0\xD9\xAB"
       "123456",
       "\xD9\xAB", 5,
       "0\xD9\xAB"
       "12…"},  // a two-byte separator
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lc::form::elideResult(c.text, NumberFormat{c.separator}, charactersFit(c.width)),
              c.shown)
        << c.text << " in " << c.width;
  }
}

// (What a click of each text the scenario table types shows, hint and
// announcement included, is pinned in form.json; these are the rest.)
TEST(ReadHint, saysWhichNumberWasRead) {
  const NumberFormat comma{","};
  EXPECT_EQ(lc::form::readHint(" 0.5 MHz", comma), "Прочитано: 0,5 МГц");
  EXPECT_EQ(lc::form::readHint("1e400", comma), "Прочитано: число вне диапазона");
}

TEST(FormClick, readsBackExactlyWhatItWrote) {
  RecordingView view;
  Form form(view, NumberFormat{","});
  form.clickOk("7");
  EXPECT_TRUE(view.reports.empty());
  // What the labels show does not matter to the calculation.
  const std::string whole = view.shown[static_cast<int>(Field::C)];
  view.shown[static_cast<int>(Field::C)] = "85,71…";
  EXPECT_EQ(form.ReadText(Field::C), whole);
  EXPECT_EQ(whole, "85,7142857142858");
}

TEST(FormClick, blanksUnreachedResultsAndReportsOnce) {
  RecordingView view;
  Form form(view, NumberFormat{"."});
  form.clickOk("7");
  int pressesDuringReport = 0;
  view.whileReportOpen = [&] {
    // OK pressed again and again while the report is open: nothing happens.
    for (; pressesDuringReport < 5; ++pressesDuringReport) form.clickOk("144");
  };
  form.clickOk("1E+150");
  EXPECT_EQ(view.reports, std::vector<std::string>{"Переполнение / Введите другую частоту."});
  EXPECT_EQ(view.shown[static_cast<int>(Field::LL)], "3E-148");
  EXPECT_EQ(view.shown[static_cast<int>(Field::C)], "6E-148");
  EXPECT_EQ(view.shown[static_cast<int>(Field::L)], "");  // not 7 MHz's inductance
  EXPECT_EQ(form.ReadText(Field::L), "");
  // What the failed click reached is announced once its report is closed.
  EXPECT_EQ(view.announced.back(), "C, пФ 6E-148; W, М 3E-148");
  // Once the report is closed, clicks work again.
  view.whileReportOpen = nullptr;
  form.clickOk("144");
  EXPECT_EQ(view.shown[static_cast<int>(Field::C)], "4.16666666666666");
}

TEST(FormClick, aFailedClickSaysWhatWasReadAndAnnouncesOnlyWhatItReached) {
  struct Case {
    const char* typed;
    const char* hint;
    std::vector<std::string> announced;
  };
  const Case cases[] = {
      {"1E+150", "Прочитано: 1E+150 МГц", {"C, пФ 6E-148; W, М 3E-148"}},
      {"1e400", "Прочитано: число вне диапазона", {}},  // nothing reached, nothing said
  };
  for (const auto& c : cases) {
    RecordingView view;
    Form form(view, NumberFormat{"."});
    form.clickOk("7");
    view.announced.clear();
    form.clickOk(c.typed);
    EXPECT_EQ(view.hint, c.hint) << c.typed;
    EXPECT_EQ(view.announced, c.announced) << c.typed;
  }
}

TEST(Layout, visitsTheControlsInTheirTabOrder) {
  const std::vector<std::pair<std::string_view, int>> expected = {
      {"F", 0},        {"Ok", 1},     {"L", 2},      {"C", 3},      {"LL", 4},
      {"Command1", 5}, {"Frame1", 6}, {"Label1", 7}, {"Label2", 8}, {"Label3", 9}};
  std::vector<std::pair<std::string_view, int>> order;
  for (const lc::form::Control* control : lc::form::inTabOrder()) {
    order.emplace_back(control->name, control->tabIndex);
  }
  EXPECT_EQ(order, expected);
}

}  // namespace

TEST(FormFault, isReportedAsAnInternalErrorWhateverWasThrown) {
  struct Case {
    const char* what;
    std::function<void()> fault;
    const char* report;
  };
  const Case cases[] = {
      {"a std::exception", [] { throw std::runtime_error("broken"); },
       "Внутренняя ошибка / broken"},
      {"anything else", [] { throw 42; }, "Внутренняя ошибка / Неизвестная ошибка."},
  };
  for (const auto& c : cases) {
    // In a click, from the view...
    RecordingView view;
    Form form(view, NumberFormat{"."});
    view.whileShowing = [&c, thrown = false]() mutable {
      if (!std::exchange(thrown, true)) c.fault();
    };
    form.clickOk("7");
    view.whileShowing = nullptr;
    // ...and where a toolkit hands control to the program.
    try {
      c.fault();
    } catch (...) {
      lc::form::reportCurrentFault(view);
    }
    EXPECT_EQ(view.reports, (std::vector<std::string>{c.report, c.report})) << c.what;
    // A report that fails in its turn leaves nothing to unwind.
    view.whileReportOpen = [] { throw std::bad_alloc(); };
    try {
      c.fault();
    } catch (...) {
      lc::form::reportCurrentFault(view);
    }
  }
}
