// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The web page in headless Chromium (Debian's), served on 127.0.0.1 and
// driven with keys and clicks through the DevTools protocol: its controls'
// places and texts, Tab order, the worked values, an error report, the
// comma of a Russian browser and what the live region says.
//
// Usage: node page_test.mjs SITE_FOLDER [SCREENSHOT]
import puppeteer from "puppeteer-core";
import { serveSite } from "./serve.mjs";

const [site, screenshot] = process.argv.slice(2);

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

const server = await serveSite(site);
const url = server.url;

async function openPage(language) {
  const browser = await puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
      "--disable-component-update", "--disable-sync", `--lang=${language}`],
    env: { ...process.env, LANGUAGE: language.replace("-", "_") },
  });
  const page = await browser.newPage();
  // Headless Chromium keeps its own language whatever --lang says; this
  // gives the page what a browser in that language would.
  const session = await page.createCDPSession();
  await session.send("Emulation.setUserAgentOverride",
    { userAgent: await browser.userAgent(), acceptLanguage: language });
  await session.send("Emulation.setLocaleOverride", { locale: language });
  await page.goto(url);
  await page.waitForSelector("body[data-ready]", { timeout: 15000 });
  return { browser, page };
}

const text = (page, id) => page.$eval(`#${id}`, (element) => element.textContent);
const value = (page, id) => page.$eval(`#${id}`, (element) => element.getAttribute("aria-label") ?? "");
const results = (page) => Promise.all(["LL", "C", "L"].map((id) => value(page, id)));
const focused = (page) => page.evaluate(() => document.activeElement?.id);
const announced = async (page) => {
  await new Promise((resolve) => setTimeout(resolve, 150));
  return text(page, "announcer");
};

async function typeFrequency(page, frequency) {
  await page.$eval("#F", (box) => { box.value = ""; });
  await page.type("#F", frequency);
}

try {
  const { browser, page } = await openPage("en-US");
  // Every control at its place in the window, as the description says.
  const layout = await page.evaluate(async () => {
    const description = (await createLccalc()).window();
    const origin = document.getElementById("client").getBoundingClientRect();
    return description.controls.map((control) => {
      const element = document.getElementById(control.name);
      const r = element.getBoundingClientRect();
      const shown = element.tagName === "FIELDSET" ? element.querySelector("legend").textContent
        : element.tagName === "INPUT" ? element.value : element.textContent;
      return { control, place: [r.left - origin.left, r.top - origin.top, r.width, r.height], shown };
    });
  });
  check(layout.length === 10, `${layout.length} controls`);
  for (const { control, place, shown } of layout) {
    const want = [control.left, control.top, control.width, control.height];
    check(JSON.stringify(place) === JSON.stringify(want), `${control.name} at ${place}, not ${want}`);
    check(shown === control.text, `${control.name} shows ${JSON.stringify(shown)}`);
  }
  check(await text(page, "title") === "Расчет LC-конура" + " ".repeat(31) + "TIRVAL", "the title");
  check(await page.evaluate(() => document.getElementById("Form1").id) === "Form1", "the window's id");

  // The box has the focus; Tab goes to OK, then Exit; Shift+Tab back.
  check(await focused(page) === "F", `the focus starts in ${await focused(page)}`);
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
  check(order.join() === "Ok,Command1,F", `Tab visits ${order}`);

  // Enter in the box submits nothing; OK shows the worked values.
  await typeFrequency(page, "7");
  await page.keyboard.press("Enter");
  check((await results(page)).join() === ",,", "Enter in the box changed the results");
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
    check(got.join() === want.join(), `${JSON.stringify(frequency)} gives ${got}`);
  }
  await typeFrequency(page, "7");
  await page.focus("#Ok");
  await page.keyboard.press("Enter");  // Enter on a focused button presses it
  check(await announced(page) === "L, мкГн 6.03714243212803; C, пФ 85.7142857142858; W, М 42.8571428571429",
    `the live region says ${JSON.stringify(await text(page, "announcer"))}`);
  check(await page.$eval("#F", (box) => box.title) === "Прочитано: 7 МГц", "the box's hint");

  // A long result loses fraction digits, not its exponent.
  await typeFrequency(page, "7E+20");
  await page.click("#Ok");
  const elided = await text(page, "LL");
  check(elided.includes("…") && elided.endsWith("E-19"), `7E+20 shows ${elided}`);
  check(await value(page, "LL") === "4.28571428571429E-19", "the whole result is the label's name");
  if (screenshot) await (await page.$("#Form1")).screenshot({ path: screenshot });

  // An overflow: a modal report titled as the window, the unreached result
  // blank, and once it is closed the live region says what was reached.
  await typeFrequency(page, "1E+150");
  await page.click("#Ok");
  const dialog = await page.$eval("#errorBox", (box) => ({
    open: box.open, role: box.getAttribute("role"), title: box.querySelector(".title-bar").textContent,
    name: document.getElementById("errorName").textContent,
  }));
  check(dialog.open && dialog.role === "alertdialog", `the report is ${JSON.stringify(dialog)}`);
  check(dialog.title === await text(page, "title"), "the report's title");
  check(dialog.name === "Переполнение", `the report says ${dialog.name}`);
  check((await results(page)).join() === "3E-148,6E-148,", `after the overflow: ${await results(page)}`);
  await page.keyboard.press("Enter");
  check(!(await page.$eval("#errorBox", (box) => box.open)), "the report did not close");
  check(await announced(page) === "C, пФ 6E-148; W, М 3E-148", `then: ${await text(page, "announcer")}`);

  // Exit: the program ends as far as a page can.
  await page.click("#Command1");
  check(await page.$eval("#ended", (line) => !line.hidden), "Exit did not end the program");
  await browser.close();

  // A Russian browser writes commas.
  const russian = await openPage("ru-RU");
  await typeFrequency(russian.page, "144");
  await russian.page.click("#Ok");
  const commas = await results(russian.page);
  check(commas.join(";") === "2,08333333333333;4,16666666666666;0,29347220156178", `ru-RU: ${commas}`);
  await russian.browser.close();
} catch (error) {
  failed++;
  console.log(`FAIL: ${error.stack}`);
} finally {
  server.close();
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
