// An in-memory FormFields that records every access, for tests and fuzzers.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lc/form_fields.h"

namespace lc::testing {

class MapFields : public FormFields {
 public:
  enum class Access { Read, Write };
  struct Event {
    Access access;
    Field field;
    std::string text;
    bool operator==(const Event&) const = default;
  };

  MapFields() = default;
  explicit MapFields(std::map<Field, std::string> texts) : texts_(std::move(texts)) {}

  std::string ReadText(Field field) const override {
    std::string text = texts_.count(field) ? texts_.at(field) : std::string();
    events_.push_back({Access::Read, field, text});
    return text;
  }

  void WriteText(Field field, std::string_view text) override {
    texts_[field] = std::string(text);
    events_.push_back({Access::Write, field, std::string(text)});
  }

  const std::string& text(Field field) { return texts_[field]; }
  const std::vector<Event>& events() const { return events_; }

 private:
  std::map<Field, std::string> texts_;
  mutable std::vector<Event> events_;
};

}  // namespace lc::testing
