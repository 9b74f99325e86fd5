// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// Lighthouse's audit of the built site, as web developers run it (its
// mobile settings: a phone's screen, a slow network and CPU simulated), in
// Debian's headless Chromium, the site served on 127.0.0.1 under its own
// policy: the score of each category, and each audit that scores less than
// full, with what it found.
// scripts/bench.sh runs it; lighthouse comes from this folder's package.json,
// puppeteer-core from web/test.
//
// Usage: node web/bench/lighthouse_bench.mjs SITE_FOLDER
import lighthouse from "lighthouse";
import { createRequire } from "node:module";
import { chromium, serveSite } from "../test/serve.mjs";

const puppeteer = createRequire(new URL("../test/package.json", import.meta.url))("puppeteer-core");
const [site] = process.argv.slice(2);
const server = await serveSite(site);
const browser = await puppeteer.launch(chromium);
try {
  const port = Number(new URL(browser.wsEndpoint()).port);
  const { lhr } = await lighthouse(server.url, { port, logLevel: "error" });
  console.log(`Lighthouse ${lhr.lighthouseVersion}, ${lhr.configSettings.formFactor} settings, ${await browser.version()}`);
  console.log("| category | score |\n|---|---:|");
  for (const category of Object.values(lhr.categories)) {
    console.log(`| ${category.title} | ${Math.round(category.score * 100)} |`);
  }
  for (const category of Object.values(lhr.categories)) {
    for (const { id, weight } of category.auditRefs) {
      const audit = lhr.audits[id];
      if (weight > 0 && audit.score !== null && audit.score < 1) {
        console.log(`${category.title}: ${audit.title} (${audit.score}) ${audit.displayValue ?? ""}`);
      }
    }
  }
  const metric = (id) => lhr.audits[id].numericValue.toFixed(0);
  console.log(`Simulated on a phone: first contentful paint ${metric("first-contentful-paint")} ms, ` +
    `largest ${metric("largest-contentful-paint")} ms, total blocking ${metric("total-blocking-time")} ms`);
} finally {
  await browser.close();
  server.close();
}
