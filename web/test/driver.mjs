// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The page's driver for the scenario table (form/test/window_test.py): reads
// rows, a JSON object a line ({"steps", "locale", "scheme"}), on standard
// input, does each row's steps in a new page of the built site in the engine
// LC_ENGINE names (chromium, firefox or webkit), in the row's language and
// scheme, as a user would; and writes a line for each: {"observations": [...]},
// one for each "look".
//
//   node driver.mjs SITE_FOLDER < rows
import { readFileSync } from "node:fs";
import { createRequire } from "node:module";
import { createInterface } from "node:readline";
import { engines, openPage, pause, until } from "./engines.mjs";
import { serveSite } from "./serve.mjs";
import { errorRecorder } from "./webdriver.mjs";

const [site] = process.argv.slice(2);
const engine = engines.find((e) => e.name === process.env.LC_ENGINE);
const axeSource = readFileSync(createRequire(import.meta.url).resolve("axe-core/axe.min.js"), "utf8");

// What axe-core finds wrong for a reader or a keyboard, as "rule: targets".
async function violations(page) {
  if (!(await page.evaluate(() => Boolean(globalThis.axe)))) await page.run(axeSource);
  return page.evaluate(async () => (await axe.run(document, { resultTypes: ["violations"] })).violations
    .map((v) => `${v.id} (${v.impact}): ${v.nodes.map((node) => node.target.join(" ")).join(", ")}`));
}

// Run first in every page: what the live region says, as a screen reader
// hears it (each text it is given), and what a copy puts on the clipboard.
const recorder = `${errorRecorder}
globalThis.lcHeard = [];
globalThis.lcClipboard = null;
addEventListener("DOMContentLoaded", () => {
  // A live region is spoken when its text changes, not when the same text
  // is written again.
  const region = document.getElementById("announcer");
  let said = region.textContent;
  new MutationObserver(() => {
    if (region.textContent !== said && region.textContent) lcHeard.push(region.textContent);
    said = region.textContent;
  }).observe(region, { childList: true, characterData: true, subtree: true });
});`;

// Everything a user meets in the page now, in the scenario table's shape.
function observe() {
  const byId = (id) => document.getElementById(id);
  const textsOf = (ids) => (ids ?? "").split(" ").filter(Boolean).map((id) => byId(id)?.textContent ?? "");
  // The accessible name as a browser computes it, for the page's few kinds.
  const nameOf = (e) => e.hasAttribute("aria-labelledby") ? textsOf(e.getAttribute("aria-labelledby")).join(" ")
    : e.getAttribute("aria-label") ?? (e.tagName === "FIELDSET" ? e.querySelector("legend").textContent : e.textContent);
  const shown = (e) => e.tagName === "FIELDSET" ? e.querySelector("legend").textContent
    : e.tagName === "INPUT" ? e.value : e.textContent;
  const background = (e) => {
    for (let at = e; at; at = at.parentElement) {
      const colour = getComputedStyle(at).backgroundColor;
      if (!/rgba\(.*, 0\)$|transparent/.test(colour)) return colour;
    }
    return "";
  };
  // An element's markup, but for what other fields say (its tooltip and value).
  const attributes = (e) => Object.fromEntries([...e.attributes].filter((a) => !["title", "aria-label", "data-value"].includes(a.name))
    .map((a) => [a.name, a.value]));
  const heard = globalThis.lcHeard.splice(0);
  const form = byId("Form1");
  if (form.hidden) {
    const ended = byId("ended");
    // Its link starts the calculator again where it leads back to this page.
    const again = ended.querySelector("a");
    return { running: false, announced: heard, ended: ended.hidden ? "" : ended.textContent.replace(/\s+/g, " ").trim(),
      endedFocused: document.activeElement === ended,
      startsAgain: Boolean(again) && !again.getAttribute("href").includes("#") && again.target === "" &&
        again.href.split("#")[0] === location.href.split("#")[0] };
  }
  const client = byId("client");
  const origin = client.getBoundingClientRect();
  const box = byId("errorBox");
  const controls = {};
  for (const e of client.children) {
    const r = e.getBoundingClientRect();
    const style = getComputedStyle(e);
    controls[e.id] = {
      text: shown(e), rect: [r.left - origin.left, r.top - origin.top, r.width, r.height],
      focused: document.activeElement === e && !box.open, focusable: e.tabIndex >= 0 && !e.hidden,
      enabled: !e.disabled, name: nameOf(e),
      description: e.hasAttribute("aria-describedby") ? textsOf(e.getAttribute("aria-describedby")).join(" ")
        : e.hasAttribute("aria-labelledby") || e.hasAttribute("aria-label") ? e.title : "",
      tooltip: e.title, labelledBy: textsOf(e.getAttribute("aria-labelledby")),
      value: e.getAttribute("aria-label"), role: e.getAttribute("role") ?? e.tagName.toLowerCase(),
      font: { family: style.fontFamily, pixels: parseFloat(style.fontSize), weight: Number(style.fontWeight),
        italic: style.fontStyle !== "normal", underline: style.textDecorationLine !== "none" },
      colours: { text: style.color, background: background(e) }, cursor: style.cursor,
      outline: document.activeElement !== e ? "" : style.outlineStyle === "none" ? "none"
        : `${style.outlineStyle} ${style.outlineWidth} ${style.outlineColor}`,
      align: style.textAlign, live: e.getAttribute("aria-live"), attributes: attributes(e),
    };
  }
  const title = byId("title");
  return {
    running: true, announced: heard, clipboard: globalThis.lcClipboard, menu: null, controls,
    window: { title: title.textContent, size: [origin.width, origin.height], role: form.tagName.toLowerCase(),
      labelledBy: textsOf(form.getAttribute("aria-labelledby")), lang: document.documentElement.lang,
      dir: getComputedStyle(form).direction, document: document.title, announcer: attributes(byId("announcer")),
      theme: [...document.querySelectorAll("meta[name=theme-color]")]
        .find((meta) => matchMedia(meta.media || "all").matches)?.content ?? null,
      colours: { text: getComputedStyle(title).color, background: background(title) } },
    report: box.open ? { title: box.querySelector(".title-bar").textContent,
      lines: [byId("errorName").textContent, byId("errorDetail").textContent],
      focused: box.contains(document.activeElement), modal: box.matches(":modal"), role: box.getAttribute("role"),
      describedBy: textsOf(box.getAttribute("aria-describedby")), buttons: [byId("errorOk").textContent],
      colours: { text: getComputedStyle(byId("errorName")).color, background: background(byId("errorName")) } } : null,
  };
}

