// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
#include "lc/convert.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

#include "charconv.h"
#include "lc/error.h"

namespace lc {
namespace detail {
namespace {

constexpr int kSignificantDigits = 15;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// from_chars reports result_out_of_range alike for a value beyond the double
// range and for one that underflows, and leaves the value untouched. This
// tells the two apart from the decimal exponent of the leading significant
// digit. `number` is an unsigned decimal that from_chars has just read:
// digits, an optional "." and digits, an optional exponent; it is not zero.
bool isTooLarge(std::string_view number) {
  // Decimal exponents of doubles lie within +-400. Beyond this bound an
  // exponent decides alone, and clamping it there keeps the sum below far
  // from the ends of long long, whatever the exponent and the digit count.
  constexpr long long kFar = 1LL << 48;
  const auto exponentAt = number.find_first_of("eE");
  long long exponent = 0;
  if (exponentAt != std::string_view::npos) {
    std::string_view text = number.substr(exponentAt + 1);
    if (text.front() == '+') text.remove_prefix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), exponent);
    if (ec == std::errc::result_out_of_range) exponent = text.front() == '-' ? -kFar : kFar;
    exponent = std::clamp(exponent, -kFar, kFar);
    number = number.substr(0, exponentAt);
  }
  const auto point = number.find('.');
  const std::string_view whole = number.substr(0, point);
  const auto firstWhole = whole.find_first_not_of('0');
  long long leading = 0;
  if (firstWhole != std::string_view::npos) {
    leading = static_cast<long long>(whole.size() - firstWhole) - 1;
  } else {
    const std::string_view fraction = number.substr(point + 1);
    leading = -static_cast<long long>(fraction.find_first_not_of('0')) - 1;
  }
  return leading + exponent > 0;
}

// Reads the unsigned decimal at the start of `text`, which from_chars must
// accept; the rest of the text is ignored. A value above 0 that is too small
// for a double reads as the smallest one, so that it stays above 0.
double readDecimal(std::string_view text) {
  double value = 0;
  const auto [end, ec] = fromChars(text.data(), text.data() + text.size(), value);
  if (ec == std::errc::result_out_of_range) {
    if (isTooLarge(text.substr(0, static_cast<std::size_t>(end - text.data())))) {
      throw RuntimeError(ErrorKind::Overflow);
    }
    return std::numeric_limits<double>::denorm_min();
  }
  return value;
}

// Blanks and invisible marks that text copied from web pages and
// spreadsheets carries before a number: every Unicode White_Space character,
// and the zero-width and bidirectional format characters.
bool isLeadingBlank(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x061C ||
         c == 0x1680 || (c >= 0x2000 && c <= 0x200B) || c == 0x200E || c == 0x200F || c == 0x2028 ||
         c == 0x2029 || (c >= 0x202A && c <= 0x202F) || c == 0x205F || c == 0x2060 ||
         (c >= 0x2066 && c <= 0x2069) || c == 0x3000 || c == 0xFEFF;
}

// The length in bytes of the blank that `text` starts with, or 0. Every such
// character takes one to three bytes of UTF-8; malformed and overlong
// sequences are no blanks.
std::size_t leadingBlankLength(std::string_view text) {
  const auto byte = [text](std::size_t i) {
    return static_cast<char32_t>(static_cast<unsigned char>(text[i]));
  };
  const auto continues = [&](std::size_t i) { return i < text.size() && (byte(i) & 0xC0) == 0x80; };
  const char32_t first = byte(0);
  char32_t c = 0;
  std::size_t length = 0;
  if (first < 0x80) {
    c = first;
    length = 1;
  } else if ((first & 0xE0) == 0xC0 && continues(1)) {
    c = (first & 0x1F) << 6 | (byte(1) & 0x3F);
    length = c >= 0x80 ? 2 : 0;
  } else if ((first & 0xF0) == 0xE0 && continues(1) && continues(2)) {
    c = (first & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
    length = c >= 0x800 ? 3 : 0;
  }
  return length != 0 && isLeadingBlank(c) ? length : 0;
}

// Whether an unsigned decimal that from_chars has read whole is in the form
// NumberToText writes: digits before and after the point, and an exponent
// written "E" with a sign. from_chars also takes "7.", ".5", "1e5", "1E5",
// "inf" and "nan", which are no such texts.
bool hasWrittenForm(std::string_view number) {
  if (number.empty() || !isDigit(number.front())) return false;
  const auto point = number.find('.');
  if (point != std::string_view::npos &&
      (point + 1 == number.size() || !isDigit(number[point + 1]))) {
    return false;
  }
  // (find_first_of would call memchr on "eE" for every character.)
  const auto exponent =
      std::find_if(number.begin(), number.end(), [](char c) { return c == 'e' || c == 'E'; });
  if (exponent == number.end()) return true;
  return *exponent == 'E' && exponent + 1 != number.end() &&
         (exponent[1] == '+' || exponent[1] == '-');
}

}  // namespace
}  // namespace detail

