# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
# Strict warnings for the project's own targets (never for third-party code).
# With LC_WERROR on, every warning fails the build; the test command sets it.
include_guard(GLOBAL)

option(LC_WERROR "Treat warnings as errors on this project's targets" OFF)

function(lc_set_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive- $<$<BOOL:${LC_WERROR}>:/WX>)
  else()
    # GCC 12 warns falsely of overlapping copies inside std::string's
    # operator+ at -O3 (GCC bug 105329).
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion
                                             -Wshadow $<$<BOOL:${LC_WERROR}>:-Werror>
                                             $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>)
  endif()
endfunction()
