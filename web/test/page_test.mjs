// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The web page in headless Chromium and Firefox ESR (Debian's), served on
// 127.0.0.1 under the page's own strict policy and driven with keys and
// clicks through puppeteer-core (DevTools protocol; WebDriver BiDi for
// Firefox): the controls' places and texts, Tab order, the worked values,
// an error report, what the live region says and when, Exit, the comma of
// a Russian browser, axe-core's accessibility rules, a table of screen
// widths, a table of ways the calculator can fail to start, and the site
// kept offline by its service worker. Any console error fails a page that
// should work.
//
// Usage: node page_test.mjs SITE_FOLDER CMAKE [SCREENSHOT_FOLDER]
// (CMAKE runs the build's service-worker script, to make a new build.)
import { cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { createRequire } from "node:module";
import { execFileSync } from "node:child_process";
import { tmpdir } from "node:os";
import { dirname, join, resolve as absolute } from "node:path";
import { fileURLToPath } from "node:url";
import puppeteer from "puppeteer-core";
import { chromium, serveSite } from "./serve.mjs";

const [site, cmake, screenshots] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));
const axeSource = readFileSync(createRequire(import.meta.url).resolve("axe-core/axe.min.js"), "utf8");

let passed = 0;
let failed = 0;
function check(condition, message) {
  if (condition) {
    passed++;
  } else {
    failed++;
    console.log(`FAIL: ${message}`);
  }
}

const engines = [
  {
    name: "chromium",
    launch: (language) =>
      puppeteer.launch({ ...chromium, args: [...chromium.args, `--accept-lang=${language}`, `--lang=${language}`] }),
  },
  {
    name: "firefox",
    launch: (language) => puppeteer.launch({
      browser: "firefox",
      executablePath: "/usr/bin/firefox-esr",
      headless: true,
      extraPrefsFirefox: { "intl.accept_languages": language },
    }),
  },
];

// A page of `browser` at `url`, `width` CSS pixels wide, with its console
// errors gathered in page.errors. `prepare(page)` runs before it loads.
async function openPage(browser, url, { width = 1280, scale = 1, prepare, ready = "body[data-ready]" } = {}) {
  const page = await browser.newPage();
  page.errors = [];
  page.on("console", (message) => {
    if (message.type() === "error") page.errors.push(message.text());
  });
  page.on("pageerror", (error) => page.errors.push(error.message));
  // Firefox ESR 140 (Debian 12's and 13's) has no screen-orientation
  // override, which puppeteer sends beside the viewport; the viewport itself
  // is set, and the widths table checks it.
  await page.setViewport({ width, height: 800, deviceScaleFactor: scale }).catch((error) => {
    if (!error.message.includes("emulation.setScreenOrientationOverride")) throw error;
  });
  if (prepare) await prepare(page);
  await page.goto(url);
  if (ready) await page.waitForSelector(ready, { timeout: 15000 });
  return page;
}

const text = (page, id) => page.$eval(`#${id}`, (element) => element.textContent);
const value = (page, id) => page.$eval(`#${id}`, (element) => element.getAttribute("aria-label") ?? "");
const results = (page) => Promise.all(["LL", "C", "L"].map((id) => value(page, id)));
const focused = (page) => page.evaluate(() => document.activeElement?.id);
const visible = (page, id) => page.$eval(`#${id}`, (element) => element.getClientRects().length > 0);
const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
// What `condition(argument)` gives in the page once it is truthy, or null
// after 15 s. (Puppeteer's own waitForFunction builds its check with
// Function(), which the page's policy forbids in Firefox 140.)
async function until(page, condition, argument) {
  for (const end = Date.now() + 15000; Date.now() < end; await pause(50)) {
    const got = await page.evaluate(condition, argument);
    if (got) return got;
  }
  return null;
}
const announced = async (page) => {
  await pause(150);
  return text(page, "announcer");
};

async function typeFrequency(page, frequency) {
  await page.$eval("#F", (box) => { box.value = ""; });
  await page.type("#F", frequency);
}

async function compute(page, frequency) {
  await typeFrequency(page, frequency);
  await page.click("#Ok");
  await until(page, () => document.getElementById("LL").hasAttribute("aria-label"));
  return results(page);
}

