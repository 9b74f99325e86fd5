// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// What only the page has, in Chromium, Firefox ESR and WebKit (Debian's),
// served on 127.0.0.1 under the page's own strict policy (engines.mjs
// starts them): the policy refusing inline scripts, eval and other origins;
// a selection across results copied whole; where a long result is
// shortened (the table every front-end shares, in a point and in a comma
// language); a table of screen widths (a phone's in Chromium; WebKit's
// narrow rows in a frame), with the report on the screen and closed by a
// tap; the decimal separator of a browser's language (a Russian one's, one
// that Intl refuses, one it does not know, regional ones) and of the C
// locale; ways the calculator can fail to start, and a module that arrives
// late; the site kept offline by its service worker from a folder,
// replaced by a new build, and what the page says when it cannot be kept.
// Chromium also checks that the site is installable and opened from a
// file. Any error in a page that should work fails it. The results expected
// are form/'s, as form/test/form.json pins them. What a user meets in the
// window is the scenario table's (form/test/window_test.py, through
// driver.mjs).
//
// On Node's test runner, a describe per engine and a test per check:
//   node [--test-name-pattern=WHAT] page_test.mjs SITE_FOLDER CMAKE [SCREENSHOT_FOLDER]
// with LC_ENGINE=chromium, firefox or webkit for that engine only. (CMAKE
// runs the build's service-worker script, to make a new build.)
import assert from "node:assert/strict";
import { after, before, describe, test } from "node:test";
import { cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { execFileSync } from "node:child_process";
import { tmpdir } from "node:os";
import { dirname, join, resolve as absolute } from "node:path";
import { fileURLToPath } from "node:url";
import { engines, openPage, pause, until } from "./engines.mjs";
import { serveSite } from "./serve.mjs";
import { errorRecorder } from "./webdriver.mjs";

const [site, cmake, screenshots] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));

const results = (page) => page.evaluate(() =>
  ["LL", "C", "L"].map((id) => document.getElementById(id).getAttribute("aria-label") ?? ""));
const visible = (page, id) => page.evaluate((name) => document.getElementById(name).getClientRects().length > 0, id);
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

// form/'s words, the results of each typed text, and the table every
// front-end shares of where a long result is shortened (form/test/shortening.txt,
// as the C++ tests read it: its padding, and each row's whole result, three
// longest shortened forms, the form with one fraction digit and that with
// none), as form/test/form.json pins them.
const pinned = JSON.parse(readFileSync(join(here, "../../form/test/form.json"), "utf8"));
const { shortening } = pinned;

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

// What form/ says a click of OK on `typed` shows, with `separator`.
const clicked = (typed, separator = ".") => pinned.clicks[separator][typed];

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

// The page's own checks of its window, each on a page of its own in
// `browser()`; what a user meets in it is the scenario table's
// (form/test/window_test.py, through driver.mjs).
function windowTests(engine, browser, url) {
  const where = engine.name;
  const opened = async () => openPage(await browser(), url());

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

  // A selection across controls copies every result it covers whole, a line
  // for each control; a part of a text shown whole as the browser copies it.
  test("copies each result a selection covers whole", async () => {
    const page = await opened();
    await compute(page, "7E+20");
    const whole = pinned.clicks["."]["7E+20"];
    const caption = (name) => pinned.window.controls.find((c) => c.name === name).text;
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
        fonts: [parseFloat(getComputedStyle(document.getElementById("F")).fontSize) - description.frequencyFont.pixels,
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
      const want = clicked("144", separator);
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
      assert.equal(got, (clicked("7")).LL);
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
    const want = clicked("7");
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
  windowTests(engine, browser, url);
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
      const want = clicked("7");
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
    const want = clicked("144", ",");
    assert.deepEqual(await compute(page, "144"), [want.LL, want.C, want.L]);
    await shorteningTable(page, `${engine.name}, ru-RU`, ",");
    await done(page);
  });
  languageTests(russian);
  if (engine.locales.C) {
    // A system in the C locale names its language "C", which Intl refuses.
    test("writes points in the C locale", async () => {
      const page = await openPage(await launch("C")(), url());
      assert.equal((await compute(page, "144"))[0], (clicked("144")).LL);
      assert.equal(await page.evaluate(() => navigator.language), "C");
      await done(page);
    });
  }
}

for (const engine of engines) {
  if (process.env.LC_ENGINE && process.env.LC_ENGINE !== engine.name) continue;
  describe(engine.name, () => engineTests(engine));
}
