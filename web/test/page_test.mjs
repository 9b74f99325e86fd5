// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The web page in Chromium, Firefox ESR and WebKit (Debian's), served on
// 127.0.0.1 under the page's own strict policy and driven with keys, clicks
// and touches: Chromium and Firefox through puppeteer-core (headless),
// WebKit's MiniBrowser through classic WebDriver (webdriver.mjs) on an X
// server of its own. One set of checks runs in every engine, in English and
// Russian: the controls' places and texts, the title, the page's language
// and direction, Tab order with a focus ring wherever it goes, each result
// named by its caption, the worked values, what the live region says and
// when, the box's hint, where a long result is shortened (the table every
// front-end shares, in a point and in a comma language) and what a copy
// takes, an error report (modal, described by both its lines, closed by
// Enter or Escape with the focus back on OK), Exit, the buttons' colours
// and fonts, axe-core's rules at start, after a click, with the report open
// and after Exit; the policy refusing inline scripts, eval and other
// origins; the window dark and every text legible in the dark scheme; a
// table of screen widths (a phone's in Chromium; WebKit's narrow rows in a
// frame); the decimal separator of a browser's language (a Russian one's,
// one that Intl refuses, one it does not know, regional ones) and of the C
// locale; ways the calculator can fail to start, and a module that arrives
// late; the site kept offline by its service worker from a folder,
// replaced by a new build, and what the page says when it cannot be kept.
// Chromium also checks that the site is installable and opened from a
// file. Any error in a page that should work fails it. The texts expected
// are form/'s, as the page's own module and the built page give them.
//
// On Node's test runner, a describe per engine and a test per check:
//   node [--test-name-pattern=WHAT] page_test.mjs SITE_FOLDER CMAKE [SCREENSHOT_FOLDER]
// with LC_ENGINE=chromium, firefox or webkit for that engine only. (CMAKE
// runs the build's service-worker script, to make a new build.)
import assert from "node:assert/strict";
import { after, before, describe, test } from "node:test";
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

