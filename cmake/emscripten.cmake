# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
# Building for the web with Debian's Emscripten, and running what is built
# (the unit tests) under Node.js.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

# The calculation reports failures with exceptions: WebAssembly's own, which
# need no JavaScript to throw and catch them (every engine the page is for,
# and Node.js, has them).
set(CMAKE_CXX_FLAGS_INIT "-fwasm-exceptions")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fwasm-exceptions")

# Node 20 refuses the thread flag emcmake would add, and Emscripten 3.1's
# loader trips on Node's own fetch.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/node;--no-experimental-fetch)