// axe-core's violations, of any impact, as "rule (impact): targets".
async function violations(page) {
  await page.evaluate(axeSource);
  const found = await page.evaluate(async () =>
    (await axe.run(document, { resultTypes: ["violations"] })).violations
      .map((v) => `${v.id} (${v.impact}): ${v.nodes.map((node) => node.target.join(" ")).join(", ")}`));
  return found.join("; ");
}

async function mainFlow(engine, browser, url) {
  const page = await openPage(browser, url);
  const where = engine.name;
  check(await violations(page) === "", `${where}, at start: ${await violations(page)}`);

  // Every control at its place in the window, as the description says.
  const layout = await page.evaluate(async () => {
    const description = (await createLccalc()).window();
    const client = document.getElementById("client");
    const origin = client.getBoundingClientRect();
    return {
      size: [origin.width, origin.height, description.width, description.height],
      controls: description.controls.map((control) => {
        const element = document.getElementById(control.name);
        const r = element.getBoundingClientRect();
        const shown = element.tagName === "FIELDSET" ? element.querySelector("legend").textContent
          : element.tagName === "INPUT" ? element.value : element.textContent;
        return { control, place: [r.left - origin.left, r.top - origin.top, r.width, r.height], shown,
          inWindow: element.parentElement === client && client.closest("#Form1") !== null };
      }),
    };
  });
  check(layout.controls.length === 10, `${where}: ${layout.controls.length} controls`);
  check(layout.size[0] === layout.size[2] && layout.size[1] === layout.size[3], `${where}: the window is ${layout.size}`);
  for (const { control, place, shown, inWindow } of layout.controls) {
    const want = [control.left, control.top, control.width, control.height];
    check(JSON.stringify(place) === JSON.stringify(want), `${where}: ${control.name} at ${place}, not ${want}`);
    check(shown === control.text && inWindow, `${where}: ${control.name} shows ${JSON.stringify(shown)}`);
  }
  check(await text(page, "title") === "Расчет LC-конура" + " ".repeat(31) + "TIRVAL", `${where}: the title`);
  // The results are spoken once, by the announcer: every other element a
  // reader would watch (an output is a status) is silent.
  const live = await page.evaluate(() =>
    [...document.querySelectorAll("[aria-live], [role=status], [role=alert], [role=log], output")]
      .filter((element) => (element.getAttribute("aria-live") ?? "polite") !== "off").map((element) => element.id));
  check(live.join() === "failed,announcer", `${where}: live regions ${live}`);

  // The box has the focus; Tab goes to OK, then Exit; Shift+Tab back.
  check(await focused(page) === "F", `${where}: the focus starts in ${await focused(page)}`);
  const order = [];
  for (let i = 0; i < 2; i++) {
    await page.keyboard.press("Tab");
    order.push(await focused(page));
  }
  await page.keyboard.down("Shift");
  await page.keyboard.press("Tab");
  await page.keyboard.press("Tab");
  await page.keyboard.up("Shift");
  order.push(await focused(page));
  check(order.join() === "Ok,Command1,F", `${where}: Tab visits ${order}`);

  // Enter in the box submits nothing; OK shows the worked values.
  await typeFrequency(page, "7");
  await page.keyboard.press("Enter");
  check((await results(page)).join() === ",,", `${where}: Enter in the box changed the results`);
  const worked = [
    ["1", ["300", "600", "42.2599970248962"]],
    ["7", ["42.8571428571429", "85.7142857142858", "6.03714243212803"]],
    ["144", ["2.08333333333333", "4.16666666666666", "0.29347220156178"]],
    ["", ["0", "0", "0"]],
  ];
  for (const [frequency, want] of worked) {
    await typeFrequency(page, frequency);
    await page.click("#Ok");
    const got = await results(page);
    check(got.join() === want.join(), `${where}: ${JSON.stringify(frequency)} gives ${got}`);
  }
  await typeFrequency(page, "7");
  await page.focus("#Ok");
  await page.keyboard.press("Enter");  // Enter on a focused button presses it
  const said = "L, мкГн 6.03714243212803; C, пФ 85.7142857142858; W, М 42.8571428571429";
  check(await announced(page) === said, `${where}: the live region says ${JSON.stringify(await text(page, "announcer"))}`);
  check(await page.$eval("#F", (box) => box.title) === "Прочитано: 7 МГц", `${where}: the box's hint`);
  check(await violations(page) === "", `${where}, after a click: ${await violations(page)}`);

  // A long result loses fraction digits, not its exponent.
  await typeFrequency(page, "7E+20");
  await page.click("#Ok");
  const elided = await text(page, "LL");
  check(elided.includes("…") && elided.endsWith("E-19"), `${where}: 7E+20 shows ${elided}`);
  check(await value(page, "LL") === "4.28571428571429E-19", `${where}: the whole result is the label's name`);
  if (screenshots) await (await page.$("#Form1")).screenshot({ path: join(screenshots, `${where}-window.png`) });

  // An overflow: a modal report titled as the window, the unreached result
  // blank; the live region keeps still while the report is open, and once
  // it is closed says what was reached.
  const before = await announced(page);
  await typeFrequency(page, "1E+150");
  await page.click("#Ok");
  const dialog = await page.$eval("#errorBox", (box) => ({
    open: box.open, role: box.getAttribute("role"), title: box.querySelector(".title-bar").textContent,
    name: document.getElementById("errorName").textContent,
  }));
  check(dialog.open && dialog.role === "alertdialog", `${where}: the report is ${JSON.stringify(dialog)}`);
  check(dialog.title === await text(page, "title"), `${where}: the report's title`);
  check(dialog.name === "Переполнение", `${where}: the report says ${dialog.name}`);
  check((await results(page)).join() === "3E-148,6E-148,", `${where}: after the overflow: ${await results(page)}`);
  check(await announced(page) === before, `${where}: announced over the report: ${await text(page, "announcer")}`);
  check(await violations(page) === "", `${where}, with the report open: ${await violations(page)}`);
  await page.keyboard.press("Enter");
  check(!(await page.$eval("#errorBox", (box) => box.open)), `${where}: the report did not close`);
  check(await announced(page) === "C, пФ 6E-148; W, М 3E-148", `${where}: then: ${await text(page, "announcer")}`);

  // Exit: the program ends as far as a page can; the line that says so has
  // the focus and is spoken. (A tab with a history of one page may be closed
  // by it, as Firefox does for this one: a second entry keeps it open.)
  await page.evaluate(() => history.pushState(null, "", location.href));
  await page.click("#Command1");
  check(!(await visible(page, "Form1")) && await visible(page, "ended"), `${where}: the window is still shown after Exit`);
  check(await focused(page) === "ended", `${where}: after Exit the focus is on ${await focused(page)}`);
  check(await announced(page) === "Программа завершена. Закройте вкладку или начните заново.",
    `${where}: after Exit: ${await text(page, "announcer")}`);
  check(await violations(page) === "", `${where}, after Exit: ${await violations(page)}`);
  check(page.errors.length === 0, `${where}: console errors ${page.errors}`);
  await page.close();
}

