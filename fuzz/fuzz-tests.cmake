# ctest entries that run each fuzz target of FUZZ_BUILD_DIR for a few seconds,
# starting from its seed corpus.
set(FUZZ_SMOKE_SECONDS 10 CACHE STRING "How long each fuzz target runs in the test suite")
foreach(target IN LISTS FUZZ_TARGETS)
  add_test(NAME fuzz.${target}
    COMMAND ${CMAKE_SOURCE_DIR}/tools/run-fuzzer.sh ${FUZZ_BUILD_DIR} ${target} ${FUZZ_SMOKE_SECONDS})
  set_tests_properties(fuzz.${target} PROPERTIES LABELS fuzz TIMEOUT 300)
endforeach()
