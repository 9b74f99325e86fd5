// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The page's window comes drawn with the page; this gives it its clicks,
// which run the desktop program's C++ click flow in lccalc.wasm. The build
// puts it into the page, at the end, so that it runs as soon as the window
// is parsed, with nothing more to fetch but the module. The module loads
// in the background: a click before it is ready waits for it, and a line in
// place of the window says so if it cannot start.
"use strict";

// The module first, so that it compiles while the rest is set up.
const noWebAssembly = "Калькулятор не запустился: этот браузер не выполняет WebAssembly, " +
  "без которого расчёт невозможен. Откройте страницу в современном браузере.";
const notLoaded = "Калькулятор не запустился: его модуль (lccalc.wasm) не загрузился. " +
  "Проверьте подключение к сети и обновите страницу.";
// Chromium does not let a page opened from a file fetch another file.
const notFromFile = "Калькулятор не запустился: этот браузер не загружает его модуль (lccalc.wasm) " +
  "в страницу, открытую из файла. Откройте её через веб-сервер или в Firefox.";

// lccalc.wasm's bytes: fetched, or where a browser fetches no file into a
// page opened from a file (Firefox does let it read one), read.
async function moduleResponse() {
  try {
    const response = await fetch("lccalc.wasm");
    if (!response.ok) throw new Error(`lccalc.wasm: ${response.status}`);
    return response;
  } catch (error) {
    if (location.protocol !== "file:") throw error;
    return new Promise((resolve, reject) => {
      const request = new XMLHttpRequest();
      request.open("GET", "lccalc.wasm");
      request.responseType = "arraybuffer";
      request.onload = () => (request.response?.byteLength ? resolve(request.response) : reject(error));
      request.onerror = () => reject(error);
      request.send();
    });
  }
}

// The calculator, once lccalc.wasm is compiled and set up: its functions
// with texts in and out. It rejects where it cannot start: no WebAssembly,
// the module missing, blocked or broken.
async function startCalculator() {
  let width = () => 0;  // the label's measure while a result is elided
  let exports = null;
  const utf8 = new TextEncoder();
  const text = (at, length) => new TextDecoder().decode(new Uint8Array(exports.memory.buffer, at, length));
  const imports = {
    env: { width: (at, length) => width(text(at, length)) },
    wasi_snapshot_preview1: { proc_exit: (code) => { throw new Error(`lccalc.wasm ended with ${code}`); } },
  };
  const bytes = await moduleResponse();
  const { instance } = bytes instanceof Response && WebAssembly.instantiateStreaming
    ? await WebAssembly.instantiateStreaming(bytes, imports).catch(async () =>
      WebAssembly.instantiate(await (await fetch("lccalc.wasm")).arrayBuffer(), imports))
    : await WebAssembly.instantiate(bytes, imports);
  exports = instance.exports;
  exports._initialize();
  // Calls `name` with the texts as its arguments (and numbers after them);
  // gives the text it returns.
  const call = (name, texts, ...numbers) => {
    texts.forEach((arg, index) => {
      const encoded = utf8.encode(arg);
      new Uint8Array(exports.memory.buffer, exports.lc_input(index, encoded.length), encoded.length).set(encoded);
    });
    const at = exports[name](...numbers);
    return text(at, new Uint8Array(exports.memory.buffer, at).indexOf(0));
  };
  return {
    clickOk: (typed, separator) => JSON.parse(call("lc_click", [typed, separator])),
    // What a label `innerWidth` wide inside its border, its text `indent`
    // from it, shows of `result`, where `widthOf` measures a text in it.
    fitResult(result, separator, innerWidth, indent, widthOf) {
      width = widthOf;
      try {
        return call("lc_elide", [result, separator], innerWidth, indent);
      } finally {
        width = () => 0;
      }
    },
    window: () => JSON.parse(call("lc_window", [])),
  };
}

const ready = typeof WebAssembly === "object" ? startCalculator() : Promise.reject(new Error(noWebAssembly));

// The decimal separator of the browser's language, as the desktop program
// takes the system locale's. The build writes each language's separator
// here from its ICU data (separators by the languages, and by the
// language-region pairs that differ from their language, that use them):
// a browser's first number format takes tens of milliseconds to prepare.
// Only a language the table lacks asks Intl, and a tag that Intl refuses,
// or whose language it does not know, gives the point.
const separatorTable = { languages: {}, regions: {} };
function separatorOf(tag) {
  const [language, ...rest] = String(tag).toLowerCase().split(/[-_]/);
  const region = rest.find((part) => part.length === 2 || /^\d{3}$/.test(part))?.toUpperCase();
  const listed = (groups, wanted) =>
    Object.keys(groups).find((separator) => ` ${groups[separator]} `.includes(` ${wanted} `));
  const known = (region && listed(separatorTable.regions, `${language}-${region}`)) ??
    listed(separatorTable.languages, language);
  if (known) return known;
  try {
    const format = new Intl.NumberFormat(tag);
    if (format.resolvedOptions().locale.split("-")[0].toLowerCase() !== language) return ".";
    return format.formatToParts(1.5).find((part) => part.type === "decimal")?.value ?? ".";
  } catch {
    return ".";  // a tag Intl refuses ("C" where the system's locale is C.UTF-8)
  }
}
let separatorFound = null;
const separator = () => (separatorFound ??= separatorOf(navigator.language));

