# Test helpers of the native build: GoogleTest from Debian's sources (built with the same
# sanitizers), tests run directly. yvex_add_gtest takes the arguments of the Windows build's
# helper (YvexTesting.cmake), so one test folder serves both builds.
if(NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

function(yvex_add_gtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS;FIXTURES;RESOURCE_LOCK" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gmock gtest_main)
  target_include_directories(${name} PRIVATE ${YVEX_ROOT}/tests/support)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "native;${T_LABELS}"
    ENVIRONMENT "YVEX_SOURCE_DIR=${YVEX_ROOT};YVEX_BINARY_DIR=${CMAKE_BINARY_DIR}")
  if(T_FIXTURES)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "${T_FIXTURES}")
  endif()
  if(T_RESOURCE_LOCK)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_RESOURCE_LOCK}")
  endif()
endfunction()

include(YvexFuzz)
