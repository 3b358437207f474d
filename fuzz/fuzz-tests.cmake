# ctest entries that run each fuzz target for a few seconds, starting from its
# seed corpus. The targets are built apart (build/fuzz, with clang).
include(${CMAKE_CURRENT_LIST_DIR}/targets.cmake)
set(FUZZ_BUILD_DIR ${CMAKE_SOURCE_DIR}/build/fuzz CACHE PATH "Build folder of the fuzz targets")
set(FUZZ_SMOKE_SECONDS 10 CACHE STRING "How long each fuzz target runs in the test suite")
foreach(target IN LISTS FUZZ_TARGETS)
  add_test(NAME fuzz.${target}
    COMMAND ${CMAKE_SOURCE_DIR}/tools/run-fuzzer.sh ${FUZZ_BUILD_DIR} ${target} ${FUZZ_SMOKE_SECONDS})
  set_tests_properties(fuzz.${target} PROPERTIES LABELS fuzz TIMEOUT 300)
endforeach()
