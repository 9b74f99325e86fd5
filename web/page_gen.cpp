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

// A length of `pixels` at the window's scale: --u is one pixel on a screen
// wide enough, less where the window must shrink to fit.
std::string scaled(int pixels) { return "calc(var(--u) * " + number(pixels) + ")"; }

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

std::string windowStyle() {
  const auto& font = lc::form::kFrequencyFont;
  std::string css =
      "/* Written at build time from the window's description: its size,\n"
      "   fonts and every control's place, in units of --u. */\n";
  // Where the screen is narrower than the window and the body's margins
  // (at most 2em a side), the window shrinks to the body's width. A size
  // container costs a layout pass, so only narrow screens get one: below
  // (width + 2) / 8 + 4 em, which is above width + 2 px + 4 em for any font
  // of 8 px or more.
  css += "@media (max-width: " + number((lc::form::kClientWidth + 2) / 8 + 4) +
         "em) {\n  body {\n    container-type: inline-size;\n  }\n  :root {\n    --u: min(1px, "
         "(100cqi - 2px) / " +
         number(lc::form::kClientWidth) + ");\n  }\n}\n";
  css += ".client {\n  width: " + scaled(lc::form::kClientWidth) +
         ";\n  height: " + scaled(lc::form::kClientHeight) +
         ";\n  font-size: " + scaled(lc::form::kWindowFontPixels) + ";\n}\n";
  css += ".client output {\n  padding-left: " + scaled(lc::form::kResultIndent - 1) + ";\n}\n";
  for (const auto& c : lc::form::kControls) {
    css += "#" + std::string(c.name) + " {\n  left: " + scaled(c.rect.left) +
           ";\n  top: " + scaled(c.rect.top) + ";\n  width: " + scaled(c.rect.width) +
           ";\n  height: " + scaled(c.rect.height) + ";\n";
    if (c.kind == ControlKind::TextBox) {
      css += "  font: " + number(font.weight) + " " + scaled(font.pixels) + " \"" +
             std::string(font.family) + "\", \"DejaVu Sans\", sans-serif;\n";
    }
    css += "}\n";
  }
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
