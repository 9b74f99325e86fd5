// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// How soon the web page is ready, beside a plain page with the same
// elements: the built index.html with no style, script, icon, manifest or
// module, and a one-line click script that computes in JavaScript.
// Headless Chromium, cache off, no service worker, both pages from the same
// local server, in turn, as it is and throttled as Chromium's "Fast 4G";
// the median of RUNS loads (12 unless set) of:
//   window drawn  navigation to the first paint (the window is all there is)
//   first result  navigation to the frame after OK, clicked as soon as the
//                 page's content is loaded with 7 typed, shows a result
//   transferred   bytes over the wire (no compression; the site's gzipped
//                 size is shown apart)
// and, for lccalc, where the time to the first result goes (each from the
// navigation): the content loaded and OK clicked, lccalc.wasm fetched, its
// compilation and instantiation begun and done, the click's results
// written, and the frame showing them.
// scripts/bench.sh runs it; puppeteer-core comes from web/test.
//
// Usage: node web/bench/start_bench.mjs SITE_FOLDER
import { mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { gzipSync } from "node:zlib";
import { chromium, serveSite } from "../test/serve.mjs";

const require = createRequire(new URL("../test/package.json", import.meta.url));
const puppeteer = require("puppeteer-core");
const [site] = process.argv.slice(2);
const runs = Number(process.env.RUNS ?? 12);

// The plain page: the same elements, nothing else.
const plain = mkdtempSync(join(tmpdir(), "lccalc-plain-"));
const index = readFileSync(join(site, "index.html"), "utf8")
  .replace(/ *<link\b[^>]*>\n/g, "")
  .replace(/ *(<noscript>)?<style>[^]*?<\/style>(<\/noscript>)?\n/g, "")
  .replace(/ *<script\b[^>]*>[^]*?<\/script>\n/g, "")
  .replace("</head>", '  <script src="plain.js" defer></script>\n</head>');
writeFileSync(join(plain, "index.html"), index);
writeFileSync(join(plain, "plain.js"), `document.getElementById("Ok").onclick = () => { const f = Number(document.getElementById("F").value), w = 300 / f, c = 2 * w, l = 1e18 / ((2 * Math.PI * f * 1e6) ** 2 * c); for (const [id, v] of [["L", l], ["C", c], ["LL", w]]) document.getElementById(id).setAttribute("aria-label", document.getElementById(id).textContent = String(v)); };\n`);

// Types 7 and clicks OK as soon as the content is loaded, and notes when
// the frame showing the result is drawn.
// (WebAssembly's set-up is timed from outside the page's script.)
function clickAtOnce() {
  globalThis.marks = {};
  for (const name of ["instantiate", "instantiateStreaming"]) {
    const original = WebAssembly[name];
    WebAssembly[name] = async (...args) => {
      marks.wasmBegun ??= performance.now();
      const made = await original(...args);
      marks.wasmDone = performance.now();
      return made;
    };
  }
  document.addEventListener("DOMContentLoaded", () => {
    const result = document.getElementById("LL");
    new MutationObserver(() => {
      marks.written ??= performance.now();
      requestAnimationFrame(() => { globalThis.firstResult = performance.now(); });
    }).observe(result, { attributes: true, attributeFilter: ["aria-label"] });
    document.getElementById("F").value = "7";
    marks.clicked = performance.now();
    document.getElementById("Ok").click();
  });
}

const browser = await puppeteer.launch(chromium);
const servers = { lccalc: await serveSite(site), plain: await serveSite(plain) };
// The local server as it is, and as over a phone's network.
const networks = [["local", null], ["Fast 4G", puppeteer.PredefinedNetworkConditions["Fast 4G"]]];
const times = {};
try {
  for (const [network, conditions] of networks) {
    times[network] = { lccalc: [], plain: [] };
    for (let run = 0; run < runs; run++) {
      for (const name of Object.keys(servers)) {
        const page = await browser.newPage();
        await page.setCacheEnabled(false);
        await page.setBypassServiceWorker(true);
        await page.emulateNetworkConditions(conditions);
        await page.evaluateOnNewDocument(clickAtOnce);
        await page.goto(servers[name].url);
        await page.waitForFunction(() => globalThis.firstResult, { timeout: 30000 });
        times[network][name].push(await page.evaluate(() => ({
          drawn: performance.getEntriesByName("first-paint")[0]?.startTime ?? NaN,
          result: globalThis.firstResult,
          ...globalThis.marks,
          fetched: performance.getEntriesByName(new URL("lccalc.wasm", location).href)[0]?.responseEnd,
          bytes: [...performance.getEntriesByType("navigation"), ...performance.getEntriesByType("resource")]
            .reduce((sum, entry) => sum + entry.transferSize, 0),
        })));
        await page.close();
      }
    }
  }
} finally {
  await browser.close();
  for (const server of Object.values(servers)) server.close();
}

const median = (values) => values.sort((a, b) => a - b)[Math.floor(values.length / 2)];
const row = (network, name) => ({
  drawn: median(times[network][name].map((t) => t.drawn)),
  result: median(times[network][name].map((t) => t.result)),
  bytes: median(times[network][name].map((t) => t.bytes)),
});
console.log(`| network | page (median of ${runs}) | window drawn, ms | first result, ms | transferred, bytes |`);
console.log("|---|---|---:|---:|---:|");
for (const [network] of networks) {
  const ours = row(network, "lccalc");
  const base = row(network, "plain");
  console.log(`| ${network} | lccalc | ${ours.drawn.toFixed(1)} | ${ours.result.toFixed(1)} | ${ours.bytes} |`);
  console.log(`| ${network} | plain page, same elements | ${base.drawn.toFixed(1)} | ${base.result.toFixed(1)} | ${base.bytes} |`);
  console.log(`| ${network} | ratio (goals 1.10 and 1.25) | ${(ours.drawn / base.drawn).toFixed(2)} | ` +
    `${(ours.result / base.result).toFixed(2)} | |`);
}
const parts = [["clicked", "content loaded, OK clicked"], ["fetched", "lccalc.wasm fetched"],
  ["wasmBegun", "its compilation begun"], ["wasmDone", "compiled and instantiated"],
  ["written", "the results written"], ["result", "the frame showing them"]];
console.log(`\nWhere lccalc's first result waits (ms from the navigation, median of ${runs})`);
console.log(`| network | ${parts.map(([, title]) => title).join(" | ")} |`);
console.log(`|---|${parts.map(() => "---:").join("|")}|`);
for (const [network] of networks) {
  const at = (key) => median(times[network].lccalc.map((t) => t[key] ?? NaN)).toFixed(1);
  console.log(`| ${network} | ${parts.map(([key]) => at(key)).join(" | ")} |`);
}
const files = readdirSync(site).map((name) => readFileSync(join(site, name)));
const raw = files.reduce((sum, file) => sum + file.length, 0);
const gzipped = files.reduce((sum, file) => sum + gzipSync(file, { level: 9 }).length, 0);
console.log(`The whole site: ${files.length} files, ${raw} bytes; ${gzipped} gzipped at level 9, file by file`);
rmSync(plain, { recursive: true, force: true });
