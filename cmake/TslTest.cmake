# GoogleTest: the system package natively; built from Debian's sources for the cross builds.
if(CMAKE_CROSSCOMPILING)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

# The Wine prefix the tests of this build directory share; scripts/make-prefix.sh makes it
# once (the test command calls it before ctest). The fixture makes it too, so that a bare
# `ctest` works; it returns at once when the prefix is ready.
set(TSL_TEST_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
if(NOT TSL_FUZZ)
  add_test(NAME tsl_wine_prefix
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/make-prefix.sh ${TSL_TEST_PREFIX})
  set_tests_properties(tsl_wine_prefix PROPERTIES FIXTURES_SETUP tsl_prefix TIMEOUT 300)
endif()

# tsl_add_test(NAME SOURCES... [LIBS libs...])
# Natively every GoogleTest case becomes a CTest test; a cross-built executable is one CTest
# test run under wine (CMAKE_CROSSCOMPILING_EMULATOR), since listing its cases would start
# wine at build time.
function(tsl_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    TSL_SOURCE_DIR="${CMAKE_SOURCE_DIR}" TSL_BINARY_DIR="${CMAKE_BINARY_DIR}")
  set(env "WINEPREFIX=${TSL_TEST_PREFIX};WINEDEBUG=-all;TSL_TEST_PREFIX=${TSL_TEST_PREFIX}")
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" FIXTURES_REQUIRED tsl_prefix)
  else()
    # gtest_discover_tests splits a list of variables into separate properties, so only the
    # prefix is passed; tests find it through TestPrefixDir() (tests/support/test_prefix.h).
    gtest_discover_tests(${name} PROPERTIES ENVIRONMENT "WINEPREFIX=${TSL_TEST_PREFIX}"
                         FIXTURES_REQUIRED tsl_prefix
                         DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
