# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
# The project's options, declared once for the whole tree and for calc/ when
# it is built on its own. What a consumer does not ask for stays off.
include_guard(GLOBAL)

option(LC_BUILD_TESTS "Build the tests: unit, window, end-to-end and packaging" ${PROJECT_IS_TOP_LEVEL})
option(LC_BUILD_WINDOW "Build the window, lccalc: Win32 on Windows, Qt elsewhere" ${PROJECT_IS_TOP_LEVEL})
option(LC_BUILD_FUZZERS "Build the libFuzzer targets (clang only)" OFF)
option(LC_BUILD_BENCHMARKS "Build the benchmarks (bench/)" ${PROJECT_IS_TOP_LEVEL})

# Whether the build is instrumented by a sanitizer (the asan preset's flags).
if(CMAKE_CXX_FLAGS MATCHES "-fsanitize")
  set(LC_SANITIZED ON)
else()
  set(LC_SANITIZED OFF)
endif()
