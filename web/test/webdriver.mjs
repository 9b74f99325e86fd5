// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// WebKit (WebKitGTK's MiniBrowser, Debian's webkit2gtk-driver) driven over
// classic W3C WebDriver with Node's own fetch, on an X server of its own:
// the engine of Safari, which puppeteer cannot drive. A browser here gives
// pages with the same few methods as the test's puppeteer pages.
//
// The browser's language is the driver's locale (LANG=C gives en-US,
// ru_RU.UTF-8 ru-RU, C.UTF-8 "C"). WebKit's WebDriver reports nothing of
// the console: a page's errors are those that the test's first script
// (errorRecorder) records.
import { spawn } from "node:child_process";
import { createServer } from "node:net";
import { fileURLToPath } from "node:url";

// A script that the page runs first: its errors, unhandled rejections,
// refusals of its policy and console errors, kept for errors().
export const errorRecorder = `"use strict";
globalThis.testErrors = [];
addEventListener("error", (event) => testErrors.push(event.message || "failed to load " +
  (event.target?.src || event.target?.href)), true);
addEventListener("unhandledrejection", (event) => testErrors.push(String(event.reason)));
addEventListener("securitypolicyviolation", (event) =>
  testErrors.push("refused by " + event.violatedDirective + ": " + event.blockedURI));
const consoleError = console.error;
console.error = (...args) => { testErrors.push(args.join(" ")); consoleError(...args); };
`;

const keys = { Tab: "\uE004", Enter: "\uE006", NumpadEnter: "\uE007", Shift: "\uE008", Escape: "\uE00C",
  Space: "\uE00D", " ": "\uE00D" };

// A free TCP port on 127.0.0.1.
function freePort() {
  return new Promise((resolve, reject) => {
    const probe = createServer().listen(0, "127.0.0.1", () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    }).on("error", reject);
  });
}

// The project's private desktop (an X server and a session bus of its own).
const desktop = fileURLToPath(new URL("../../scripts/desktop.py", import.meta.url));

class Page {
  constructor(browser, handle) {
    this.browser = browser;
    this.handle = handle;
  }

  async command(method, path, body) {
    await this.browser.select(this.handle);
    return this.browser.command(method, path, body);
  }

  // A page narrower than the browser's window opens in a frame that wide,
  // which every later command then works in.
  async goto(url) {
    if (!this.width) return this.command("POST", "/url", { url });
    // The frame's host: an empty page of the same server.
    await this.command("POST", "/url", { url: new URL("/lccalc-frame-host", url).href });
    await this.command("POST", "/execute/async", { args: [url, this.width], script:
      "const frame = document.createElement('iframe'); frame.width = arguments[1]; frame.height = 800;" +
      "frame.onload = arguments[2]; frame.src = arguments[0]; document.body.append(frame);" });
    await this.command("POST", "/frame", { id: 0 });
  }
  reload() { return this.command("POST", "/refresh", {}); }
  title() { return this.command("GET", "/title"); }

  // What `fn(...args)` gives in the page, awaited there.
  async evaluate(fn, ...args) {
    const script = "const done = arguments[arguments.length - 1];" +
      `Promise.resolve().then(() => (${fn}).apply(null, Array.from(arguments).slice(0, -1)))` +
      ".then((value) => done({ value }), (error) => done({ error: String(error) }));";
    const result = await this.command("POST", "/execute/async", { script, args });
    if (result?.error) throw new Error(`in the page: ${result.error}`);
    return result?.value;
  }