// Width in CSS pixels (320 is also a 1280-pixel screen at 400% zoom) and
// the device's pixels per CSS pixel: no sideways scroll, the window scaled
// as a whole, its fonts with it (sharp text, not a scaled picture), and a
// long result still elided to fit its label.
const widths = [[320, 1], [320, 3], [360, 1], [360, 3], [1280, 1], [1280, 3]];

async function widthTable(engine, browser, url) {
  for (const [width, scale] of widths) {
    const where = `${engine.name} at ${width} px ×${scale}`;
    const page = await openPage(browser, url, { width, scale });
    await compute(page, "7E+20");
    const shown = await page.evaluate(async () => {
      const description = (await createLccalc()).window();
      const client = document.getElementById("client").getBoundingClientRect();
      const factor = client.width / description.width;
      const off = description.controls.map((control) => {
        const r = document.getElementById(control.name).getBoundingClientRect();
        const want = [control.left, control.top, control.width, control.height].map((n) => n * factor);
        return [r.left - client.left, r.top - client.top, r.width, r.height]
          .some((n, i) => Math.abs(n - want[i]) > 0.5) ? control.name : "";
      }).filter(Boolean);
      const label = document.getElementById("LL");
      return {
        factor, off,
        sideways: document.documentElement.scrollWidth - innerWidth,
        right: document.getElementById("Form1").getBoundingClientRect().right - innerWidth,
        font: parseFloat(getComputedStyle(document.getElementById("F")).fontSize) / description.frequencyFontPixels,
        transformed: getComputedStyle(document.getElementById("Form1")).transform !== "none",
        cut: label.scrollWidth > label.clientWidth,
      };
    });
    const fits = shown.factor <= 1 && (width < 400 ? shown.factor > 0.8 : shown.factor === 1);
    check(fits && shown.off.length === 0, `${where}: scaled ${shown.factor}, out of place: ${shown.off}`);
    check(shown.sideways <= 0 && shown.right <= 0, `${where}: scrolls ${shown.sideways} px sideways`);
    check(Math.abs(shown.font - shown.factor) < 0.01 && !shown.transformed, `${where}: the box's font at ${shown.font}`);
    check(!shown.cut, `${where}: the elided result is cut`);
    check(page.errors.length === 0, `${where}: console errors ${page.errors}`);
    if (screenshots && width === 320 && scale === 3) await page.screenshot({ path: join(screenshots, `${engine.name}-320.png`) });
    await page.close();
  }
}

