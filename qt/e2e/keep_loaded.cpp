// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// Preloaded into lccalc by the end-to-end tests of the sanitizer build: no
// library is ever unloaded. LeakSanitizer checks at exit; a library that was
// unloaded before then (Mesa's driver, which Qt's Wayland plugin loads
// through EGL) takes its globals and its name with it, so that what it still
// holds is reported as a leak of "<unknown module>" that no suppression can
// name. Kept loaded, its memory is seen as reachable, and a leak of its own
// is reported under its name.
extern "C" int dlclose(void*) { return 0; }