double LeadingNumber(std::string_view text) {
  while (!text.empty()) {
    const std::size_t blank = detail::leadingBlankLength(text);
    if (blank == 0) break;
    text.remove_prefix(blank);
  }
  if (text.empty()) return 0.0;

  bool negative = false;
  if (text.front() == '+' || text.front() == '-') {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // from_chars also takes "inf", "nan" and a second sign; a number here
  // starts with a digit, or with a point and a digit.
  const bool startsNumber =
      !text.empty() &&
      (detail::isDigit(text[0]) || (text[0] == '.' && text.size() > 1 && detail::isDigit(text[1])));
  if (!startsNumber) return 0.0;

  const double value = detail::readDecimal(text);
  return negative ? -value : value;
}

std::string IntegerToText(std::int16_t value) {
  std::array<char, 8> buffer{};
  const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
  return std::string(buffer.data(), end);
}

std::string NumberToText(double value, const NumberFormat& format) {
  if (value == 0) return "0";  // -0 too
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";

  // "%.15G" without the C locale: the longest text is "-1.23456789012345e-308".
  std::array<char, 32> buffer{};
  const auto end = detail::toChars(buffer.data(), buffer.data() + buffer.size(), value,
                                   detail::kSignificantDigits)
                       .ptr;
  const std::string_view text(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
  if (const auto e = text.find('e'); e != std::string_view::npos) buffer[e] = 'E';

  const auto point = text.find('.');
  if (point == std::string_view::npos) return std::string(text);
  std::string result;
  result.reserve(text.size() - 1 + format.decimal_separator.size());
  result.append(text.substr(0, point))
      .append(format.decimal_separator)
      .append(text.substr(point + 1));
  return result;
}

double TextToNumber(std::string_view text, const NumberFormat& format) {
  const auto unreadable = [] { return RuntimeError(ErrorKind::UnreadableNumber); };
  const std::string_view separator = format.decimal_separator;
  const bool negative = text.starts_with('-');
  std::string_view number = text.substr(negative ? 1 : 0);

  // from_chars takes "." as the separator: a text with another one is
  // rewritten, in a local buffer unless it is longer than any NumberToText
  // writes. In such a text a point is no separator, so it is unreadable.
  std::array<char, 64> local{};
  std::string large;
  if (separator != ".") {
    if (number.find('.') != std::string_view::npos) throw unreadable();
    const auto at = separator.empty() ? std::string_view::npos : number.find(separator);
    if (at != std::string_view::npos) {
      const std::string_view fraction = number.substr(at + separator.size());
      const std::size_t size = at + 1 + fraction.size();
      char* out = local.data();
      if (size > local.size()) {
        large.resize(size);
        out = large.data();
      }
      number.copy(out, at);
      out[at] = '.';
      fraction.copy(out + at + 1, fraction.size());
      number = std::string_view(out, size);
    }
  }

  double value = 0;
  const auto [end, ec] = detail::fromChars(number.data(), number.data() + number.size(), value);
  if (ec == std::errc::invalid_argument || end != number.data() + number.size() ||
      !detail::hasWrittenForm(number)) {
    throw unreadable();
  }
  if (ec == std::errc::result_out_of_range) {
    if (detail::isTooLarge(number)) throw RuntimeError(ErrorKind::Overflow);
    value = 0.0;
  }
  return negative ? -value : value;
}

}  // namespace lc
