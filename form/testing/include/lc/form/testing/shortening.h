// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The table of where a long result is shortened (form/test/shortening.txt),
// read for the C++ window tests: each row's edges, the label widths at
// which the table says what a label shows.
#pragma once

#include <algorithm>
#include <array>
#include <charconv>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "lc/form/testing/shortening_text.h"

namespace lc::form::testing {

// The whole result, its three longest shortened forms, the form with one
// fraction digit and the form with none.
using ShorteningRow = std::array<std::string, 6>;

struct ShorteningTable {
  int padding = -1;  // on each side of a label's text, in pixels at 96 DPI
  std::vector<ShorteningRow> rows;
};

// The table; a row that has not six forms is left out, and the count of
// rows then tells.
inline ShorteningTable shorteningTable() {
  ShorteningTable table;
  const std::string_view text = kShorteningText;
  for (std::size_t at = 0, end; at < text.size(); at = end + 1) {
    end = std::min(text.find('\n', at), text.size());
    const std::string_view line = text.substr(at, end - at);
    if (line.empty() || line.starts_with('#')) continue;
    if (line.starts_with("padding ")) {
      std::from_chars(line.data() + 8, line.data() + line.size(), table.padding);
      continue;
    }
    ShorteningRow row;
    std::size_t count = 0;
    for (std::size_t from = 0; count < row.size(); ++count) {
      const std::size_t bar = line.find(" | ", from);
      row[count] = line.substr(from, bar - from);
      if (bar == std::string_view::npos) break;
      from = bar + 3;
    }
    if (count + 1 == row.size()) table.rows.push_back(row);
  }
  return table;
}

struct ShorteningEdge {
  int width;          // of the label
  std::string shown;  // what it shows there of the row's whole result
};

// Where a row is checked, given `edge`, the narrowest label that shows a
// text whole: where the whole text and the first two shortened forms just
// fit, and a pixel narrower (the longest of the four that fits); where the
// one-digit form just fits (it) and a pixel narrower (the form with none);
// and a pixel narrower than where the form with none fits (still it).
inline std::vector<ShorteningEdge> shorteningEdges(
    const ShorteningRow& row, const std::function<int(std::string_view)>& edge) {
  const auto longestAt = [&](int width) {
    for (std::size_t i = 0; i <= 3; ++i) {
      if (edge(row[i]) <= width) return row[i];
    }
    return std::string("(none of the table's)");
  };
  std::vector<ShorteningEdge> edges;
  for (std::size_t i = 0; i <= 2; ++i) {
    for (const int width : {edge(row[i]), edge(row[i]) - 1})
      edges.push_back({width, longestAt(width)});
  }
  edges.push_back({edge(row[4]), row[4]});
  edges.push_back({edge(row[4]) - 1, row[5]});
  edges.push_back({edge(row[5]) - 1, row[5]});
  return edges;
}

}  // namespace lc::form::testing