  async element(selector) {
    return Object.values(await this.command("POST", "/element", { using: "css selector", value: selector }))[0];
  }
  async type(selector, text) {
    if (text) await this.command("POST", `/element/${await this.element(selector)}/value`, { text });
  }
  // Keys typed into the focused element.
  async keys(text) {
    const active = Object.values(await this.command("GET", "/element/active"))[0];
    await this.command("POST", `/element/${active}/value`, { text });
  }
  async click(selector) {
    await this.command("POST", `/element/${await this.element(selector)}/click`, {});
  }
  // A click at a point of the page, whatever is there.
  async clickAt(x, y) {
    await this.command("POST", "/actions", { actions: [{ type: "pointer", id: "mouse",
      parameters: { pointerType: "mouse" }, actions: [{ type: "pointerMove", origin: "viewport",
        x: Math.round(x), y: Math.round(y) }, { type: "pointerDown", button: 0 }, { type: "pointerUp", button: 0 }] }] });
  }
  // A touch of a finger on the middle of the element.
  async tap(selector) {
    const origin = { "element-6066-11e4-a52e-4f735466cecf": await this.element(selector) };
    await this.command("POST", "/actions", { actions: [{ type: "pointer", id: "finger",
      parameters: { pointerType: "touch" }, actions: [{ type: "pointerMove", origin, x: 0, y: 0 },
        { type: "pointerDown", button: 0 }, { type: "pointerUp", button: 0 }] }] });
  }
  // A key, with Shift held where `shift` is true.
  async press(key, { shift = false } = {}) {
    const strokes = [{ type: "keyDown", value: keys[key] }, { type: "keyUp", value: keys[key] }];
    if (shift) strokes.unshift({ type: "keyDown", value: keys.Shift }), strokes.push({ type: "keyUp", value: keys.Shift });
    await this.command("POST", "/actions", { actions: [{ type: "key", id: "keyboard", actions: strokes }] });
  }
  errors() { return this.evaluate(() => globalThis.testErrors ?? []); }
  async screenshot(path) {
    const { writeFileSync } = await import("node:fs");
    writeFileSync(path, Buffer.from(await this.command("GET", "/screenshot"), "base64"));
  }
  // Runs `source`, a script of the test's (axe-core), in the page.
  run(source) { return this.command("POST", "/execute/sync", { script: `${source};return true;`, args: [] }); }
  // (The page's window stays, with nothing in it.)
  close() { return this.command("POST", "/url", { url: "about:blank" }); }
}

// MiniBrowser in `locale`, on an X server of its own, its windows
// `width` CSS pixels wide, with `args` for MiniBrowser (its settings, as
// --enable-javascript=false), in the colour `scheme` where given ("light"
// or "dark"); resolves to the browser.
export async function launchWebKit(locale, { width = 1280, args = [], scheme = null } = {}) {
  const port = await freePort();
  const driver = spawn("/usr/bin/python3", [desktop, "--screen", "1280x1024x24", "WebKitWebDriver",
    `--port=${port}`], { stdio: "ignore", env: { ...process.env, LANG: locale, LC_ALL: locale, LANGUAGE: "",
    // The scheme a GTK desktop's theme sets, which WebKitGTK follows.
    ...(scheme && { GTK_THEME: scheme === "dark" ? "Adwaita:dark" : "Adwaita" }) } });
  const ended = new Promise((resolve) => driver.on("exit", resolve));
  // The driver, its browser and their desktop end together.
  const stop = () => {
    driver.kill("SIGTERM");
    return ended;
  };
  const base = `http://127.0.0.1:${port}`;
  const browser = {
    current: null,
    async command(method, path, body) {
      const response = await fetch(`${base}/session/${this.session}${path}`, {
        method, headers: { "Content-Type": "application/json" }, body: body && JSON.stringify(body),
        signal: AbortSignal.timeout(60000),
      });
      const { value } = await response.json();
      if (value?.error) throw new Error(`WebDriver ${method} ${path}: ${value.error}: ${value.message}`);
      return value;
    },
    async select(handle) {
      if (this.current === handle) return;
      await this.command("POST", "/window", { handle });
      this.current = handle;
    },
    // The page of the browser's one window, where the test opens one page
    // at a time. (A new tab would open hidden, where a page's animation
    // frames never come; and closing a session's last window may end it.)
    async newPage({ width: wanted } = {}) {
      return Object.assign(new Page(this, this.first), { width: wanted < width ? wanted : 0 });
    },
    async close() {
      await fetch(`${base}/session/${this.session}`, { method: "DELETE", signal: AbortSignal.timeout(10000) })
        .catch(() => {});
      await stop();
    },
  };
  try {
    for (const end = Date.now() + 30000; ;) {
      const ready = await fetch(`${base}/status`).then((r) => r.json()).then((r) => r.value?.ready, () => false);
      if (ready) break;
      if (Date.now() > end) throw new Error("WebKitWebDriver did not start");
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
    const response = await fetch(`${base}/session`, {
      method: "POST", headers: { "Content-Type": "application/json" },
      // (Without --automation among its arguments the browser never answers.)
      body: JSON.stringify({ capabilities: { alwaysMatch: args.length
        ? { "webkitgtk:browserOptions": { args: ["--automation", ...args] } } : {} } }),
      signal: AbortSignal.timeout(60000),
    });
    browser.session = (await response.json()).value.sessionId;
    browser.first = browser.current = await browser.command("GET", "/window");
    await browser.command("POST", "/window/rect", { width, height: 900 });
  } catch (error) {
    await stop();
    throw error;
  }
  return browser;
}
