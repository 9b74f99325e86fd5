# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
# The hardening a distribution expects of its programs, stated once for
# every target of the project: on Linux what Debian's dpkg-buildflags gives
# with hardening=+all (position-independent executables, a strong stack
# protector, fortified C library calls, stack clash protection, control
# flow protection on x86-64 and branch protection on 64-bit ARM, read-only
# relocations bound at start); on Windows the
# same stack protector and address space randomisation, high-entropy and
# with a non-executable data area, said by the build rather than left to
# the linker's defaults. No RUNPATH: every library comes from the system's
# own folders, and an empty entry would search the current folder.
include_guard(GLOBAL)

set(CMAKE_SKIP_RPATH ON)
# The sanitizers' and the fuzzers' builds check the code; they ship nothing,
# and their instrumentation does the protecting there.
if(EMSCRIPTEN OR LC_SANITIZED OR LC_BUILD_FUZZERS)
  return()
endif()

set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported()

add_compile_options(-fstack-protector-strong)
# MinGW links its stack protector's library (libssp) only when told at link.
add_link_options(-fstack-protector-strong)
if(WIN32)
  add_link_options(LINKER:--dynamicbase LINKER:--nxcompat LINKER:--high-entropy-va)
else()
  add_compile_options(-fstack-clash-protection)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64|i.86")
    add_compile_options(-fcf-protection)
  elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "aarch64|arm64")
    add_compile_options(-mbranch-protection=standard)
  endif()
  # Fortified calls need optimisation.
  add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
  add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()
