// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// Writes the page's window at build time, from the same description as the
// desktop program's: its markup into the page's template, where the line
// "<!-- window -->" stands, and its places and fonts as a style sheet. So
// the browser draws the window with the page, before any script runs.
//
// Usage (under Node.js): lc_page_gen TEMPLATE INDEX_HTML WINDOW_CSS
#include <charconv>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "lc/form/form.h"
#include "lc/form/layout.h"

namespace {

using lc::form::ControlKind;

std::string number(int value) {
  char digits[16];
  auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  return {digits, end};
}

// Text for an element's content or a quoted attribute.
std::string escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string px(int pixels) { return number(pixels) + "px"; }

// The window's controls, in the order they are created: the frame before
// the box, so that the box lies above it.
std::string windowMarkup() {
  std::string html;
  html += "<h2 class=\"title-bar\" id=\"title\">" + escaped(lc::form::kTitle) + "</h2>\n";
  html += "      <div class=\"client\" id=\"client\">\n";
  for (const auto& c : lc::form::kControls) {
    const std::string id = "id=\"" + escaped(c.name) + "\"";
    html += "        ";
    switch (c.kind) {
      case ControlKind::GroupFrame:
        html += "<fieldset " + id + "><legend>" + escaped(c.text) + "</legend></fieldset>";
        break;
      case ControlKind::TextBox:
        html += "<input " + id + " type=\"text\" value=\"" + escaped(c.text) + "\" maxlength=\"" +
                number(lc::form::kMaxFrequencyLength) +
                "\" autocomplete=\"off\" spellcheck=\"false\" aria-label=\"" +
                escaped(lc::form::captionOf(lc::Field::F)) + "\" aria-describedby=\"hint\">";
        break;
      case ControlKind::PushButton:
        html += "<button " + id + " type=\"button\">" + escaped(c.text) + "</button>";
        break;
      case ControlKind::CaptionLabel:
        html += "<div " + id + ">" + escaped(c.text) + "</div>";
        break;
      case ControlKind::ResultLabel:
        // An output is a status to assistive technology; the results are
        // spoken once, by the page's announcer, so the output itself is
        // silent.
        html += "<output " + id + " aria-labelledby=\"" +
                escaped(lc::form::captionControl(*c.field).name) + "\" aria-live=\"off\">" +
                escaped(c.text) + "</output>";
        break;
    }
    html += "\n";
  }
  html += "      </div>";
  return html;
}

// The page's side margins, in per cent of its width, where that is less
// than 2em.
constexpr int kMarginPercent = 4;

std::string windowStyle() {
  using lc::form::control;
  using lc::form::ControlId;
  const auto& font = lc::form::kFrequencyFont;
  std::string css =
      "/* Written at build time from the window's description: its size,\n"
      "   fonts and every control's place, in CSS pixels. */\n";
  css += "body {\n  margin: min(2em, " + number(kMarginPercent) + "vw);\n}\n";
  css += ".client {\n  width: " + px(lc::form::kClientWidth) +
         ";\n  height: " + px(lc::form::kClientHeight) +
         ";\n  font-size: " + px(lc::form::kWindowFontPixels) + ";\n}\n";
  css += ".client output {\n  padding-left: " + px(lc::form::kResultIndent - 1) + ";\n}\n";
  for (const auto& c : lc::form::kControls) {
    css += "#" + std::string(c.name) + " {\n  left: " + px(c.rect.left) +
           ";\n  top: " + px(c.rect.top) + ";\n  width: " + px(c.rect.width) +
           ";\n  height: " + px(c.rect.height) + ";\n";
    if (c.kind == ControlKind::TextBox) {
      css += "  font: " + number(font.weight) + " " + px(font.pixels) + " \"" +
             std::string(font.family) + "\", \"DejaVu Sans\", sans-serif;\n";
    }
    css += "}\n";
  }
  // Where the window and its border do not fit between the margins (a
  // phone, a large zoom), it is laid out as one column at the same size,
  // in the order of its controls (the frame round the box, OK, Exit, then
  // each caption over its result), so that its text is never smaller than
  // on a desktop and the page never scrolls sideways.
  const int hundredths = (lc::form::kClientWidth + 2) * 10000 / (100 - 2 * kMarginPercent);
  const lc::form::Rect& frame = control(ControlId::Frame1).rect;
  const lc::form::Rect& box = control(ControlId::F).rect;
  css += "@media (max-width: " + number(hundredths / 100) + "." + number(hundredths % 100 / 10) +
         number(hundredths % 10) +
         "px) {\n  .client {\n    display: grid;\n    justify-content: center;\n"
         "    row-gap: 6px;\n    width: auto;\n    height: auto;\n    padding: 8px;\n  }\n"
         "  .client > * {\n    position: static;\n  }\n  #Frame1,\n  #F {\n"
         "    grid-area: 1 / 1;\n    align-self: start;\n    justify-self: start;\n  }\n"
         "  #F {\n    margin: " +
         px(box.top - frame.top) + " 0 0 " + px(box.left - frame.left) + ";\n  }\n}\n";
  return css;
}

struct Closer {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, Closer>;

bool readFile(const char* path, std::string& text) {
  File file(std::fopen(path, "rb"));
  if (!file) return false;
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get())) text.append(buffer, n);
  return !std::ferror(file.get());
}

bool writeFile(const char* path, std::string_view text) {
  File file(std::fopen(path, "wb"));
  return file && std::fwrite(text.data(), 1, text.size(), file.get()) == text.size() &&
         std::fclose(file.release()) == 0;
}

int fail(std::string_view message) {
  std::fwrite(message.data(), 1, message.size(), stderr);
  std::fputc('\n', stderr);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return fail("usage: lc_page_gen TEMPLATE INDEX_HTML WINDOW_CSS");
  std::string page;
  if (!readFile(argv[1], page)) return fail("lc_page_gen: cannot read the template");
  constexpr std::string_view marker = "<!-- window -->";
  const auto at = page.find(marker);
  if (at == std::string::npos) return fail("lc_page_gen: the template has no <!-- window --> line");
  page.replace(at, marker.size(), windowMarkup());
  // The error report: titled as the window, and its button.
  const std::pair<std::string_view, std::string_view> reportTexts[] = {
      {"<!-- title -->", lc::form::kTitle}, {"<!-- report button -->", lc::form::kReportButton}};
  for (const auto& [placeholder, text] : reportTexts) {
    if (const auto where = page.find(placeholder); where != std::string::npos) {
      page.replace(where, placeholder.size(), escaped(text));
    }
  }
  if (!writeFile(argv[2], page) || !writeFile(argv[3], windowStyle())) {
    return fail("lc_page_gen: cannot write the page");
  }
  return 0;
}
