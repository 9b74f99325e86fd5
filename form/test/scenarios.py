# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
"""What a user does with the window, a row a behaviour, and every
front-end's real differences from it. What the user then meets is not
written here: window_test.py's model derives it from form/ (form.json),
and a front-end's driver must show all of it.

A row is a list of steps, each a verb and its arguments:
  type TEXT             keys typed into the focused control
  paste TEXT            TEXT put on the clipboard, then Ctrl+V
  press KEYS            a key, as Qt names it: Tab, Shift+Tab, Return,
                        Enter (the keypad's), Space, Escape, Ctrl+C
  click CONTROL         a left click at the control's centre
  select CONTROL A B    a drag over characters A to B of its text (-1: the end)
  menu CONTROL          a right click: its context menu opens
  choose ENTRY          the open menu's entry, as the menu writes it
  close                 the window's close button
  away                  another window takes the focus, then gives it back
  look                  what the user meets now: the whole observation
and a row ends with a look if it does not already. A
row made by ru() is in a comma locale (ru_RU.UTF-8), one made by dark() in
the user's dark scheme."""
import json
import os

with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "form.json"), encoding="utf-8") as pinned:
    COPY = json.load(pinned)["window"]["copyEntry"]  # the results' menu's one entry

def ru(*steps):
    return {"steps": steps, "locale": "ru_RU.UTF-8"}


def dark(*steps):
    return {"steps": steps, "scheme": "dark"}


# 7 MHz worked out, and the box's text selected to be typed over: where a
# failure follows, none of 7 MHz's results may stay beside its.
SEVEN = [("type", "7"), ("click", "Ok"), ("select", "F", 0, -1)]

BIG = "7 MHz" + " " * 10_000_000  # a paste of 10 MB: the box keeps its first part

ROWS = {
    "start": [],
    "tab visits the box, OK, Exit and back": [
        ("press", "Tab"), ("look",), ("press", "Tab"), ("look",), ("press", "Tab"), ("look",),
        ("press", "Tab"), ("press", "Shift+Tab"), ("press", "Shift+Tab")],
    "enter and escape in the box do nothing": [("type", "7"), ("press", "Return"), ("press", "Escape")],
    "the keypad's enter in the box does nothing": [("type", "7"), ("press", "Enter")],
    "7 MHz": [("type", "7"), ("click", "Ok"), ("look",), ("click", "Ok")],
    "1 MHz": [("type", "1"), ("click", "Ok")],
    "144 MHz": [("type", "144"), ("click", "Ok")],
    "nothing typed": [("click", "Ok")],
    "letters": [("type", "abc"), ("click", "Ok")],
    "a negative frequency": [("type", "-5"), ("click", "Ok")],
    "space on OK presses it": [("type", "7"), ("press", "Tab"), ("press", "Space")],
    "return on OK presses it": [("type", "144"), ("press", "Tab"), ("press", "Return")],
    "the keypad's enter on OK presses it": [("type", "1"), ("press", "Tab"), ("press", "Enter")],
    "a huge paste is cut": [("paste", BIG), ("click", "Ok")],
    "the square overflows, the window goes on": [
        ("type", "7"), ("click", "Ok"), ("look",), ("select", "F", 0, -1), ("type", "1E+150"),
        ("click", "Ok"), ("look",), ("click", "Ok"), ("look",), ("press", "Return"), ("look",),
        ("press", "Shift+Tab"), ("select", "F", 0, -1), ("type", "144"), ("click", "Ok")],
    "the doubling overflows": [*SEVEN, ("type", "2E-306"), ("click", "Ok"), ("look",), ("press", "Escape")],
    "the square underflows": [*SEVEN, ("type", "1E-300"), ("click", "Ok"), ("look",), ("press", "Space")],
    "a frequency too small to carry": [*SEVEN, ("type", "1E-200"), ("click", "Ok"), ("look",),
                                       ("press", "Return")],
    "the hertz overflow": [*SEVEN, ("type", "1.8E+302"), ("click", "Ok"), ("look",), ("press", "Return")],
    "144 MHz in commas": ru(("type", "144"), ("click", "Ok")),
    "only the point is a decimal point": ru(("type", "7,5"), ("click", "Ok")),
    "a long result is shortened before its exponent": ru(("type", "7E+20"), ("click", "Ok")),
    "a three-digit exponent": ru(("type", "7E+140"), ("click", "Ok")),
    "a report in a comma locale": ru(*SEVEN, ("type", "1E+150"), ("click", "Ok"), ("look",),
                                     ("press", "Return")),
    "copy from the menu": [("type", "7E+20"), ("click", "Ok"), ("menu", "LL"), ("look",),
                           ("choose", COPY)],
    "copy from the menu, all selected": [("type", "7E+20"), ("click", "Ok"), ("select", "LL", 0, -1),
                                         ("menu", "LL"), ("choose", COPY)],
    "copy all of a shortened text": [("type", "7E+20"), ("click", "Ok"), ("select", "LL", 0, -1),
                                     ("press", "Ctrl+C")],
    "copy part of a shortened text": [("type", "7E+20"), ("click", "Ok"), ("select", "LL", 0, 4),
                                      ("press", "Ctrl+C")],
    "copy part of a whole text": [("type", "7"), ("click", "Ok"), ("select", "LL", 0, 5),
                                  ("press", "Ctrl+C")],
    "copy all of a whole text": [("type", "7"), ("click", "Ok"), ("select", "LL", 0, -1),
                                 ("press", "Ctrl+C")],
    "the box's own menu": [("menu", "F"), ("look",), ("press", "Escape")],
    "exit with results shown": [("type", "7"), ("click", "Ok"), ("click", "Command1")],
    "the close button": [("type", "7"), ("close",)],
    "the focus comes back after another window": [("type", "7"), ("click", "Ok"), ("away",)],
    "the dark scheme": dark(("type", "7E+20"), ("click", "Ok"), ("look",), ("select", "F", 0, -1),
                            ("type", "1E+150"), ("click", "Ok"), ("look",), ("press", "Escape")),
}

