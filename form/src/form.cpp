// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
#include "lc/form/form.h"

#include <algorithm>
#include <exception>

#include "lc/calculation.h"
#include "lc/form/layout.h"

namespace lc::form {
namespace {

std::size_t indexOf(Field field) { return static_cast<std::size_t>(field); }

constexpr std::string_view kEllipsis = "…";

// The line under kInternalError for the exception being handled.
std::string currentFaultDetail() {
  try {
    throw;
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return std::string(kUnknownFault);
  }
}

}  // namespace

std::string Form::ReadText(Field field) const { return texts_[indexOf(field)]; }

void Form::WriteText(Field field, std::string_view text) {
  // The calculation never writes the typed frequency; the box is the user's.
  if (field == Field::F) throw RuntimeError(ErrorKind::FieldAccess);
  texts_[indexOf(field)] = text;
  written_[indexOf(field)] = true;
  view_.showResult(field, text);
}

void Form::clickOk(std::string_view typed) {
  if (reporting_) return;
  texts_[indexOf(Field::F)] = typed;
  written_.fill(false);
  std::string_view name;
  std::string detail;
  try {
    view_.showReadHint(readHint(typed, format_));
    Ok_Click(*this, format_);
    view_.announce(announcement());
    return;
  } catch (const RuntimeError& error) {
    name = errorName(error.kind());
    detail = kErrorHint;
  } catch (...) {
    name = kInternalError;
    detail = currentFaultDetail();
  }
  for (const Field field : kResultFields) {
    if (written_[indexOf(field)]) continue;
    texts_[indexOf(field)].clear();
    view_.showResult(field, {});
  }
  {
    reporting_ = true;
    struct Reset {
      bool& flag;
      ~Reset() { flag = false; }
    } reset{reporting_};
    view_.reportError(name, detail);
  }
  if (const std::string reached = announcement(); !reached.empty()) view_.announce(reached);
}

void reportCurrentFault(View& view) noexcept {
  try {
    view.reportError(kInternalError, currentFaultDetail());
  } catch (...) {
    // The report itself failed: there is no other way to tell the user.
  }
}

std::string Form::announcement() const {
  std::string text;
  for (const Field field : kResultFields) {
    const std::string& result = texts_[indexOf(field)];
    if (result.empty()) continue;
    if (!text.empty()) text += "; ";
    text.append(captionOf(field)).append(" ").append(result);
  }
  return text;
}

std::string_view errorName(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::Overflow:
      return "Переполнение";
    case ErrorKind::DivisionByZero:
      return "Деление на ноль";
    case ErrorKind::UnreadableNumber:
      return "Недопустимое число";
    case ErrorKind::InvalidResult:
      return "Недопустимый результат";
    case ErrorKind::FieldAccess:
      return "Ошибка доступа к полю";
  }
  return "Ошибка";
}

std::string readHint(std::string_view typed, const NumberFormat& format) {
  std::string hint = "Прочитано: ";
  try {
    hint += NumberToText(LeadingNumber(typed), format);
  } catch (const RuntimeError&) {
    return hint + "число вне диапазона";
  }
  return hint + " МГц";
}

std::string elideResult(std::string_view text, const NumberFormat& format,
                        const std::function<bool(std::string_view)>& fits) {
  if (fits(text)) return std::string(text);
  const std::string_view separator = format.decimal_separator;
  const auto point = separator.empty() ? std::string_view::npos : text.find(separator);
  if (point == std::string_view::npos) return std::string(text);  // no fraction to drop
  const std::size_t fractionStart = point + separator.size();
  const std::size_t exponent = std::min(text.find('E', fractionStart), text.size());
  if (exponent == fractionStart) return std::string(text);
  const std::string_view tail = text.substr(exponent);

  std::string shown;
  for (std::size_t kept = exponent - fractionStart; kept-- > 0;) {
    shown.assign(text.substr(0, fractionStart + kept)).append(kEllipsis).append(tail);
    if (fits(shown)) return shown;
  }
  return shown;
}

std::string fitResult(std::string_view text, const NumberFormat& format, double innerWidth,
                      double indent, const std::function<double(std::string_view)>& width) {
  const double room = innerWidth - 2 * indent;
  return elideResult(text, format,
                     [&](std::string_view candidate) { return width(candidate) <= room; });
}

}  // namespace lc::form
