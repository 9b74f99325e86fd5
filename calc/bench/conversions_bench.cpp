// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The conversions and a whole click, each beside the C library call it
// replaces, on the same seeded inputs. Prints Google Benchmark's table, then
// each conversion's time per operation and its speed-up over the baseline.
#include <benchmark/benchmark.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "lc/calc.h"
#include "lc/testing/c_library.h"
#include "lc/testing/fields.h"

namespace {

constexpr std::size_t kInputs = 4096;

// Doubles across the whole range: a third of typical sizes (1e-3 to 1e3),
// the rest with a decimal exponent anywhere from -300 to 300.
const std::vector<double>& numbers() {
  static const std::vector<double> values = [] {
    std::mt19937_64 random(20261208);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> typical(-3, 3);
    std::uniform_int_distribution<int> anywhere(-300, 300);
    std::vector<double> result;
    for (std::size_t i = 0; i < kInputs; ++i) {
      const int exponent = i % 3 == 0 ? typical(random) : anywhere(random);
      result.push_back(mantissa(random) * std::pow(10.0, exponent));
    }
    return result;
  }();
  return values;
}

// The texts the result fields would show for those numbers.
const std::vector<std::string>& texts() {
  static const std::vector<std::string> values = [] {
    std::vector<std::string> result;
    for (const double x : numbers()) result.push_back(lc::NumberToText(x));
    return result;
  }();
  return values;
}

// Typed frequencies: the same numbers, some with a unit after them.
const std::vector<std::string>& typed() {
  static const std::vector<std::string> values = [] {
    std::vector<std::string> result;
    for (std::size_t i = 0; i < kInputs; ++i) {
      result.push_back(texts()[i] + (i % 2 == 0 ? "" : " MHz"));
    }
    return result;
  }();
  return values;
}

// Times `convert` over the inputs in turn; every benchmark below is one
// conversion on one of the input sets.
template <typename Input, typename Convert>
void runOver(benchmark::State& state, const std::vector<Input>& inputs, Convert convert) {
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(convert(inputs[i++ % inputs.size()]));
  }
  state.SetItemsProcessed(state.iterations());
}

const lc::NumberFormat kPoint;

void NumberToText(benchmark::State& state) {
  runOver(state, numbers(), [](double x) { return lc::NumberToText(x, kPoint); });
}

void NumberToText_snprintf(benchmark::State& state) {
  runOver(state, numbers(),
          [](double x) { return lc::testing::cLibraryText(x, kPoint.decimal_separator); });
}

void TextToNumber(benchmark::State& state) {
  runOver(state, texts(), [](const std::string& text) { return lc::TextToNumber(text, kPoint); });
}

void TextToNumber_strtod(benchmark::State& state) {
  runOver(state, texts(),
          [](const std::string& text) { return std::strtod(text.c_str(), nullptr); });
}

void LeadingNumber(benchmark::State& state) {
  runOver(state, typed(), [](const std::string& text) { return lc::LeadingNumber(text); });
}

void LeadingNumber_strtod(benchmark::State& state) {
  runOver(state, typed(),
          [](const std::string& text) { return std::strtod(text.c_str(), nullptr); });
}

void OkClick(benchmark::State& state) {
  // Frequencies from 1 kHz to 1 THz, all inside the working range.
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> logFrequency(-3, 6);
  std::vector<std::string> frequencies;
  for (int i = 0; i < 256; ++i)
    frequencies.push_back(lc::NumberToText(std::pow(10.0, logFrequency(random))));
  lc::testing::MemoryFields fields;
  std::size_t i = 0;
  for (auto _ : state) {
    fields.WriteText(lc::Field::F, frequencies[i++ % frequencies.size()]);
    lc::Ok_Click(fields);
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(NumberToText);
BENCHMARK(NumberToText_snprintf);
BENCHMARK(TextToNumber);
BENCHMARK(TextToNumber_strtod);
BENCHMARK(LeadingNumber);
BENCHMARK(LeadingNumber_strtod);
BENCHMARK(OkClick);

// Keeps each run's time per operation, to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& run : runs) {
      nanoseconds_[run.benchmark_name()] = run.GetAdjustedCPUTime();  // in ns: the default unit
    }
  }

  void printRatios() const {
    std::printf("\n%-16s %12s %12s %10s\n", "operation", "ns/op", "baseline", "speed-up");
    const std::pair<const char*, const char*> pairs[] = {
        {"NumberToText", "NumberToText_snprintf"},
        {"TextToNumber", "TextToNumber_strtod"},
        {"LeadingNumber", "LeadingNumber_strtod"},
    };
    for (const auto& [ours, theirs] : pairs) {
      if (!nanoseconds_.count(ours) || !nanoseconds_.count(theirs)) continue;  // filtered out
      const double a = nanoseconds_.at(ours);
      const double b = nanoseconds_.at(theirs);
      std::printf("%-16s %12.1f %12.1f %9.2fx\n", ours, a, b, b / a);
    }
    if (nanoseconds_.count("OkClick")) {
      std::printf("%-16s %12.1f %12s %10s\n", "OkClick", nanoseconds_.at("OkClick"), "-", "-");
    }
  }

 private:
  std::map<std::string, double> nanoseconds_;
};

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "C");  // the baselines read and write the point
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatios();
  benchmark::Shutdown();
  return 0;
}
