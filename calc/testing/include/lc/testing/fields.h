// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// Window fields kept in memory, for the tests, fuzzers and benchmarks of the
// calculation.
#pragma once

#include <array>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lc/form_fields.h"

namespace lc::testing {

// The four fields as plain strings.
class MemoryFields : public FormFields {
 public:
  MemoryFields() = default;
  MemoryFields(std::initializer_list<std::pair<Field, std::string>> texts) {
    for (const auto& [field, text] : texts) texts_[index(field)] = text;
  }

  std::string ReadText(Field field) const override { return texts_[index(field)]; }
  void WriteText(Field field, std::string_view text) override { texts_[index(field)] = text; }

  const std::string& text(Field field) const { return texts_[index(field)]; }

 private:
  static std::size_t index(Field field) { return static_cast<std::size_t>(field); }
  std::array<std::string, 4> texts_;
};

// MemoryFields that also keep every read and write, in order.
class RecordingFields : public MemoryFields {
 public:
  enum class Access { Read, Write };
  struct Event {
    Access access;
    Field field;
    std::string text;
    bool operator==(const Event&) const = default;
  };

  using MemoryFields::MemoryFields;

  std::string ReadText(Field field) const override {
    std::string text = MemoryFields::ReadText(field);
    events_.push_back({Access::Read, field, text});
    return text;
  }
  void WriteText(Field field, std::string_view text) override {
    MemoryFields::WriteText(field, text);
    events_.push_back({Access::Write, field, std::string(text)});
  }

  const std::vector<Event>& events() const { return events_; }

 private:
  mutable std::vector<Event> events_;
};

}  // namespace lc::testing
