// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The web page in Chromium, Firefox ESR and WebKit (Debian's), served on
// 127.0.0.1 under the page's own strict policy and driven with keys and
// clicks: Chromium and Firefox through puppeteer-core (headless), WebKit's
// MiniBrowser through classic WebDriver (webdriver.mjs) on an X server of
// its own. One set of checks runs in every engine: the controls' places and
// texts, Tab order, the worked values, where a long result is shortened
// (the table every front-end shares, in a point and in a comma
// language), an error report and the focus after it, what the live region
// says and when, Exit, the buttons' colours and
// fonts, the decimal separator of a language (a Russian browser's, one that
// Intl refuses, one it does not know), axe-core's accessibility rules, ways
// the calculator can fail to start, and the site kept offline by its
// service worker, and a table of screen widths.
// Any error in a page that should work fails it.
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
import { errorRecorder, launchWebKit } from "./webdriver.mjs";

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

// A puppeteer page with the methods of a WebDriver one (webdriver.mjs),
// its console errors gathered.
class PuppeteerPage {
  constructor(page) {
    this.page = page;
    this.gathered = [];
    page.on("console", (message) => {
      if (message.type() === "error") this.gathered.push(message.text());
    });
    page.on("pageerror", (error) => this.gathered.push(error.message));
  }
  goto(url) { return this.page.goto(url); }
  reload() { return this.page.reload(); }
  title() { return this.page.title(); }
  evaluate(fn, ...args) { return this.page.evaluate(fn, ...args); }
  type(selector, text) { return this.page.type(selector, text); }
  click(selector) { return this.page.click(selector); }
  async tap(selector) { await (await this.page.$(selector)).tap(); }
  async press(key, { shift = false } = {}) {
    if (shift) await this.page.keyboard.down("Shift");
    await this.page.keyboard.press(key);
    if (shift) await this.page.keyboard.up("Shift");
  }
  async errors() { return this.gathered; }
  // Runs `source`, a script of the test's (axe-core), in the page.
  run(source) { return this.page.evaluate(source); }
  async screenshot(path, selector) {
    await (selector ? await this.page.$(selector) : this.page).screenshot({ path });
  }
  close() { return this.page.close(); }
}

const puppeteerBrowser = async (options) => {
  const browser = await puppeteer.launch(options);
  return {
    async newPage({ width = 1280, scale = 1, javaScript = true } = {}) {
      const page = await browser.newPage();
      // Firefox ESR 140 has no screen-orientation override, which puppeteer
      // sends beside the viewport; the viewport itself is set, and the
      // widths table checks it.
      await page.setViewport({ width, height: 800, deviceScaleFactor: scale, hasTouch: true }).catch((error) => {
        if (!error.message.includes("emulation.setScreenOrientationOverride")) throw error;
      });
      if (!javaScript) await page.setJavaScriptEnabled(false);
      return Object.assign(new PuppeteerPage(page), { cdp: () => page.createCDPSession() });
    },
    close: () => browser.close(),
  };
};

// Each engine: how to start it in a language (a tag; WebKit takes a
// locale), and what it can do besides the shared checks.
const engines = [
  {
    name: "chromium",
    launch: (language) => puppeteerBrowser({
      ...chromium, args: [...chromium.args, `--accept-lang=${language}`, `--lang=${language}`],
    }),
    locales: { "en-US": "en-US", "ru-RU": "ru-RU" },
    widths: true, noScript: true, fromFile: true, installable: true,
  },
  {
    name: "firefox",
    launch: (language) => puppeteerBrowser({
      browser: "firefox", executablePath: "/usr/bin/firefox-esr", headless: true,
      extraPrefsFirefox: { "intl.accept_languages": language },
    }),
    locales: { "en-US": "en-US", "ru-RU": "ru-RU" },
    // (Firefox 153's WebDriver BiDi cannot turn scripts off for one page.)
    widths: true,
  },
  {
    name: "webkit",
    // The language is the driver's locale; the window is no narrower than
    // 447 pixels, so a narrower page is in a frame, at one device pixel
    // per CSS pixel.
    launch: (locale, options) => launchWebKit(locale, options),
    locales: { "en-US": "C", "ru-RU": "ru_RU.UTF-8", C: "C.UTF-8" },
    widths: true, noScript: true,
  },
];