# Each front-end's real differences from the model: (front-ends, rows,
# paths of the observation, the reason), each an fnmatch pattern or a tuple
# of them. A path listed is not compared with the model; what the front-end
# shows there is pinned in its snapshot instead, so it is never unseen. The
# path "(row)" names rows a front-end cannot do at all.
RESULT_NAMES = ("controls.[LC].name", "controls.LL.name")
RESULT_DESCRIPTIONS = ("controls.[LC].description", "controls.LL.description")
REAL_QT = ("qt-xvfb", "qt-openbox", "qt-weston")
ALLOWED = [
    ("web-*", "*", RESULT_NAMES, "an output is named by the caption that labels it (aria-labelledby); its "
     "whole value is its aria-label, which the snapshot pins"),
    ("web-*", "*", RESULT_DESCRIPTIONS, "an output's title, its tooltip with the whole value, is its "
     "description too"),
    ("web-*", "tab visits*", "(row)", "past Exit, Tab goes on to the browser's own controls, and where it "
     "lands then differs from one browser's start to another's"),
    ("web-*", "copy *", "controls.*.focused", "a result takes no focus when text in it is selected: Copy "
     "copies the selection wherever the focus is"),
    ("web-*", "exit *", ("status", "announced"), "a page has no exit status: the window goes, and a line "
     "that says so takes the focus and is spoken"),
    ("web-*", ("copy from the menu*", "the box's own menu"), "(row)", "the context menu is the browser's "
     "own, with no entry of the page's"),
    ("web-*", "the close button", "(row)", "a tab's close button is the browser's: the page is gone"),
    ("win32*", "*", ("controls.*.name", "controls.*.description", "controls.*.labelledBy"), "Wine's oleacc "
     "answers no other process's AccessibleObjectFromWindow: what the window tells a screen reader is "
     "its live region's (announced here) and the in-process window test's"),
    ("win32*", "*", "menu", "Wine keeps a menu's entries in the program that made it: another program "
     "sees the menu open, not what it offers"),
    ("win32*", ("copy all*", "copy part*", "copy from the menu, all selected"), "(row)", "a result is a "
     "static control, whose text cannot be selected: Copy is its menu's"),
    (("win32-*dpi*", "win32-contrast"), ("!start", "!7 MHz", "!a long result is shortened*", "!the square overflows*"), "(row)",
     "at another DPI or in high contrast, the rows of the layout, a long result and a report: the rest "
     "is as at the system's"),
    ("!qt-openbox", "*another window*", "(row)", "only a window manager gives the focus to another window "
     "and back"),
    (REAL_QT, "*", "controls.*.tooltip", "AT-SPI tells no tooltip until the pointer rests on its control: "
     "the offscreen window's rows read it from the same widgets"),
    (REAL_QT, "*", ("controls.[LC].focusable", "controls.LL.focusable"), "AT-SPI's focusable is any focus: "
     "a click gives a result the focus, to select its text, though it is no Tab stop"),
    (("qt-xvfb", "qt-openbox"), ("!start", "!tab visits*", "!7 MHz", "!return on OK*", "!the square overflows*",
                                 "!144 MHz in commas", "!exit with*", "!the close button", "!*another window*"),
     "(row)", "the real binary runs the rows of its layout, keys, a report, a comma locale and its end: the "
     "rest is the offscreen window's, the same code"),
    ("qt-xvfb", "the close button", "(row)", "with no window manager a window has no close button"),
    ("qt-weston", ("!start", "!7 MHz", "!a frequency too small*", "!exit with*"), "(row)", "weston's headless "
     "back end has no keyboard and no close button: text, clicks and the report's button go through AT-SPI"),
    ("qt-weston", "*", ("controls.*.focused", "report.focused"), "weston's headless back end has no keyboard, "
     "so no control has its focus"),
    ("qt-weston", "*", "announced", "the headless compositor draws nothing, and what AT-SPI hears of a "
     "notification there comes late or not at all: what is spoken is heard under X (and by Orca)"),
    ("web-firefox", "the keypad's enter*", "(row)", "puppeteer's WebDriver BiDi has no key for the "
     "keypad's Enter"),
]
