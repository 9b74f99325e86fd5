// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The three engines as the page's tests and its driver start them, and the
// few things done to a page in any of them: Chromium and Firefox ESR through
// puppeteer-core (headless), WebKit's MiniBrowser through classic WebDriver
// (webdriver.mjs) on an X server of its own. A page of any engine has the
// same methods.
import puppeteer from "puppeteer-core";
import { chromium } from "./serve.mjs";
import { launchWebKit } from "./webdriver.mjs";

// A puppeteer page with the methods of a WebDriver one (webdriver.mjs),
// its console errors gathered.
export class PuppeteerPage {
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
  // Keys typed into the focused element.
  keys(text) { return this.page.keyboard.type(text); }
  click(selector) { return this.page.click(selector); }
  // A click at a point of the page, whatever is there.
  clickAt(x, y) { return this.page.mouse.click(x, y); }
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
export const puppeteerBrowser = async (options, { mobile = false, scheme = null } = {}) => {
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
export const engines = [
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
export async function openPage(browser, url, { ready = "body[data-ready]", ...options } = {}) {
  const page = await browser.newPage(options);
  await page.goto(url);
  if (ready) await until(page, (selector) => document.querySelector(selector) !== null, ready);
  return page;
}

export const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
// What `condition(argument)` gives in the page once it is truthy, or null
// after 15 s. An error report open meanwhile that the caller does not
// expect is closed, and the engine's checks end at once, failed with what
// it said. (Puppeteer's own waitForFunction builds its check with
// Function(), which the page's policy forbids in Firefox 140.)
export async function until(page, condition, argument, { report = false } = {}) {
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