// A page of `browser` at `url`, waiting for `ready` unless it is null. The
// page's own errors are recorded by a first script where `server` injects
// one (every server here does).
async function openPage(browser, url, { ready = "body[data-ready]", ...options } = {}) {
  const page = await browser.newPage(options);
  await page.goto(url);
  if (ready) await until(page, (selector) => document.querySelector(selector) !== null, ready);
  return page;
}

const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
// What `condition(argument)` gives in the page once it is truthy, or null
// after 15 s. An error report open meanwhile that the caller does not
// expect is closed, and the engine's checks end at once, failed with what
// it said. (Puppeteer's own waitForFunction builds its check with
// Function(), which the page's policy forbids in Firefox 140.)
async function until(page, condition, argument, { report = false } = {}) {
  for (const end = Date.now() + 15000; Date.now() < end; await pause(50)) {
    const said = report ? "" : await page.evaluate(() => {
      const box = document.getElementById("errorBox");
      if (!box?.open) return "";
      box.close();
      return box.textContent.replace(/\s+/g, " ").trim();
    });
    if (said) throw new Error(`a report no test expected: ${said}`);
    const got = await page.evaluate(condition, argument);
    if (got) return got;
  }
  return null;
}
const text = (page, id) => page.evaluate((name) => document.getElementById(name).textContent, id);
const value = (page, id) => page.evaluate((name) => document.getElementById(name).getAttribute("aria-label") ?? "", id);
const results = (page) => page.evaluate(() =>
  ["LL", "C", "L"].map((id) => document.getElementById(id).getAttribute("aria-label") ?? ""));
const focused = (page) => page.evaluate(() => document.activeElement?.id);
const visible = (page, id) => page.evaluate((name) => document.getElementById(name).getClientRects().length > 0, id);
const announced = async (page) => {
  await pause(150);
  return text(page, "announcer");
};
// Every error the page has met, as one text.
const errorsOf = async (page) => (await page.errors()).join(" | ");

async function typeFrequency(page, frequency) {
  await page.evaluate(() => { document.getElementById("F").value = ""; });
  await page.type("#F", frequency);
}

async function compute(page, frequency) {
  await typeFrequency(page, frequency);
  await page.click("#Ok");
  await until(page, () => document.getElementById("LL").hasAttribute("aria-label"));
  return results(page);
}

// The table every front-end shares of where a long result is shortened
// (form/test/shortening.txt): its padding, and each row's whole result, three
// longest shortened forms, the form with one fraction digit and that with
// none.
const shortening = (() => {
  const lines = readFileSync(join(here, "../../form/test/shortening.txt"), "utf8").split("\n");
  const padding = Number(lines.find((line) => line.startsWith("padding ")).slice(8));
  const rows = lines.filter((line) => line && !line.startsWith("#") && !line.startsWith("padding "))
    .map((line) => line.split(" | "));
  return { padding, rows };
})();

// The rows written with `separator`, on a page whose language writes it,
// at the edges shortening.txt names, measured in the label's own font.
async function shorteningTable(page, where, separator) {
  const rows = shortening.rows.filter((forms) => forms[0].includes(separator));
  const problems = await page.evaluate(({ padding, rows }) => {
    const label = document.getElementById("LL");
    const measure = document.createElement("canvas").getContext("2d");
    const style = getComputedStyle(label);
    measure.font = `${style.fontWeight} ${style.fontSize} ${style.fontFamily}`;
    label.style.width = "200px";
    const border = 200 - label.clientWidth;  // what the width set is more than the inner width
    // The narrowest label, inside its border, that shows `text` whole.
    const edge = (text) => Math.ceil(measure.measureText(text).width) + 2 * padding;
    const found = [];
    for (const forms of rows) {
      const shownAt = (inner) => {
        label.style.width = `${inner + border}px`;
        show(label, forms[0]);
        return label.textContent;
      };
      // The longest of the whole text and its three longest shortened forms
      // that fits `inner`.
      const longestAt = (inner) => forms.slice(0, 4).find((form) => edge(form) <= inner) ?? "(none of the table's)";
      const edges = forms.slice(0, 3).flatMap((form) => [edge(form), edge(form) - 1])
        .map((inner) => [inner, longestAt(inner)])
        .concat([[edge(forms[4]), forms[4]], [edge(forms[4]) - 1, forms[5]], [edge(forms[5]) - 1, forms[5]]]);
      for (const [inner, want] of edges) {
        const got = shownAt(inner);
        if (got !== want) found.push(`${forms[0]} at ${inner} px shows ${got}, not ${want}`);
      }
    }
    label.style.width = "";
    return found;
  }, { padding: shortening.padding, rows });
  check(rows.length > 0 && problems.length === 0, `${where}, shortening: ${problems.join("; ")}`);
}

