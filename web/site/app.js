// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The page's window comes drawn with the page; this gives it its clicks,
// which run the desktop program's C++ click flow in lccalc.wasm. The module
// loads in the background: a click before it is ready waits for it, and a
// line in place of the window says so if it cannot start.
"use strict";

// The decimal separator of the browser's language, as the desktop program
// takes the system locale's. A browser's first number format takes it tens
// of milliseconds to prepare, so it is asked for once the window is drawn,
// while the module loads.
let separatorFound = null;
function separator() {
  separatorFound ??= new Intl.NumberFormat(navigator.language).formatToParts(1.5)
    .find((part) => part.type === "decimal")?.value ?? ".";
  return separatorFound;
}
setTimeout(separator);

const byId = (id) => document.getElementById(id);
const form = byId("Form1");
const box = byId("F");
const results = { L: byId("L"), C: byId("C"), LL: byId("LL") };
const errorBox = byId("errorBox");
byId("errorTitle").textContent = byId("title").textContent;

const noWebAssembly = "Калькулятор не запустился: этот браузер не выполняет WebAssembly, " +
  "без которого расчёт невозможен. Откройте страницу в современном браузере.";
const notLoaded = "Калькулятор не запустился: его модуль (lccalc.wasm) не загрузился. " +
  "Проверьте подключение к сети и обновите страницу.";
// Chromium does not let a page opened from a file fetch another file.
const notFromFile = "Калькулятор не запустился: этот браузер не загружает его модуль (lccalc.wasm) " +
  "в страницу, открытую из файла. Откройте её через веб-сервер или в Firefox.";

// The calculator, once lccalc.wasm is compiled. It rejects where it cannot
// start: no WebAssembly, the loader or the module missing or blocked, an
// error in either.
const ready = new Promise((resolve, reject) => {
  if (typeof WebAssembly !== "object") reject(new Error(noWebAssembly));
  else resolve(createLccalc());
});

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
// text is measured in the font the label shows it in, at the window's scale.
const measure = document.createElement("canvas").getContext("2d");
function show(label, text) {
  const style = getComputedStyle(label);
  measure.font = `${style.fontWeight} ${style.fontSize} ${style.fontFamily}`;
  const indent = parseFloat(style.paddingLeft) + parseFloat(style.borderLeftWidth);
  const room = label.clientWidth - 2 * indent;
  label.textContent = calculator.elideResult(text, separator(), (candidate) =>
    measure.measureText(candidate).width <= room);
  label.title = text;
  label.setAttribute("aria-label", text);
  label.dataset.value = text;  // the whole result, for Copy
}

// The window shrinks and grows with the screen (a phone turned): each
// result is elided again for its label's new width.
new ResizeObserver(() => {
  for (const label of Object.values(results)) {
    if (label.dataset.value) show(label, label.dataset.value);
  }
}).observe(byId("client"));

// Copy of a selection in an elided result copies the whole result.
byId("client").addEventListener("copy", (event) => {
  const label = document.getSelection()?.anchorNode?.parentElement;
  if (label?.tagName !== "OUTPUT" || label.textContent === label.dataset.value) return;
  event.clipboardData.setData("text/plain", label.dataset.value);
  event.preventDefault();
});

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

let waiting = false;
byId("Ok").addEventListener("click", () => {
  if (errorBox.open || waiting) return;  // one click and one report at a time
  const typed = box.value;
  waiting = true;
  ready.then((lccalc) => {
    waiting = false;
    if (form.hidden) return;  // Exit came first
    const shown = lccalc.clickOk(typed, separator());
    for (const [field, label] of Object.entries(results)) {
      if (field in shown) show(label, shown[field]);
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
  for (const label of Object.values(results)) {
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

// Offline use and installing: a service worker keeps the whole site.
if ("serviceWorker" in navigator && location.protocol !== "file:") {
  navigator.serviceWorker.register("sw.js").catch(() => {});
}

box.focus();
