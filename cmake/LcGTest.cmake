# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
# GoogleTest for the unit tests: Debian's built library natively, and built
# from Debian's own sources (/usr/src/googletest, package libgtest-dev) when
# cross-building (for Windows, for 64-bit ARM), where the built one does not
# fit. Included by
# every test folder: GoogleTest's CMake module works in the folder that
# includes it.

if(NOT TARGET GTest::gtest_main)
  if(CMAKE_CROSSCOMPILING)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    # It names its own targets GTest::gtest and GTest::gtest_main.
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  else()
    find_package(GTest REQUIRED GLOBAL)
  endif()
endif()
include(GoogleTest)

# Registers a GoogleTest program with CTest: each test on its own natively;
# cross-built, the whole program as one test, since every start of it under
# Wine costs about a second, and under qemu-user a tenth; under Wine one at
# a time, as every program there shares the build's Wine prefix.
# lc_add_gtest(TARGET [PROPERTIES NAME VALUE...]) gives every test of the
# program those properties too. Natively, each needs nothing but the build
# (LC_STANDALONE).
function(lc_add_gtest target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "PROPERTIES")
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES TIMEOUT 300 ${arg_PROPERTIES})
    if(WIN32)
      set_tests_properties(${target} PROPERTIES RESOURCE_LOCK wine)
    endif()
  else()
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES ${LC_STANDALONE} ${arg_PROPERTIES})
  endif()
endfunction()