// How the calculator can fail to start, each on a server of its own, and a
// module that arrives late: what the page shows instead of the window.
const noWebAssembly = "Калькулятор не запустился: этот браузер не выполняет WebAssembly, " +
  "без которого расчёт невозможен. Откройте страницу в современном браузере.";
const notLoaded = "Калькулятор не запустился: его модуль (lccalc.wasm) не загрузился. " +
  "Проверьте подключение к сети и обновите страницу.";
const notFromFile = "Калькулятор не запустился: этот браузер не загружает его модуль (lccalc.wasm) " +
  "в страницу, открытую из файла. Откройте её через веб-сервер или в Firefox.";
const missing = (name) => (path, response) => path === `/${name}` && (response.writeHead(404).end(), true);
const failures = [
  { name: "lccalc.wasm missing", intercept: missing("lccalc.wasm"), shows: notLoaded },
  { name: "lccalc.js missing", intercept: missing("lccalc.js"), shows: notLoaded },
  {
    name: "lccalc.js failing", shows: notLoaded,
    intercept: (path, response) => path === "/lccalc.js" &&
      (response.writeHead(200, { "Content-Type": "text/javascript" }).end("throw new Error('broken');"), true),
  },
  { name: "no WebAssembly", prepare: (page) => page.evaluateOnNewDocument(() => { delete globalThis.WebAssembly; }),
    shows: noWebAssembly },
  // (Firefox 153's WebDriver BiDi cannot turn scripts off for one page.)
  { name: "no JavaScript", prepare: (page) => page.setJavaScriptEnabled(false), shows: "Для расчёта нужен JavaScript.",
    only: "chromium" },
  { name: "opened from a file", file: true, shows: notFromFile, only: "chromium" },
  { name: "a late module", late: true, shows: "" },
];

async function failureTable(engine, browser) {
  for (const mode of failures.filter((row) => (row.only ?? engine.name) === engine.name)) {
    const where = `${engine.name}, ${mode.name}`;
    let release = null;
    const held = new Promise((resolve) => { release = resolve; });
    const intercept = mode.late ? (path) => path === "/lccalc.wasm" && held.then(() => false) : mode.intercept;
    const server = await serveSite(site, intercept);
    try {
      const url = mode.file ? `file://${absolute(site)}/index.html` : server.url;
      const page = await openPage(browser, url, { prepare: mode.prepare, ready: mode.late ? "#Ok" : null });
      if (mode.late) {
        // A click before the module is ready waits for it.
        await typeFrequency(page, "7");
        await page.click("#Ok");
        await pause(200);
        release();
        await page.waitForSelector("body[data-ready]", { timeout: 15000 });
        const got = await until(page, () => document.getElementById("LL").getAttribute("aria-label"));
        check(got === "42.8571428571429" && page.errors.length === 0, `${where}: ${got}; ${page.errors}`);
      } else {
        // Until the page has failed, or (no scripts) has loaded.
        await until(page, () => document.body.dataset.failed || document.readyState === "complete");
        await pause(300);
        const line = await page.evaluate(() =>
          [...document.querySelectorAll(".notice")].filter((element) => element.getClientRects().length > 0)
            .map((element) => element.textContent.trim()).join(" | "));
        check(line === mode.shows, `${where}: shows ${JSON.stringify(line)}`);
        check(!(await visible(page, "Form1")), `${where}: the window is shown`);
      }
      await page.close();
    } finally {
      release();
      server.closeAllConnections();
      server.close();
    }
  }
}