// (`mobile`: a page narrower than a desktop's is a phone's, which lays a
// page out 980 CSS pixels wide unless the page asks for the device's width.)
const puppeteerBrowser = async (options, { mobile = false, scheme = null } = {}) => {
  const browser = await puppeteer.launch(options);
  return {
    async newPage({ width = 1280, scale = 1, javaScript = true } = {}) {
      const page = await browser.newPage();
      // Firefox ESR 140 has no screen-orientation override, which puppeteer
      // sends beside the viewport; the viewport itself is set, and the
      // widths table checks it.
      await page.setViewport({ width, height: 800, deviceScaleFactor: scale, hasTouch: true, isMobile: mobile && width < 1280 }).catch((error) => {
        if (!error.message.includes("emulation.setScreenOrientationOverride")) throw error;
      });
      if (!javaScript) await page.setJavaScriptEnabled(false);
      if (scheme) await page.emulateMediaFeatures([{ name: "prefers-color-scheme", value: scheme }]);
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
    launch: (language, { scheme } = {}) => puppeteerBrowser({
      ...chromium, args: [...chromium.args, `--accept-lang=${language}`, `--lang=${language}`],
    }, { mobile: true, scheme }),
    locales: { "en-US": "en-US", "ru-RU": "ru-RU" },
    widths: true, noScript: true, fromFile: true, installable: true,
  },
  {
    name: "firefox",
    // (Its WebDriver BiDi cannot emulate a colour scheme: the browser is
    // set to one, as its user sets it.)
    launch: (language, { scheme } = {}) => puppeteerBrowser({
      browser: "firefox", executablePath: "/usr/bin/firefox-esr", headless: true,
      extraPrefsFirefox: { "intl.accept_languages": language,
        ...(scheme && { "layout.css.prefers-color-scheme.content-override": scheme === "dark" ? 0 : 1 }) },
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
  assert.ok(rows.length > 0, `${where}: no row of the table is written with ${separator}`);
  assert.deepEqual(problems, [], `${where}, shortening`);
}

// axe-core's violations, of any impact, as "rule (impact): targets".
async function violations(page) {
  if (!(await page.evaluate(() => Boolean(globalThis.axe)))) await page.run(axeSource);
  const found = await page.evaluate(async () =>
    (await axe.run(document, { resultTypes: ["violations"] })).violations
      .map((v) => `${v.id} (${v.impact}): ${v.nodes.map((node) => node.target.join(" ")).join(", ")}`));
  return found.join("; ");
}

// What the page's own module gives: the window's description (title,
// size, controls) and a click of OK on `typed` with `separator`.
const described = (page) => page.evaluate(async () => (await ready).window());
const clicked = (page, typed, separator = ".") =>
  page.evaluate(async (t, s) => (await ready).clickOk(t, s), typed, separator);

// The sentences the built page shows where the calculator cannot start, by
// their names in its script, and the one with scripts off.
const startFailures = (() => {
  const page = readFileSync(join(site, "index.html"), "utf8");
  const sentences = {};
  for (const [, name, pieces] of page.matchAll(/const (noWebAssembly|notLoaded|notFromFile) = ((?:"[^"]*"\s*\+?\s*)+);/g)) {
    sentences[name] = pieces.match(/"[^"]*"/g).map((piece) => JSON.parse(piece)).join("");
  }
  sentences.noScript = page.match(/<noscript><p class="notice">([^<]*)<\/p><\/noscript>/)[1];
  return sentences;
})();

// Closes `page`, failing the test where the page met an error.
async function done(page) {
  const errors = await errorsOf(page);
  await page.close();
  assert.equal(errors, "", "the page's errors");
}

// The window's own checks, each on a page of its own in `browser()`.
function windowTests(engine, browser, url, dark) {
  const where = engine.name;
  const opened = async () => openPage(await browser(), url());

  test("is clean for axe-core at start", async () => {
    const page = await opened();
    assert.equal(await violations(page), "");
    await done(page);
  });

  test("shows every control at its place with its text, and the title", async () => {
    const page = await opened();
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
            inWindow: element.parentElement === client && client.closest("#Form1") !== null };
        }),
      };
    });
    assert.equal(layout.controls.length, 10);
    assert.deepEqual(layout.size.slice(0, 2), layout.size.slice(2), "the window's size");
    for (const { control, place, shown, inWindow } of layout.controls) {
      assert.deepEqual(place, [control.left, control.top, control.width, control.height], control.name);
      assert.ok(shown === control.text && inWindow, `${control.name} shows ${JSON.stringify(shown)}`);
    }
    assert.equal(await text(page, "title"), (await described(page)).title);
    await done(page);
  });

  // A reader speaks the page with a Russian voice, and a browser hyphenates
  // and spell-checks it as Russian, only where the page says it is.
  test("is in Russian, written left to right", async () => {
    const page = await opened();
    const marked = await page.evaluate(() => [document.documentElement.lang,
      getComputedStyle(document.documentElement).direction, getComputedStyle(document.getElementById("Form1")).direction]);
    assert.deepEqual(marked, ["ru", "ltr", "ltr"]);
    await done(page);
  });

  test("names each result by its caption", async () => {
    const page = await opened();
    const named = await page.evaluate(() => ["L", "C", "LL"].map((id) =>
      document.getElementById(document.getElementById(id).getAttribute("aria-labelledby"))?.textContent));
    const { controls } = await described(page);
    assert.deepEqual(named, ["Label1", "Label2", "Label3"].map((name) => controls.find((c) => c.name === name).text));
    await done(page);
  });

  test("speaks through the announcer only", async () => {
    // Every other element a reader would watch (an output is a status) is silent.
    const page = await opened();
    const live = await page.evaluate(() =>
      [...document.querySelectorAll("[aria-live], [role=status], [role=alert], [role=log], output")]
        .filter((element) => (element.getAttribute("aria-live") ?? "polite") !== "off").map((element) => element.id));
    assert.deepEqual(live, ["failed", "announcer"]);
    await done(page);
  });

  test("starts in the box and tabs to OK, Exit and back, showing where the focus is", async () => {
    const page = await opened();
    // Where the focus is, and whether a ring shows it there.
    const at = () => page.evaluate(() => {
      const style = getComputedStyle(document.activeElement);
      return [document.activeElement?.id, style.outlineStyle !== "none" && parseFloat(style.outlineWidth) >= 1];
    });
    // The page gives the box the focus at its first frame, which may come
    // after it is ready.
    await until(page, () => document.activeElement?.id === "F");
    const order = [await at()];
    for (let i = 0; i < 2; i++) {
      await page.press("Tab");
      order.push(await at());
    }
    await page.press("Tab", { shift: true });
    await page.press("Tab", { shift: true });
    order.push(await at());
    assert.deepEqual(order, [["F", true], ["Ok", true], ["Command1", true], ["F", true]]);
    await done(page);
  });

  // The page's own policy (which the test's server sends as a header too):
  // no script but its own, no eval, nothing from another origin. (The eval
  // is tried by a first script of the page's origin: what a test evaluates
  // in the page over DevTools is not held to the policy.)
  test("refuses inline scripts, eval and other origins", async () => {
    const server = await serveSite(site, { inject: "try { globalThis.evalRan = eval('true'); } catch {}" });
    try {
      const page = await openPage(await browser(), server.url);
      const refused = await page.evaluate(async () => {
        const blocked = [];
        addEventListener("securitypolicyviolation", (event) => blocked.push(event.blockedURI));
        const inline = document.createElement("script");
        inline.textContent = "globalThis.inlineRan = true;";
        document.body.append(inline);
        const image = new Image();
        image.src = "http://127.0.0.2:9/elsewhere.png";
        await new Promise((resolve) => { image.onerror = image.onload = resolve; });
        await new Promise((resolve) => setTimeout(resolve, 100));
        return { evaluated: globalThis.evalRan === true, inline: globalThis.inlineRan === true,
          elsewhere: blocked.some((uri) => uri.startsWith("http://127.0.0.2")) };
      });
      assert.deepEqual(refused, { evaluated: false, inline: false, elsewhere: true });
      await page.close();
    } finally {
      server.close();
    }
  });

  test("submits nothing on Enter in the box", async () => {
    const page = await opened();
    await typeFrequency(page, "7");
    await page.press("Enter");
    assert.deepEqual(await results(page), ["", "", ""]);
    await done(page);
  });

  test("shows the worked values", async () => {
    const page = await opened();
    for (const frequency of ["1", "7", "144", ""]) {
      const want = await clicked(page, frequency);
      await typeFrequency(page, frequency);
      await page.click("#Ok");
      await until(page, (wanted) => document.getElementById("L").getAttribute("aria-label") === wanted, want.L);
      assert.deepEqual(await results(page), [want.LL, want.C, want.L], JSON.stringify(frequency));
    }
    await done(page);
  });

  test("announces the results once and hints what was read", async () => {
    const page = await opened();
    await typeFrequency(page, "7");
    await page.evaluate(() => document.getElementById("Ok").focus());
    await page.press("Enter");  // Enter on a focused button presses it
    const want = await clicked(page, "7");
    assert.equal(await announced(page), want.announcement);
    assert.equal(await page.evaluate(() => document.getElementById("F").title), want.hint);
    assert.equal(await violations(page), "", "axe-core after a click");
    await done(page);
  });

  test("shortens a long result in its fraction and copies it whole", async () => {
    const page = await opened();
    await typeFrequency(page, "7E+20");
    await page.click("#Ok");
    await until(page, () => document.getElementById("LL").textContent.includes("E"));
    const elided = await text(page, "LL");
    assert.ok(elided.includes("…") && elided.endsWith("E-19"), elided);
    const whole = await clicked(page, "7E+20");
    assert.equal(await value(page, "LL"), whole.LL, "the whole result is the label's name");
    // A copy takes every result it covers whole, a line for each control; a
    // part of a text shown whole, as the browser copies it.
    const { controls } = await described(page);
    const caption = (name) => controls.find((c) => c.name === name).text;
    const copies = [
      [["LL", 2, "LL", 6], whole.LL],
      [["L", 0, "LL", -1], [whole.L, caption("Label2"), whole.C, caption("Label3"), whole.LL].join("\n")],
      [["Label1", 0, "Label1", 1], caption("Label1").slice(0, 1)],
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
      assert.equal(got, want, `a copy of ${selected}`);
    }
    if (screenshots) await page.screenshot(join(screenshots, `${where}-window.png`), "#Form1");
    await done(page);
  });

  test("shortens at the edges of the shared table", async () => {
    const page = await opened();
    await shorteningTable(page, where, ".");
    await done(page);
  });

  // An overflow: a modal report titled as the window, the unreached result
  // blank; the live region keeps still while the report is open, and once
  // it is closed says what was reached; the focus goes back to OK.
  test("reports an overflow in a modal box titled as the window", async () => {
    const page = await opened();
    await compute(page, "7");
    const before = await announced(page);
    await typeFrequency(page, "1E+150");
    await page.click("#Ok");
    await until(page, () => document.getElementById("errorBox").open, undefined, { report: true });
    const dialog = await page.evaluate(() => {
      const box = document.getElementById("errorBox");
      const style = (element) => [getComputedStyle(element).color, getComputedStyle(element).fontFamily];
      return {
        open: box.open, modal: box.matches(":modal"), role: box.getAttribute("role"),
        title: box.querySelector(".title-bar").textContent,
        name: document.getElementById("errorName").textContent, detail: document.getElementById("errorDetail").textContent,
        // What a reader says after the title: the texts the box is described by.
        described: box.getAttribute("aria-describedby").split(" ").map((id) => document.getElementById(id)?.textContent),
        button: style(document.getElementById("errorOk")), message: style(document.getElementById("errorName")),
        focused: document.activeElement?.id,
      };
    });
    const want = await clicked(page, "1E+150");
    // Modal: the window behind it inert until it is closed.
    assert.ok(dialog.open && dialog.modal && dialog.role === "alertdialog", JSON.stringify(dialog));
    assert.equal(dialog.title, await text(page, "title"));
    assert.deepEqual([dialog.name, dialog.detail], [want.errorName, want.errorDetail]);
    assert.deepEqual(dialog.described, [want.errorName, want.errorDetail]);
    assert.equal(dialog.focused, "errorOk");
    // The buttons' texts take the window's colour and font, in the window and
    // in the report alike.
    const buttons = await page.evaluate(() => ["Ok", "Command1", "client"].map((id) =>
      [getComputedStyle(document.getElementById(id)).color, getComputedStyle(document.getElementById(id)).fontFamily]));
    assert.deepEqual([buttons[0], buttons[1], dialog.button], [buttons[2], buttons[2], dialog.message]);
    assert.deepEqual(await results(page), [want.LL, want.C, want.L]);
    assert.equal(await announced(page), before, "announced over the report");
    assert.equal(await violations(page), "", "axe-core with the report open");
    await done(page);
  });

  test("closes the report on Enter or Escape, the focus back on OK", async () => {
    const page = await opened();
    const want = await clicked(page, "1E+150");
    await typeFrequency(page, "1E+150");
    for (const key of ["Enter", "Escape"]) {
      await page.click("#Ok");
      await until(page, () => document.getElementById("errorBox").open, undefined, { report: true });
      await page.press(key);
      assert.ok(!(await page.evaluate(() => document.getElementById("errorBox").open)), `${key} left the report open`);
      assert.equal(await focused(page), "Ok", `after ${key}`);
      assert.equal(await announced(page), want.announcement, `after ${key}`);
    }
    await done(page);
  });

  // In the dark scheme: a dark window whose every text stands out 4.5:1
  // from what is behind it (a gradient at its worst), and a focus ring 3:1
  // from the window; axe-core clean after a click and with the report
  // open; the browser's own parts in the scheme's theme colour.
  test("is dark and legible in a dark scheme", async () => {
    const page = await openPage(await dark(), url());
    await compute(page, "7E+20");
    const legibility = () => page.evaluate(() => {
      const rgb = (text) => [...text.matchAll(/rgba?\(([^)]*)\)/g)].map((m) => m[1].split(/[ ,/]+/).map(Number));
      const luminance = ([r, g, b]) => [r, g, b].map((c) => c / 255)
        .map((c) => (c <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4))
        .reduce((sum, c, i) => sum + c * [0.2126, 0.7152, 0.0722][i], 0);
      const contrast = (a, b) => {
        const [high, low] = [luminance(a), luminance(b)].sort((x, y) => y - x);
        return (high + 0.05) / (low + 0.05);
      };
      // What is behind an element: the colours of the nearest background.
      const behind = (element) => {
        for (let node = element; node; node = node.parentElement) {
          const style = getComputedStyle(node);
          const colours = rgb(style.backgroundImage).concat(rgb(style.backgroundColor).filter((c) => c[3] !== 0));
          if (colours.length) return colours;
        }
        return [[255, 255, 255]];
      };
      const texts = [...document.querySelectorAll("#Form1 .title-bar, #client > *, #client legend, #errorBox:modal *")]
        .filter((element) => element.getClientRects().length && element.textContent + (element.value ?? ""));
      const poor = texts.map((element) => [element.id || element.tagName,
        Math.min(...behind(element).map((back) => contrast(rgb(getComputedStyle(element).color)[0], back)))])
        .filter(([, ratio]) => ratio < 4.5).map(([name, ratio]) => `${name} ${ratio.toFixed(2)}:1`);
      const window = behind(document.getElementById("client"))[0];
      document.getElementById("Ok").focus();
      const ring = contrast(rgb(getComputedStyle(document.getElementById("Ok")).outlineColor)[0], window);
      const theme = [...document.querySelectorAll("meta[name=theme-color]")]
        .find((meta) => matchMedia(meta.media || "all").matches)?.content ?? "#ffffff";
      return { dark: luminance(window) < 0.05, poor, ring: ring >= 3, checked: texts.map((element) => element.id || element.tagName),
        theme: luminance([1, 3, 5].map((i) => parseInt(theme.slice(i, i + 2), 16))) < 0.05 };
    });
    const shown = await legibility();
    assert.ok(shown.dark, "the window is not dark");
    assert.deepEqual(shown.poor, [], "texts below 4.5:1");
    assert.ok(shown.ring, "the focus ring is lost on the window");
    assert.ok(shown.theme, "the browser's parts are not in a dark theme colour");
    assert.ok(shown.checked.length >= 11, `checked only ${shown.checked}`);
    assert.equal(await violations(page), "", "axe-core after a click");
    if (screenshots) await page.screenshot(join(screenshots, `${engine.name}-dark.png`), "#Form1");
    await typeFrequency(page, "1E+150");
    await page.click("#Ok");
    await until(page, () => document.getElementById("errorBox").open, undefined, { report: true });
    assert.deepEqual((await legibility()).poor, [], "the report's texts below 4.5:1");
    assert.equal(await violations(page), "", "axe-core with the report open");
    await page.press("Escape");
    await done(page);
  });

  // Exit: the program ends as far as a page can; the line that says so has
  // the focus and is spoken. (A tab with a history of one page may be closed
  // by it, as Firefox does for this one: a second entry keeps it open.)
  test("ends on Exit, saying so", async () => {
    const page = await opened();
    await page.evaluate(() => history.pushState(null, "", location.href));
    await page.click("#Command1");
    assert.ok(!(await visible(page, "Form1")) && await visible(page, "ended"), "the window is still shown");
    assert.equal(await focused(page), "ended");
    assert.equal(await announced(page), (await text(page, "ended")).replace(/\s+/g, " ").trim());
    assert.equal(await violations(page), "", "axe-core after Exit");
    await done(page);
  });
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

