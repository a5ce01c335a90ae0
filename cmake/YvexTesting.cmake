# Test helpers: GoogleTest built from Debian's sources, and tests run under Wine through
# tools/wine-run (the cross-compiling emulator). The native build (native/CMakeLists.txt, with
# YVEX_NATIVE and YVEX_ROOT set) uses the same helpers, its tests run directly.
if(NOT YVEX_ROOT)
  set(YVEX_ROOT ${CMAKE_SOURCE_DIR})
endif()
set(YVEX_WINE_RUN ${YVEX_ROOT}/tools/wine-run)

if(EXISTS /usr/src/googletest/CMakeLists.txt AND NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# Each Windows test program links the whole control statically; with its debugging sections it
# weighs some 70 MB, and the suite's programs together most of the build tree. They keep their
# symbols (a crash's backtrace still names functions) but not the debugging sections, unless
# YVEX_TEST_DEBUG_INFO is set to step through one in a debugger.
option(YVEX_TEST_DEBUG_INFO "Keep the debugging sections in the Windows test programs" OFF)

# yvex_add_gtest(NAME SOURCES a.cpp b.cpp LIBS x y [LABELS l] [FIXTURES f] [TIMEOUT s])
# One executable, run as one ctest test (a Wine process start costs time).
function(yvex_add_gtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS;FIXTURES;RESOURCE_LOCK" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gmock gtest_main)
  if(NOT YVEX_NATIVE AND NOT YVEX_TEST_DEBUG_INFO)
    target_link_options(${name} PRIVATE -Wl,--strip-debug)
  endif()
  if(YVEX_NATIVE)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  else()
    add_test(NAME ${name} COMMAND ${YVEX_WINE_RUN} $<TARGET_FILE:${name}> --gtest_brief=1)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}"
    ENVIRONMENT "YVEX_SOURCE_DIR=${YVEX_ROOT};YVEX_BINARY_DIR=${CMAKE_BINARY_DIR}")
  if(T_FIXTURES)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "${T_FIXTURES}")
  endif()
  if(T_RESOURCE_LOCK)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_RESOURCE_LOCK}")
  endif()
endfunction()

# yvex_add_script_test(NAME SCRIPT file.vbs PASS regex [FIXTURES f] [ARGS ...])
# A VBScript/JScript automation client under Wine's cscript. cscript exits 0 even on a
# script error, so the test also requires the script's own result marker.
function(yvex_add_script_test name)
  cmake_parse_arguments(T "" "SCRIPT;PASS;TIMEOUT" "FIXTURES;ARGS;RESOURCE_LOCK" ${ARGN})
  string(REPLACE "/" "\\" _winpath "Z:${T_SCRIPT}")
  add_test(NAME ${name}
    COMMAND ${YVEX_WINE_RUN} cscript //nologo "${_winpath}" ${T_ARGS})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
    PASS_REGULAR_EXPRESSION "${T_PASS}"
    FAIL_REGULAR_EXPRESSION "FAIL"
    ENVIRONMENT "YVEX_SOURCE_DIR=${CMAKE_SOURCE_DIR};YVEX_BINARY_DIR=${CMAKE_BINARY_DIR}")
  if(T_FIXTURES)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "${T_FIXTURES}")
  endif()
  if(T_RESOURCE_LOCK)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_RESOURCE_LOCK}")
  endif()
endfunction()

# yvex_add_python_test(NAME SCRIPT file.py [ARGS ...] [DEPENDS tests]) — an independent reader
# (Debian's Python modules only load under /usr/bin/python3).
function(yvex_add_python_test name)
  cmake_parse_arguments(T "" "SCRIPT" "ARGS;FIXTURES;DEPENDS" ${ARGN})
  add_test(NAME ${name} COMMAND /usr/bin/python3 ${T_SCRIPT} ${T_ARGS})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "YVEX_SOURCE_DIR=${CMAKE_SOURCE_DIR};YVEX_BINARY_DIR=${CMAKE_BINARY_DIR};PATH=/usr/bin:/bin")
  if(T_FIXTURES)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "${T_FIXTURES}")
  endif()
  if(T_DEPENDS)
    set_tests_properties(${name} PROPERTIES DEPENDS "${T_DEPENDS}")
  endif()
endfunction()
include(YvexFuzz)