// axe-core's violations, of any impact, as "rule (impact): targets".
async function violations(page) {
  if (!(await page.evaluate(() => Boolean(globalThis.axe)))) await page.run(axeSource);
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
    const description = (await ready).window();
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
          inWindow: element.parentElement === client && client.closest("#Form1") !== null,
          caption: document.getElementById(element.getAttribute("aria-labelledby"))?.textContent };
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
  // A result read on its own is named by its caption.
  const named = layout.controls.filter(({ control }) => ["L", "C", "LL"].includes(control.name)).map((c) => c.caption);
  check(named.join() === "L, мкГн,C, пФ,W, М", `${where}: the results are named by ${named}`);
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
    await page.press("Tab");
    order.push(await focused(page));
  }
  await page.press("Tab", { shift: true });
  await page.press("Tab", { shift: true });
  order.push(await focused(page));
  check(order.join() === "Ok,Command1,F", `${where}: Tab visits ${order}`);

  // Enter in the box submits nothing; OK shows the worked values.
  await typeFrequency(page, "7");
  await page.press("Enter");
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
    await until(page, (wanted) => document.getElementById("L").getAttribute("aria-label") === wanted, want[2]);
    const got = await results(page);
    check(got.join() === want.join(), `${where}: ${JSON.stringify(frequency)} gives ${got}`);
  }
  await typeFrequency(page, "7");
  await page.evaluate(() => document.getElementById("Ok").focus());
  await page.press("Enter");  // Enter on a focused button presses it
  const said = "L, мкГн 6.03714243212803; C, пФ 85.7142857142858; W, М 42.8571428571429";
  check(await announced(page) === said, `${where}: the live region says ${JSON.stringify(await text(page, "announcer"))}`);
  check(await page.evaluate(() => document.getElementById("F").title) === "Прочитано: 7 МГц", `${where}: the box's hint`);
  check(await violations(page) === "", `${where}, after a click: ${await violations(page)}`);

  // A long result loses fraction digits, not its exponent.
  await typeFrequency(page, "7E+20");
  await page.click("#Ok");
  await until(page, () => document.getElementById("LL").textContent.includes("E"));
  const elided = await text(page, "LL");
  check(elided.includes("…") && elided.endsWith("E-19"), `${where}: 7E+20 shows ${elided}`);
  check(await value(page, "LL") === "4.28571428571429E-19", `${where}: the whole result is the label's name`);
  // A copy takes every result it covers whole, a line for each control; a
  // part of a text shown whole, as the browser copies it.
  const copies = [
    [["LL", 2, "LL", 6], "4.28571428571429E-19"],
    [["L", 0, "LL", -1], "6.03714243212802E-20\nC, пФ\n8.57142857142858E-19\nW, М\n4.28571428571429E-19"],
    [["Label1", 0, "Label1", 1], "L"],
  ];
  for (const [selected, want] of copies) {
    const got = await page.evaluate(([from, start, to, end]) => {
      const node = (id) => document.getElementById(id).firstChild;
      getSelection().setBaseAndExtent(node(from), start, node(to), end < 0 ? node(to).length : end);
      // What the page puts on the clipboard (a test's copy event gives it
      // a clipboard that Firefox does not let it write).
      let put = null;
      const setData = DataTransfer.prototype.setData;
      DataTransfer.prototype.setData = function (type, text) { put = text; return setData.call(this, type, text); };
      const event = new ClipboardEvent("copy", { clipboardData: new DataTransfer(), bubbles: true });
      document.getElementById(from).dispatchEvent(event);
      DataTransfer.prototype.setData = setData;
      return put ?? getSelection().toString();
    }, selected);
    check(got === want, `${where}: a copy of ${selected} gives ${JSON.stringify(got)}`);
  }
  if (screenshots) await page.screenshot(join(screenshots, `${where}-window.png`), "#Form1");
  await shorteningTable(page, where, ".");

  // An overflow: a modal report titled as the window, the unreached result
  // blank; the live region keeps still while the report is open, and once
  // it is closed says what was reached; the focus goes back to OK.
  const before = await announced(page);
  await typeFrequency(page, "1E+150");
  await page.click("#Ok");
  const opened = () => until(page, () => document.getElementById("errorBox").open, undefined, { report: true });
  await opened();
  const dialog = await page.evaluate(() => {
    const box = document.getElementById("errorBox");
    const style = (element) => [getComputedStyle(element).color, getComputedStyle(element).fontFamily];
    return {
      open: box.open, modal: box.matches(":modal"), role: box.getAttribute("role"),
      title: box.querySelector(".title-bar").textContent,
      name: document.getElementById("errorName").textContent, detail: document.getElementById("errorDetail").textContent,
      button: style(document.getElementById("errorOk")), message: style(document.getElementById("errorName")),
      focused: document.activeElement?.id,
    };
  });
  // Modal: the window behind it inert until it is closed.
  check(dialog.open && dialog.modal && dialog.role === "alertdialog", `${where}: the report is ${JSON.stringify(dialog)}`);
  check(dialog.title === await text(page, "title"), `${where}: the report's title`);
  check(dialog.name === "Переполнение" && dialog.detail === "Введите другую частоту.",
    `${where}: the report says ${dialog.name} / ${dialog.detail}`);
  check(dialog.focused === "errorOk", `${where}: with the report open the focus is on ${dialog.focused}`);
  // The buttons' texts take the window's colour and font, in the window and
  // in the report alike.
  const buttons = await page.evaluate(() => ["Ok", "Command1", "client"].map((id) =>
    [getComputedStyle(document.getElementById(id)).color, getComputedStyle(document.getElementById(id)).fontFamily]));
  check(JSON.stringify(buttons[0]) === JSON.stringify(buttons[2]) && JSON.stringify(buttons[1]) === JSON.stringify(buttons[2]) &&
    JSON.stringify(dialog.button) === JSON.stringify(dialog.message),
    `${where}: button texts ${JSON.stringify(buttons)}, the report's ${dialog.button} beside ${dialog.message}`);
  check((await results(page)).join() === "3E-148,6E-148,", `${where}: after the overflow: ${await results(page)}`);
  check(await announced(page) === before, `${where}: announced over the report: ${await text(page, "announcer")}`);
  check(await violations(page) === "", `${where}, with the report open: ${await violations(page)}`);
  // Closed by Enter on its OK, or by Escape: the focus is back on OK.
  for (const key of ["Enter", "Escape"]) {
    if (key === "Escape") {
      await page.click("#Ok");
      await opened();
    }
    await page.press(key);
    check(!(await page.evaluate(() => document.getElementById("errorBox").open)), `${where}: ${key} left the report open`);
    check(await focused(page) === "Ok", `${where}: after ${key} on the report the focus is on ${await focused(page)}`);
    check(await announced(page) === "C, пФ 6E-148; W, М 3E-148", `${where}: then: ${await text(page, "announcer")}`);
  }

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
  check(await errorsOf(page) === "", `${where}: errors ${await errorsOf(page)}`);
  await page.close();
}

