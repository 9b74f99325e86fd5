// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The build's last step on the page, so that nothing but the page itself
// stands before its first frame and before the first result:
// - the style sheets and app.js go into the page, as <style> and <script>
//   elements that the page's content policy allows each by its hash (it
//   still allows no other inline style or script);
// - app.js gets the decimal separator of every language this build's ICU
//   knows, with the regions whose separator differs from their language's,
//   so that no number format is prepared on the way to the first result.
// Comment lines and indentation are left out (the sources keep them).
//
// Usage: node complete_site.mjs PAGE STYLE WINDOW_STYLE NOSCRIPT_STYLE APP OUT_FOLDER
// PAGE is lc_page_gen's page, APP app.js as in the sources; OUT_FOLDER gets
// index.html.
import { createHash } from "node:crypto";
import { readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";

const [pagePath, stylePath, windowStylePath, noscriptPath, appPath, out] = process.argv.slice(2);
const read = (path) => readFileSync(path, "utf8");
const hash = (text) => `'sha256-${createHash("sha256").update(text, "utf8").digest("base64")}'`;

// Lines without their indentation, comments and blank lines.
const trimmed = (text) => `\n${text.split("\n").map((line) => line.trim())
  .filter((line) => line && !line.startsWith("//")).join("\n")}\n`;
// One style for the window, one for a browser without scripts.
const css = (...paths) => trimmed(paths.map(read).join("").replace(/\/\*[^]*?\*\//g, ""));
const style = css(stylePath, windowStylePath);
const noscript = css(noscriptPath);

// Every language of two or three letters that ICU has, by its separator;
// then each language-region pair whose separator is not its language's.
const separatorOf = (tag) =>
  new Intl.NumberFormat(tag).formatToParts(1.5).find((part) => part.type === "decimal")?.value ?? ".";
const letters = [..."abcdefghijklmnopqrstuvwxyz"];
const pairs = letters.flatMap((a) => letters.map((b) => a + b));
// (An old code that ICU reads as another language's, "iw" as "he", is left
// to that one: browsers name the language by its code of today.)
const languages = Intl.NumberFormat.supportedLocalesOf(
  [...pairs, ...pairs.flatMap((ab) => letters.map((c) => ab + c))], { localeMatcher: "lookup" })
  .filter((tag) => /^[a-z]{2,3}$/.test(tag));
const regions = [...pairs.map((ab) => ab.toUpperCase()), "419"];
const byLanguage = {};
const byRegion = {};
for (const language of languages) {
  const separator = separatorOf(language);
  (byLanguage[separator] ??= []).push(language);
  for (const region of regions) {
    const tag = `${language}-${region}`;
    let regional;
    try {
      regional = separatorOf(tag);
    } catch {
      continue;  // a pair ICU refuses
    }
    if (regional !== separator) (byRegion[regional] ??= []).push(tag);
  }
}
const table = (groups) => JSON.stringify(Object.fromEntries(
  Object.entries(groups).sort(([a], [b]) => (a < b ? -1 : a > b ? 1 : 0)).map(([separator, tags]) => [separator, tags.join(" ")])));
const source = read(appPath);
if (!/^const separatorTable = /m.test(source)) throw new Error("complete_site: app.js has no separatorTable");
const app = trimmed(source.replace(/^const separatorTable = .*$/m, () =>
  `const separatorTable = { languages: ${table(byLanguage)}, regions: ${table(byRegion)} };`));

let page = read(pagePath);
const replace = (marker, text) => {
  if (!page.includes(marker)) throw new Error(`complete_site: the page has no ${marker}`);
  page = page.replace(marker, () => text);
};
replace("<!-- style -->", `<style>${style}</style>`);
replace("<!-- noscript style -->", `<noscript><style>${noscript}</style></noscript>`);
replace("<!-- app.js -->", `<script>${app}</script>`);
replace("'style-hashes'", `${hash(style)} ${hash(noscript)}`);
replace("'script-hashes'", hash(app));
writeFileSync(join(out, "index.html"), page);