function widthTests(engine, browser, url) {
  for (const [width, scale] of widths) test(`fits a screen ${width} px wide at ×${scale}`, async () => {
    const page = await openPage(await browser(), url(), { width, scale });
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
    assert.equal(shown.width, width);
    assert.equal(shown.natural, width > 360, shown.natural ? "as on the desktop" : "one column");
    assert.deepEqual(shown.off, [], "out of place");
    assert.ok(shown.sideways <= 0 && shown.right <= 0, `scrolls ${shown.sideways} px sideways`);
    assert.deepEqual(shown.fonts, [0, 0], "the box's and the results' fonts differ by so many px");
    assert.ok(!shown.cut, "the elided result is cut");
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
    assert.ok(report.inside && report.cut.length === 0, `the report ${JSON.stringify(report)}`);
    await page.tap("#errorOk");
    assert.ok(await until(page, () => !document.getElementById("errorBox").open, undefined, { report: true }),
      "a tap on the report's OK left it open");
    await done(page);
  });
}

// The decimal separator of the browser's language, for the tag the page is
// told (in a Russian browser, whose own separator is the comma): a tag
// that Intl refuses, and one it takes but knows nothing of, give the point
// and no error.
const languages = [
  ["C", "."], ["zz", "."], ["en-US", "."], ["ru", ","], ["de-CH", "."], ["pt-BR", ","], ["es-419", "."],
];