const byId = (id) => document.getElementById(id);
const form = byId("Form1");
const box = byId("F");
// The result labels; a click's results come named by their label's id.
const results = form.querySelectorAll("output");
const errorBox = byId("errorBox");


// The calculator itself once it is ready, for what cannot wait for it.
let calculator = null;
ready.then((lccalc) => {
  calculator = lccalc;
  document.body.dataset.ready = "true";
}, (error) => {
  form.hidden = true;
  if (errorBox.open) errorBox.close();
  const line = byId("failed");
  line.textContent = error?.message === noWebAssembly ? noWebAssembly
    : location.protocol === "file:" ? notFromFile : notLoaded;
  line.hidden = false;
  document.body.dataset.failed = "true";
});

// Where a result does not fit, fraction digits go before the exponent. The
// text is measured in the font the label shows it in.
let measure = null;
function show(label, text) {
  measure ??= document.createElement("canvas").getContext("2d");
  const style = getComputedStyle(label);
  measure.font = `${style.fontWeight} ${style.fontSize} ${style.fontFamily}`;
  // The text starts at the padding's edge, a border and a padding in.
  const indent = parseFloat(style.paddingLeft) + parseFloat(style.borderLeftWidth);
  label.textContent = calculator.fitResult(text, separator(), label.clientWidth, indent,
    (candidate) => measure.measureText(candidate).width);
  label.title = text;
  label.setAttribute("aria-label", text);
  label.dataset.value = text;  // the whole result, for Copy
}


const announcer = byId("announcer");
function announce(text) {
  // A live region speaks a change; clearing first makes a repeat a change.
  announcer.textContent = "";
  setTimeout(() => { announcer.textContent = text; }, 50);
}

// A failed click's announcement waits until its report is closed, so that
// it does not talk over the report.
let pending = "";
errorBox.addEventListener("close", () => {
  if (pending) announce(pending);
  pending = "";
  byId("Ok").focus();
});

// A click elsewhere while the report is open leaves the keyboard on its
// OK, as a desktop message box does: a click on the window behind it, or on
// its own text, would otherwise move the focus to the box itself, where
// Enter and Space close nothing.
errorBox.addEventListener("mousedown", (event) => {
  if (!byId("errorOk").contains(event.target)) event.preventDefault();
});

let waiting = false;
byId("Ok").addEventListener("click", () => {
  if (errorBox.open || waiting) return;  // one click and one report at a time
  const typed = box.value;
  waiting = true;
  ready.then((lccalc) => {
    waiting = false;
    if (form.hidden) return;  // Exit came first
    const shown = lccalc.clickOk(typed, separator());
    for (const label of results) {
      if (label.id in shown) show(label, shown[label.id]);
    }
    box.title = shown.hint;
    byId("hint").textContent = shown.hint;
    if (shown.errorName) {
      byId("errorName").textContent = shown.errorName;
      byId("errorDetail").textContent = shown.errorDetail;
      pending = shown.announcement ?? "";
      errorBox.showModal();
    } else {
      announce(shown.announcement);
    }
  }, () => { waiting = false; });
});

// A page cannot end its browser: Exit closes the tab where the browser
// lets a page do so (a tab the page itself opened), and otherwise ends
// the program as far as a page can: the window goes, its fields cleared,
// and a line says so, with the focus on it.
byId("Command1").addEventListener("click", () => {
  window.close();
  for (const label of results) {
    label.textContent = "";
    label.removeAttribute("title");
    label.removeAttribute("aria-label");
    delete label.dataset.value;
  }
  box.value = "";
  form.hidden = true;
  const ended = byId("ended");
  ended.hidden = false;
  ended.focus();
  announce(ended.textContent.replace(/\s+/g, " ").trim());
});

// A copy takes each result the selection covers whole, never its shortened
// form: a line for each control it covers. A part of one whole text is
// copied as the browser copies it.
byId("client").addEventListener("copy", (event) => {
  const selection = document.getSelection();
  const covered = [...byId("client").children].filter((node) => node.textContent && selection.containsNode(node, true));
  const shortened = covered.some((node) => node.dataset.value && node.textContent !== node.dataset.value);
  if (covered.length < 2 && !shortened) return;
  event.clipboardData.setData("text/plain", covered.map((node) => node.dataset.value ?? node.textContent).join("\n"));
  event.preventDefault();
});

// The box has the focus from the first frame on. (Given now, it would have
// the window laid out before the parser is done.)
requestAnimationFrame(() => box.focus());

// Offline use and installing: a service worker keeps the whole site; it is
// not needed for this visit, so it waits until the page has loaded. Where
// it cannot be had the page works on, and says why it will not offline.
if ("serviceWorker" in navigator && location.protocol !== "file:") {
  addEventListener("load", () => setTimeout(() => navigator.serviceWorker.register("sw.js").catch((error) => {
    console.warn(`lccalc: this page cannot be kept for offline use: ${error}`);
  }), 100));
}