// A copy as the browser makes one of the selection: what the page puts on
// the clipboard, or else the selected text.
function copy() {
  let put = null;
  const setData = DataTransfer.prototype.setData;
  DataTransfer.prototype.setData = function (type, text) { put = text; return setData.call(this, type, text); };
  const at = getSelection().anchorNode;
  const target = at?.nodeType === Node.TEXT_NODE ? at.parentElement : at ?? document.activeElement;
  const event = new ClipboardEvent("copy", { clipboardData: new DataTransfer(), bubbles: true, cancelable: true });
  target.dispatchEvent(event);
  DataTransfer.prototype.setData = setData;
  globalThis.lcClipboard = put ?? getSelection().toString();
}

// A drag over characters `from` to `to` (-1: the end) of an element's text.
function select(id, from, to) {
  const element = document.getElementById(id);
  if (element.tagName === "INPUT") {
    element.focus();
    element.setSelectionRange(from, to < 0 ? element.value.length : to);
    return;
  }
  const text = element.firstChild;
  getSelection().setBaseAndExtent(text, from, text, to < 0 ? text.length : to);
}

// What a paste of `text` puts in the focused box, as the browser's own
// paste does (its length limit kept).
function paste(text) {
  globalThis.lcClipboard = text;
  document.execCommand("insertText", false, text);
}

const keys = { Return: "Enter", Enter: "NumpadEnter", Space: " " };

async function perform(page, [verb, ...args]) {
  if (verb === "type") await page.keys(args[0]);
  else if (verb === "paste") await page.evaluate(paste, args[0]);
  else if (verb === "click") {
    // Where a user's pointer would land, whatever is over the control then
    // (the report's backdrop, say).
    const [x, y] = await page.evaluate((id) => {
      const r = document.getElementById(id).getBoundingClientRect();
      return [r.left + r.width / 2, r.top + r.height / 2];
    }, args[0]);
    await page.clickAt(x, y);
  }
  else if (verb === "select") await page.evaluate(select, ...args);
  else if (verb === "press" && args[0] === "Ctrl+C") await page.evaluate(copy);
  else if (verb === "press") {
    const shift = args[0].startsWith("Shift+");
    const key = args[0].replace("Shift+", "");
    await page.press(keys[key] ?? key, { shift });
  } else throw new Error(`the page's driver cannot ${verb}`);
}

const browsers = new Map();
function browserFor(locale, scheme) {
  const language = locale.startsWith("ru") ? "ru-RU" : "en-US";
  const name = `${language} ${scheme}`;
  if (!browsers.has(name)) {
    browsers.set(name, engine.launch(engine.locales[language], scheme === "dark" ? { scheme } : {}));
  }
  return browsers.get(name);
}

const server = await serveSite(site, { inject: recorder });
try {
  for await (const line of createInterface({ input: process.stdin })) {
    if (!line.trim()) continue;
    const { steps, locale, scheme } = JSON.parse(line);
    // A new page for each row: nothing of an earlier row's (the pointer's
    // or the keyboard's last use, which decides where a focus ring shows)
    // carries over.
    const page = await openPage(await browserFor(locale, scheme), server.url);
    // The page gives the box the focus at its first frame. (A page its tab
    // opened first, Exit may close with the tab, as Firefox does: this one
    // has a page before it, as a visitor's has.)
    await until(page, () => document.activeElement?.id === "F");
    await page.evaluate(() => history.pushState(null, "", location.href));
    const observations = [];
    for (const [index, step] of steps.entries()) {
      if (step[0] === "look") {
        await pause(150);  // the live region is given its text 50 ms after a click
        // (axe-core at a row's last look, and wherever a report is open.)
        const seen = await page.evaluate(observe);
        const audit = index === steps.length - 1 || seen.report ? await violations(page) : "(not run)";
        observations.push({ ...seen, errors: await page.errors(), axe: audit });
      } else {
        await perform(page, step);
      }
    }
    await page.close();
    process.stdout.write(`${JSON.stringify({ observations })}\n`);
  }
} finally {
  for (const browser of browsers.values()) await (await browser.catch(() => null))?.close();
  server.close();
}