function languageTests(russian) {
  for (const [tag, separator] of languages) test(`writes ${separator} where the page is told the language ${tag}`, async () => {
    const inject = `${errorRecorder}Object.defineProperty(Navigator.prototype, "language", { get: () => ${JSON.stringify(tag)} });`;
    const server = await serveSite(site, { inject });
    try {
      const page = await openPage(await russian(), server.url);
      const want = await clicked(page, "144", separator);
      assert.deepEqual(await compute(page, "144"), [want.LL, want.C, want.L]);
      await done(page);
    } finally {
      server.close();
    }
  });
}

// How the calculator can fail to start, each on a server of its own, and a
// module that arrives late: what the page shows instead of the window (the
// name of the built page's sentence for it).
const answer = (name, status, body) => (path, response) =>
  path === `/${name}` && (response.writeHead(status, { "Content-Type": "application/wasm" }).end(body), true);
const failures = [
  { name: "lccalc.wasm missing", intercept: answer("lccalc.wasm", 404, ""), shows: "notLoaded" },
  { name: "lccalc.wasm broken", intercept: answer("lccalc.wasm", 200, "\0asm broken"), shows: "notLoaded" },
  { name: "no WebAssembly", inject: "delete globalThis.WebAssembly;", shows: "noWebAssembly" },
  { name: "no JavaScript", noScript: true, shows: "noScript" },
  { name: "opened from a file", file: true, shows: "notFromFile" },
  { name: "a late module", late: true },
];

