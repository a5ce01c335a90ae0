# yvex_add_fuzzer(NAME SOURCES a.cpp ... LIBS lib ... SEEDS folder [SECONDS s])
#
# A fuzz target: sources that define
#     extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
# and a folder of seed inputs (committed, small, each a file).
#
# Native build (clang): NAME is a libFuzzer program (-fsanitize=fuzzer,address,undefined), and
# two tests run it:
#   NAME_seeds  replays every seed once;
#   NAME_fuzz   fuzzes from the seeds for SECONDS (default: the cache variable
#               YVEX_FUZZ_SECONDS, which tools/test-native.sh sets from the environment
#               variable of that name, else 10), keeping what it finds in NAME_corpus/ of the
#               build tree and writing a crashing input as NAME-crash-... there.
# To fuzz longer by hand: build-native/tests/.../NAME -max_total_time=600 CORPUS SEEDS.
#
# Windows build: NAME is the same sources with a small driver (tests/support/FuzzReplayMain.cpp)
# that replays every seed under Wine, as the test NAME_seeds.
set(YVEX_FUZZ_SECONDS 10 CACHE STRING "Seconds each fuzz target fuzzes in the tests")

function(yvex_add_fuzzer name)
  cmake_parse_arguments(F "" "SEEDS;SECONDS" "SOURCES;LIBS" ${ARGN})
  if(NOT F_SECONDS)
    set(F_SECONDS ${YVEX_FUZZ_SECONDS})
  endif()
  if(YVEX_NATIVE)
    add_executable(${name} ${F_SOURCES})
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set(_work ${CMAKE_CURRENT_BINARY_DIR}/${name}_corpus)
    file(MAKE_DIRECTORY ${_work})
    add_test(NAME ${name}_seeds COMMAND ${name} -runs=0 ${F_SEEDS})
    add_test(NAME ${name}_fuzz COMMAND ${name} -max_total_time=${F_SECONDS} -timeout=10 -rss_limit_mb=2048
      -artifact_prefix=${_work}/${name}- ${_work} ${F_SEEDS})
    set_tests_properties(${name}_seeds PROPERTIES LABELS "native;fuzz" TIMEOUT 120)
    set_tests_properties(${name}_fuzz PROPERTIES LABELS "native;fuzz" TIMEOUT 600)
  else()
    add_executable(${name} ${F_SOURCES} ${YVEX_ROOT}/tests/support/FuzzReplayMain.cpp)
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    string(REPLACE "/" "\\" _seeds "Z:${F_SEEDS}")
    add_test(NAME ${name}_seeds COMMAND ${YVEX_WINE_RUN} $<TARGET_FILE:${name}> "${_seeds}")
    set_tests_properties(${name}_seeds PROPERTIES LABELS "fuzz" TIMEOUT 120
      PASS_REGULAR_EXPRESSION "replayed [1-9][0-9]* inputs")
  endif()
endfunction()
