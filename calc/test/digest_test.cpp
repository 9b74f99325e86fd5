// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// One digest of what the conversions give for a million random doubles and a
// million long decimal texts. Every build (Linux, Windows, WebAssembly) must
// give the same, bit for bit: the standard library's conversions differ
// between them, or are stood in for, and the results must not.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "lc/calc.h"
#include "lc/testing/bits.h"

namespace {

constexpr int kCases = 1'000'000;

// FNV-1a, 64 bits.
class Digest {
 public:
  void add(std::string_view text) {
    for (const char c : text) mix(static_cast<unsigned char>(c));
    mix(0xFF);  // ends the text
  }
  void add(double value) {
    const std::uint64_t bits = lc::testing::bitsOf(value);
    for (int shift = 0; shift < 64; shift += 8) mix(static_cast<unsigned char>(bits >> shift));
  }
  std::uint64_t value() const { return hash_; }

 private:
  void mix(unsigned char byte) { hash_ = (hash_ ^ byte) * 0x100000001b3; }
  std::uint64_t hash_ = 0xcbf29ce484222325;
};

// What reading `text` gives: the value, or the kind of error.
template <typename Read>
void addReading(Digest& digest, Read read) {
  try {
    digest.add(read());
  } catch (const lc::RuntimeError& error) {
    digest.add("error " + std::to_string(static_cast<int>(error.kind())));
  }
}

// Only the engine's raw output: the standard distributions differ between
// standard libraries.
std::uint64_t below(std::mt19937_64& random, std::uint64_t bound) { return random() % bound; }

TEST(Digest, isTheSameOnEveryPlatform) {
  std::mt19937_64 random(20261208);
  const lc::NumberFormat comma{","};
  Digest digest;
  for (int i = 0; i < kCases; ++i) {
    // Any finite double: random bits, the largest exponent field excluded.
    std::uint64_t bits = random();
    if ((bits >> 52 & 0x7FF) == 0x7FF) bits ^= std::uint64_t{1} << 62;
    const std::string text = lc::NumberToText(lc::testing::doubleOf(bits), comma);
    digest.add(text);
    addReading(digest, [&] { return lc::TextToNumber(text, comma); });
  }
  for (int i = 0; i < kCases; ++i) {
    // Long numerals: 1 to 60 digits, a point somewhere, an exponent near the
    // ends of the range, runs of 0 and 9 where rounding is hardest.
    std::string digits;
    const auto length = 1 + below(random, 60);
    const char run = below(random, 2) ? '9' : '0';
    for (std::uint64_t d = 0; d < length; ++d) {
      digits += below(random, 4) == 0 ? static_cast<char>('0' + below(random, 10)) : run;
    }
    digits.insert(static_cast<std::size_t>(below(random, digits.size() + 1)), ".");
    // (One draw a statement: the order of two in one expression is unspecified.)
    const auto lead = below(random, 10) + 1;
    const auto exponent = static_cast<int>(below(random, 680)) - 360;
    const std::string text = std::to_string(lead) + digits + "E" + std::to_string(exponent);
    addReading(digest, [&] { return lc::LeadingNumber(text); });
    if (text[1] != '.' && text.back() != '.') {
      std::string written = text;
      written.insert(written.find('E') + 1, written.find("E-") == std::string::npos ? "+" : "");
      addReading(digest, [&] { return lc::TextToNumber(written); });
    }
  }
  EXPECT_EQ(digest.value(), 0x05d24e77ccab280cu) << std::hex << digest.value();
}

}  // namespace