function failureTests(engine, browser, noScriptBrowser) {
  for (const mode of failures) {
    if ((mode.noScript && !engine.noScript) || (mode.file && !engine.fromFile)) continue;
    test(mode.late ? "waits for a late module" : `says why it cannot start: ${mode.name}`, () => failure(mode, browser, noScriptBrowser));
  }
}

async function failure(mode, browser, noScriptBrowser) {
  let release = null;
  const held = new Promise((resolve) => { release = resolve; });
  const intercept = mode.late ? (path) => path === "/lccalc.wasm" && held.then(() => false) : mode.intercept;
  const server = await serveSite(site, { intercept, inject: `${errorRecorder}${mode.inject ?? ""}` });
  try {
    const url = mode.file ? `file://${absolute(site)}/index.html` : server.url;
    const page = await openPage(await (mode.noScript ? noScriptBrowser : browser)(), url,
      { ready: mode.late ? "#Ok" : null, javaScript: !mode.noScript });
    if (mode.late) {
      // A click before the module is ready waits for it.
      await typeFrequency(page, "7");
      await page.click("#Ok");
      await pause(200);
      release();
      await until(page, () => document.body.dataset.ready);
      const got = await until(page, () => document.getElementById("LL").getAttribute("aria-label"));
      assert.equal(got, (await clicked(page, "7")).LL);
      assert.equal(await errorsOf(page), "");
    } else {
      // Until the page has failed, or (no scripts) has loaded.
      await until(page, () => document.body.dataset.failed || document.readyState === "complete");
      await pause(300);
      const line = await page.evaluate(() =>
        [...document.querySelectorAll(".notice")].filter((element) => element.getClientRects().length > 0)
          .map((element) => element.textContent.trim()).join(" | "));
      assert.equal(line, startFailures[mode.shows]);
      assert.ok(!(await visible(page, "Form1")), "the window is shown");
    }
    await page.close();
  } finally {
    release();
    server.closeAllConnections();
    server.close();
  }
}