// Width in CSS pixels (320 is also a 1280-pixel screen at 400% zoom, 180 a
// 360-pixel phone at 200%) and the device's pixels per CSS pixel. Where the
// window fits, every control is at its place; where it does not, it is one
// column at the same size: every control whole on the screen, the frame
// round the box, then each control below the one before. Either way its
// text is the desktop's size, nothing scrolls sideways, a long result is
// elided to fit its label, and the report is on the screen with its text
// wrapped, its OK closing it at a touch.
const widths = [[180, 2], [280, 1], [320, 1], [320, 3], [360, 1], [360, 3], [1280, 1], [1280, 3]];

async function widthTable(engine, browser, url) {
  for (const [width, scale] of widths) {
    const where = `${engine.name} at ${width} px ×${scale}`;
    const page = await openPage(browser, url, { width, scale });
    await compute(page, "7E+20");
    const shown = await page.evaluate(async () => {
      const description = (await ready).window();
      const client = document.getElementById("client").getBoundingClientRect();
      const rects = description.controls.map((c) => [c, document.getElementById(c.name).getBoundingClientRect()]);
      const natural = client.width === description.width && client.height === description.height;
      const off = rects.filter(([c, r], i) => (natural
        ? [r.left - client.left - c.left, r.top - client.top - c.top, r.width - c.width, r.height - c.height]
          .some((n) => Math.abs(n) > 0.5)
        : Math.abs(r.width - c.width) > 0.5 || Math.abs(r.height - c.height) > 0.5 || r.left < 0 ||
          r.right > innerWidth || (i === 1 ? r.top < rects[0][1].top || r.bottom > rects[0][1].bottom
            : i > 1 && r.top < Math.max(...rects.slice(0, i).map(([, q]) => q.bottom))))).map(([c]) => c.name);
      const label = document.getElementById("LL");
      return {
        natural, off, width: innerWidth,
        sideways: document.documentElement.scrollWidth - innerWidth,
        right: document.getElementById("Form1").getBoundingClientRect().right - innerWidth,
        fonts: [parseFloat(getComputedStyle(document.getElementById("F")).fontSize) - description.frequencyFontPixels,
          parseFloat(getComputedStyle(label).fontSize) - description.windowFontPixels],
        cut: label.scrollWidth > label.clientWidth,
      };
    });
    check(shown.width === width && shown.natural === width > 360 && shown.off.length === 0,
      `${where}: ${shown.natural ? "as on the desktop" : "one column"}, out of place: ${shown.off}`);
    check(shown.sideways <= 0 && shown.right <= 0, `${where}: scrolls ${shown.sideways} px sideways`);
    check(shown.fonts.join() === "0,0", `${where}: the box's and the results' fonts differ by ${shown.fonts} px`);
    check(!shown.cut, `${where}: the elided result is cut`);
    if (screenshots && width === 320 && scale === 3) await page.screenshot(join(screenshots, `${engine.name}-320.png`));

    await typeFrequency(page, "1E+150");
    await page.click("#Ok");
    await until(page, () => document.getElementById("errorBox").open, undefined, { report: true });
    const report = await page.evaluate(() => {
      const box = document.getElementById("errorBox");
      const r = box.getBoundingClientRect();
      return { inside: r.left >= 0 && r.top >= 0 && r.right <= innerWidth && r.bottom <= innerHeight,
        cut: [...box.querySelectorAll("*")].filter((e) => e.scrollWidth > e.clientWidth).map((e) => e.id || e.tagName) };
    });
    check(report.inside && report.cut.length === 0, `${where}: the report ${JSON.stringify(report)}`);
    await page.tap("#errorOk");
    check(await until(page, () => !document.getElementById("errorBox").open, undefined, { report: true }),
      `${where}: a tap on the report's OK left it open`);
    check(await errorsOf(page) === "", `${where}: errors ${await errorsOf(page)}`);
    await page.close();
  }
}

