// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// What a key costs in the frequency box of the web page as its text grows:
// the page in headless Chromium, N characters in the box, then the best of
// five cursor keys and typed characters, each until the page has drawn the
// next frame. The last row types a 1 MB paste, which the box's length limit
// cuts. scripts/bench.sh runs it; puppeteer-core comes from web/test.
//
// Usage: node web/bench/key_bench.mjs SITE_FOLDER
import { createRequire } from "node:module";
import { performance } from "node:perf_hooks";
import { chromium, serveSite } from "../test/serve.mjs";

const require = createRequire(new URL("../test/package.json", import.meta.url));
const puppeteer = require("puppeteer-core");
const [site] = process.argv.slice(2);
const server = await serveSite(site);
const browser = await puppeteer.launch(chromium);
const text = (length) => ("7 MHz" + " 1234567890 abcdefghij".repeat(Math.ceil(length / 22))).slice(0, length);
const drawn = (page) => page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));

console.log("| text in the box | characters kept | ms a cursor key | ms a typed key |");
console.log("|---|---:|---:|---:|");
const lengths = [1_000, 10_000, 100_000, 1_000_000];
try {
  for (const length of lengths) {
    const page = await browser.newPage();
    await page.goto(server.url);
    await page.waitForSelector("body[data-ready]");
    const byPaste = length === lengths.at(-1);
    await page.focus("#F");
    if (byPaste) {
      await page.keyboard.sendCharacter(text(length));  // as a paste: the limit applies
    } else {
      await page.$eval("#F", (box, value) => { box.value = value; }, text(length));  // set: no limit
    }
    const kept = await page.$eval("#F", (box) => {
      box.setSelectionRange(box.value.length, box.value.length);
      return box.value.length;
    });
    await drawn(page);
    let cursor = Infinity;
    let typed = Infinity;
    for (let run = 0; run < 5; run++) {
      const start = performance.now();
      await page.keyboard.press("ArrowLeft");
      await drawn(page);
      const moved = performance.now();
      await page.keyboard.type("7");
      await drawn(page);
      cursor = Math.min(cursor, moved - start);
      typed = Math.min(typed, performance.now() - moved);
    }
    console.log(`| ${byPaste ? "pasted" : "set"}: ${length} characters | ${kept} | ${cursor.toFixed(1)} | ${typed.toFixed(1)} |`);
    await page.close();
  }
} finally {
  await browser.close();
  server.close();
}