// The site kept by its service worker: a copy of it served, loaded once; a
// new build of the copy replaces the kept site (a cache of a new name, the
// old one gone); then with the server stopped a reload still computes.
async function offline(engine, browser) {
  const where = `${engine.name}, offline`;
  const copy = mkdtempSync(join(tmpdir(), "lccalc-site-"));
  cpSync(site, copy, { recursive: true });
  const server = await serveSite(copy);
  try {
    const page = await openPage(browser, server.url);
    const kept = () => page.evaluate(async () => {
      await navigator.serviceWorker.ready;
      const names = await caches.keys();
      return { names, files: names.length ? (await (await caches.open(names[0])).keys()).length : 0 };
    });
    const files = JSON.parse(readFileSync(join(copy, "sw.js"), "utf8").match(/const files = (\[.*\]);/)[1]);
    await until(page, (count) => caches.keys().then((names) => names.length === 1 &&
      caches.open(names[0]).then((cache) => cache.keys()).then((keys) => keys.length === count)), files.length);
    const first = await kept();
    check(first.names.length === 1 && first.files === files.length, `${where}: kept ${JSON.stringify(first)}`);
    if (engine.name === "chromium") {
      const session = await page.createCDPSession();
      const { installabilityErrors } = await session.send("Page.getInstallabilityErrors");
      check(installabilityErrors.length === 0, `${where}: not installable: ${JSON.stringify(installabilityErrors)}`);
    }

    // A new build: another title, and the worker written again.
    const index = join(copy, "index.html");
    writeFileSync(index, readFileSync(index, "utf8").replace("<title>Расчёт LC-контура", "<title>Новая сборка"));
    execFileSync(cmake, [`-DSITE=${copy}`, `-DFILES=${files.slice(1).join(",")}`,
      `-DTEMPLATE=${join(here, "../site/sw.js.in")}`, `-DOUTPUT=${join(copy, "sw.js")}`,
      "-P", join(here, "../site_worker.cmake")]);
    await page.reload();
    await until(page, (old) => caches.keys().then((names) => names.length === 1 && names[0] !== old), first.names[0]);
    await page.reload();
    const second = await kept();
    check(second.names.length === 1 && second.names[0] !== first.names[0] &&
      await page.title() === "Новая сборка", `${where}: after a new build ${JSON.stringify(second)}, ${await page.title()}`);

    server.closeAllConnections();
    server.close();
    await page.reload();
    await page.waitForSelector("body[data-ready]", { timeout: 15000 });
    const got = await compute(page, "7");
    check(got.join() === "42.8571428571429,85.7142857142858,6.03714243212803", `${where}: 7 MHz gives ${got}`);
    check(page.errors.length === 0, `${where}: console errors ${page.errors}`);
    await page.close();
  } finally {
    server.closeAllConnections();
    server.close();
    rmSync(copy, { recursive: true, force: true });
  }
}

for (const engine of engines) {
  const server = await serveSite(site);
  const browsers = [];
  try {
    const started = Date.now();
    const browser = await engine.launch("en-US");
    browsers.push(browser);
    await mainFlow(engine, browser, server.url);
    await widthTable(engine, browser, server.url);
    await failureTable(engine, browser);
    await offline(engine, browser);

    // A Russian browser writes commas.
    const russian = await engine.launch("ru-RU");
    browsers.push(russian);
    const page = await openPage(russian, server.url);
    const commas = await compute(page, "144");
    check(commas.join(";") === "2,08333333333333;4,16666666666666;0,29347220156178", `${engine.name}, ru-RU: ${commas}`);
    console.log(`${engine.name}: ${((Date.now() - started) / 1000).toFixed(1)} s`);
  } catch (error) {
    failed++;
    console.log(`FAIL: ${engine.name}: ${error.stack}`);
  } finally {
    for (const browser of browsers) await browser.close();
    server.close();
  }
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
