// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The page's window, built from the description that lccalc.wasm carries,
// and its clicks, which run the desktop program's C++ click flow.
"use strict";

// The decimal separator of the browser's language, as the desktop program
// takes the system locale's.
const separator =
  new Intl.NumberFormat(navigator.language).formatToParts(1.5).find((part) => part.type === "decimal")
    ?.value ?? ".";

createLccalc().then((lccalc) => {
  const description = lccalc.window();
  const client = document.getElementById("client");
  const controls = {};
  const windowFont = `${description.windowFontPixels}px system-ui, "Segoe UI", "DejaVu Sans", sans-serif`;

  document.getElementById("title").textContent = description.title;
  document.getElementById("errorTitle").textContent = description.title;
  client.style.width = `${description.width}px`;
  client.style.height = `${description.height}px`;
  client.style.font = windowFont;

  // Every control at its place, in the order of the description: the frame
  // before the box, so that the box lies above it. The box and the buttons
  // come in the order of their tab indices, so Tab visits them in it.
  for (const control of description.controls) {
    let element;
    switch (control.kind) {
      case "textBox":
        element = document.createElement("input");
        element.type = "text";
        element.maxLength = description.maxFrequencyLength;
        element.autocomplete = "off";
        element.spellcheck = false;
        element.style.font = `${description.frequencyFontWeight} ${description.frequencyFontPixels}px ` +
          `"${description.frequencyFont}", "DejaVu Sans", sans-serif`;
        break;
      case "pushButton":
        element = document.createElement("button");
        element.type = "button";
        element.textContent = control.text;
        element.style.font = windowFont;
        break;
      case "groupFrame": {
        element = document.createElement("fieldset");
        const legend = document.createElement("legend");
        legend.textContent = control.text;
        element.append(legend);
        break;
      }
      case "captionLabel":
        element = document.createElement("div");
        element.textContent = control.text;
        break;
      case "resultLabel":
        element = document.createElement("output");
        element.style.paddingLeft = `${description.resultIndent - 1}px`;
        break;
    }
    element.id = control.name;
    Object.assign(element.style, {
      left: `${control.left}px`,
      top: `${control.top}px`,
      width: `${control.width}px`,
      height: `${control.height}px`,
    });
    client.append(element);
    controls[control.name] = element;
  }

  const box = controls.F;
  const frame = controls.Frame1;
  box.setAttribute("aria-label", frame.textContent);
  box.setAttribute("aria-describedby", "hint");
  // A result is named by its caption above it; its value is its text.
  for (const [result, caption] of [["L", "Label1"], ["C", "Label2"], ["LL", "Label3"]]) {
    controls[result].setAttribute("aria-labelledby", caption);
    controls[result].setAttribute("aria-live", "off");
  }

  // Where a result does not fit, fraction digits go before the exponent.
  const measure = document.createElement("canvas").getContext("2d");
  measure.font = windowFont;
  function show(result, text) {
    const label = controls[result];
    const room = label.clientWidth - 2 * description.resultIndent;
    label.textContent = lccalc.elideResult(text, separator, (candidate) =>
      measure.measureText(candidate).width <= room);
    label.title = text;
    label.setAttribute("aria-label", text);
    label.dataset.value = text;  // the whole result, for Copy
  }

  // Copy of a selection in an elided result copies the whole result.
  client.addEventListener("copy", (event) => {
    const label = document.getSelection()?.anchorNode?.parentElement;
    if (label?.tagName !== "OUTPUT" || label.textContent === label.dataset.value) return;
    event.clipboardData.setData("text/plain", label.dataset.value);
    event.preventDefault();
  });

  const announcer = document.getElementById("announcer");
  function announce(text) {
    // A live region speaks a change; clearing first makes a repeat a change.
    announcer.textContent = "";
    setTimeout(() => { announcer.textContent = text; }, 50);
  }

  const errorBox = document.getElementById("errorBox");
  let pending = "";
  errorBox.addEventListener("close", () => {
    if (pending) announce(pending);
    pending = "";
    controls.Ok.focus();
  });

  controls.Ok.addEventListener("click", () => {
    if (errorBox.open) return;  // one report at a time
    const shown = lccalc.clickOk(box.value, separator);
    for (const result of ["L", "C", "LL"]) {
      if (result in shown) show(result, shown[result]);
    }
    box.title = shown.hint;
    document.getElementById("hint").textContent = shown.hint;
    if (shown.errorName) {
      document.getElementById("errorName").textContent = shown.errorName;
      document.getElementById("errorDetail").textContent = shown.errorDetail;
      pending = shown.announcement ?? "";
      errorBox.showModal();
    } else {
      announce(shown.announcement);
    }
  });

  // A page cannot end its browser: Exit closes the tab where the browser
  // lets a page do so (a tab the page itself opened), and otherwise ends
  // the program as far as a page can: the window goes, its fields cleared,
  // and a line says so.
  controls.Command1.addEventListener("click", () => {
    window.close();
    for (const element of Object.values(controls)) {
      if (element.tagName === "OUTPUT") element.textContent = "";
    }
    box.value = "";
    document.getElementById("Form1").hidden = true;
    document.getElementById("ended").hidden = false;
  });

  box.focus();
  document.body.dataset.ready = "true";
});