// The site kept by its service worker: a copy of it served from a folder,
// loaded once; a
// new build of the copy replaces the kept site (a cache of a new name, the
// old one gone); then with the server stopped a reload still computes.
async function offline(engine, browser) {
  const copy = mkdtempSync(join(tmpdir(), "lccalc-site-"));
  cpSync(site, copy, { recursive: true });
  // (No first script here: the kept site would ask for it offline. WebKit's
  // errors go unseen in this part.)
  // Served from a folder, as most hosts serve a project: it starts,
  // installs and is kept there, and the manifest's every address stays in it.
  const server = await serveSite(copy, { base: "/some/path/" });
  try {
    const page = await openPage(await browser(), server.url);
    const outside = await page.evaluate(async () => {
      const manifestUrl = document.querySelector("link[rel=manifest]").href;
      const manifest = await (await fetch(manifestUrl)).json();
      return [manifest.id, manifest.start_url, manifest.scope, ...manifest.icons.map((icon) => icon.src)]
        .filter((url) => !new URL(url, manifestUrl).href.startsWith(new URL(".", location.href).href));
    });
    assert.deepEqual(outside, [], "the manifest points out of its folder");
    const kept = () => page.evaluate(async () => {
      await navigator.serviceWorker.ready;
      const names = await caches.keys();
      return { names, files: names.length ? (await (await caches.open(names[0])).keys()).length : 0 };
    });
    const files = JSON.parse(readFileSync(join(copy, "sw.js"), "utf8").match(/const files = (\[.*\]);/)[1]);
    await until(page, (count) => caches.keys().then((names) => names.length === 1 &&
      caches.open(names[0]).then((cache) => cache.keys()).then((keys) => keys.length === count)), files.length);
    const first = await kept();
    assert.ok(first.names.length === 1 && first.files === files.length, `kept ${JSON.stringify(first)}`);
    if (engine.installable) {
      const { installabilityErrors } = await (await page.cdp()).send("Page.getInstallabilityErrors");
      assert.deepEqual(installabilityErrors, [], "not installable");
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
    assert.ok(second.names.length === 1 && second.names[0] !== first.names[0], `after a new build ${JSON.stringify(second)}`);
    assert.equal(await page.title(), "Новая сборка");

    server.closeAllConnections();
    server.close();
    await page.reload();
    await until(page, () => document.body.dataset.ready);
    const want = await clicked(page, "7");
    assert.deepEqual(await compute(page, "7"), [want.LL, want.C, want.L]);
    await done(page);
  } finally {
    server.closeAllConnections();
    server.close();
    rmSync(copy, { recursive: true, force: true });
  }
}

// One engine's every check, in a browser started when a check first needs
// it (one in each language asked for) and closed after the last.
function engineTests(engine) {
  const browsers = new Map();
  const launch = (locale, options) => () => {
    const key = JSON.stringify([locale, options]);
    if (!browsers.has(key)) browsers.set(key, engine.launch(engine.locales[locale] ?? locale, options));
    return browsers.get(key);
  };
  let server = null;
  const url = () => server.url;
  after(async () => {
    for (const browser of browsers.values()) await (await browser.catch(() => null))?.close();
    server?.close();
  });
  const browser = launch("en-US");
  before(async () => {
    server = await serveSite(site, { inject: errorRecorder });
  });
  windowTests(engine, browser, url, launch("en-US", { scheme: "dark" }));
  if (engine.widths) widthTests(engine, browser, url);
  // WebKit turns scripts off for a whole browser, the others for a page.
  failureTests(engine, browser, engine.name === "webkit" ? launch("en-US", { args: ["--enable-javascript=false"] }) : browser);
  test("is kept for offline use and replaced by a new build", () => offline(engine, browser));
  test("says when it cannot be kept for offline use, and works on", async () => {
    const server = await serveSite(site, {
      intercept: (path, response) => path === "/sw.js" && (response.writeHead(404).end(), true),
      inject: "globalThis.warned = []; console.warn = (...args) => warned.push(args.join(' '));",
    });
    try {
      const page = await openPage(await browser(), server.url);
      const warned = await until(page, () => globalThis.warned.join(" | "));
      assert.match(warned ?? "", /cannot be kept for offline use/);
      const want = await clicked(page, "7");
      assert.deepEqual(await compute(page, "7"), [want.LL, want.C, want.L]);
      await page.close();
    } finally {
      server.close();
    }
  });

  // A Russian browser writes commas; a language tag the page is told
  // gives its own separator.
  const russian = launch("ru-RU");
  test("writes commas in a Russian browser, and shortens at the table's edges", async () => {
    const page = await openPage(await russian(), url());
    const want = await clicked(page, "144", ",");
    assert.deepEqual(await compute(page, "144"), [want.LL, want.C, want.L]);
    await shorteningTable(page, `${engine.name}, ru-RU`, ",");
    await done(page);
  });
  languageTests(russian);
  if (engine.locales.C) {
    // A system in the C locale names its language "C", which Intl refuses.
    test("writes points in the C locale", async () => {
      const page = await openPage(await launch("C")(), url());
      assert.equal((await compute(page, "144"))[0], (await clicked(page, "144")).LL);
      assert.equal(await page.evaluate(() => navigator.language), "C");
      await done(page);
    });
  }
}

for (const engine of engines) {
  if (process.env.LC_ENGINE && process.env.LC_ENGINE !== engine.name) continue;
  describe(engine.name, () => engineTests(engine));
}