// The decimal separator of the browser's language, for the tag the page is
// told (in a Russian browser, whose own separator is the comma): a tag
// that Intl refuses, and one it takes but knows nothing of, give the point
// and no error.
const languages = [
  ["C", "."], ["zz", "."], ["en-US", "."], ["ru", ","], ["de-CH", "."], ["pt-BR", ","], ["es-419", "."],
];

async function languageTable(engine, russian) {
  for (const [tag, separator] of languages) {
    const inject = `${errorRecorder}Object.defineProperty(Navigator.prototype, "language", { get: () => ${JSON.stringify(tag)} });`;
    const server = await serveSite(site, { inject });
    try {
      const page = await openPage(russian, server.url);
      const got = await compute(page, "144");
      const want = ["2.08333333333333", "4.16666666666666", "0.29347220156178"].map((n) => n.replace(".", separator));
      check(got.join(";") === want.join(";") && await errorsOf(page) === "",
        `${engine.name}, language ${tag}: ${got}; errors ${await errorsOf(page)}`);
      await page.close();
    } finally {
      server.close();
    }
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
const answer = (name, status, body) => (path, response) =>
  path === `/${name}` && (response.writeHead(status, { "Content-Type": "application/wasm" }).end(body), true);
const failures = [
  { name: "lccalc.wasm missing", intercept: answer("lccalc.wasm", 404, ""), shows: notLoaded },
  { name: "lccalc.wasm broken", intercept: answer("lccalc.wasm", 200, "\0asm broken"), shows: notLoaded },
  { name: "no WebAssembly", inject: "delete globalThis.WebAssembly;", shows: noWebAssembly },
  { name: "no JavaScript", noScript: true, shows: "Для расчёта нужен JavaScript." },
  { name: "opened from a file", file: true, shows: notFromFile },
  { name: "a late module", late: true, shows: "" },
];

async function failureTable(engine, browser, noScriptBrowser) {
  for (const mode of failures) {
    if ((mode.noScript && !engine.noScript) || (mode.file && !engine.fromFile)) continue;
    const where = `${engine.name}, ${mode.name}`;
    let release = null;
    const held = new Promise((resolve) => { release = resolve; });
    const intercept = mode.late ? (path) => path === "/lccalc.wasm" && held.then(() => false) : mode.intercept;
    const server = await serveSite(site, { intercept, inject: `${errorRecorder}${mode.inject ?? ""}` });
    try {
      const url = mode.file ? `file://${absolute(site)}/index.html` : server.url;
      const page = await openPage(mode.noScript ? noScriptBrowser : browser, url,
        { ready: mode.late ? "#Ok" : null, javaScript: !mode.noScript });
      if (mode.late) {
        // A click before the module is ready waits for it.
        await typeFrequency(page, "7");
        await page.click("#Ok");
        await pause(200);
        release();
        await until(page, () => document.body.dataset.ready);
        const got = await until(page, () => document.getElementById("LL").getAttribute("aria-label"));
        check(got === "42.8571428571429" && await errorsOf(page) === "", `${where}: ${got}; ${await errorsOf(page)}`);
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

// The site kept by its service worker: a copy of it served from a folder,
// loaded once; a
// new build of the copy replaces the kept site (a cache of a new name, the
// old one gone); then with the server stopped a reload still computes.
async function offline(engine, browser) {
  const where = `${engine.name}, offline`;
  const copy = mkdtempSync(join(tmpdir(), "lccalc-site-"));
  cpSync(site, copy, { recursive: true });
  // (No first script here: the kept site would ask for it offline. WebKit's
  // errors go unseen in this part.)
  // Served from a folder, as most hosts serve a project: it starts,
  // installs and is kept there, and the manifest's every address stays in it.
  const server = await serveSite(copy, { base: "/some/path/" });
  try {
    const page = await openPage(browser, server.url);
    const outside = await page.evaluate(async () => {
      const manifestUrl = document.querySelector("link[rel=manifest]").href;
      const manifest = await (await fetch(manifestUrl)).json();
      return [manifest.id, manifest.start_url, manifest.scope, ...manifest.icons.map((icon) => icon.src)]
        .filter((url) => !new URL(url, manifestUrl).href.startsWith(new URL(".", location.href).href));
    });
    check(outside.length === 0, `${where}: the manifest points out of its folder: ${outside}`);
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
    if (engine.installable) {
      const { installabilityErrors } = await (await page.cdp()).send("Page.getInstallabilityErrors");
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
    await until(page, () => document.body.dataset.ready);
    const got = await compute(page, "7");
    check(got.join() === "42.8571428571429,85.7142857142858,6.03714243212803", `${where}: 7 MHz gives ${got}`);
    check(await errorsOf(page) === "", `${where}: errors ${await errorsOf(page)}`);
    await page.close();
  } finally {
    server.closeAllConnections();
    server.close();
    rmSync(copy, { recursive: true, force: true });
  }
}

for (const engine of engines) {
  const server = await serveSite(site, { inject: errorRecorder });
  const browsers = [];
  const launch = async (locale, options) => {
    const browser = await engine.launch(engine.locales[locale] ?? locale, options);
    browsers.push(browser);
    return browser;
  };
  try {
    const started = Date.now();
    const browser = await launch("en-US");
    await mainFlow(engine, browser, server.url);
    if (engine.widths) await widthTable(engine, browser, server.url);
    // WebKit turns scripts off for a whole browser, the others for a page.
    const noScript = engine.name === "webkit" ? await launch("en-US", { args: ["--enable-javascript=false"] })
      : browser;
    await failureTable(engine, browser, noScript);
    await offline(engine, browser);

    // A Russian browser writes commas; a language tag the page is told
    // gives its own separator.
    const russian = await launch("ru-RU");
    const page = await openPage(russian, server.url);
    const commas = await compute(page, "144");
    check(commas.join(";") === "2,08333333333333;4,16666666666666;0,29347220156178", `${engine.name}, ru-RU: ${commas}`);
    await shorteningTable(page, `${engine.name}, ru-RU`, ",");
    await page.close();
    await languageTable(engine, russian);
    if (engine.locales.C) {
      // A system in the C locale names its language "C", which Intl refuses.
      const page = await openPage(await launch("C"), server.url);
      const got = await compute(page, "144");
      check(got[0] === "2.08333333333333" && await errorsOf(page) === "" &&
        await page.evaluate(() => navigator.language) === "C", `${engine.name} in C.UTF-8: ${got}; ${await errorsOf(page)}`);
      await page.close();
    }
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
