# Host build: unit tests against the fake machine, and the end-to-end tests
# that run the Windows program under Wine.
enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB_RECURSE UNIT_TEST_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/tests/common/*.cpp
  ${CMAKE_SOURCE_DIR}/tests/observation/*.cpp
  ${CMAKE_SOURCE_DIR}/tests/diagnostics/*.cpp
  ${CMAKE_SOURCE_DIR}/tests/app/*.cpp
  ${CMAKE_SOURCE_DIR}/tests/ui/*.cpp
  ${CMAKE_SOURCE_DIR}/tests/driver/*.cpp
  ${CMAKE_SOURCE_DIR}/tests/cleanup/*.cpp
  ${CMAKE_SOURCE_DIR}/tests/suite/*.cpp
  ${CMAKE_SOURCE_DIR}/tests/res/*.cpp
  ${CMAKE_SOURCE_DIR}/tests/fake/*Test.cpp)

# SANITIZE: the unit tests and the logic they exercise under AddressSanitizer
# and UndefinedBehaviorSanitizer; any report ends the run with a failure.
option(SANITIZE "Build the unit tests with AddressSanitizer and UBSan" OFF)
if(SANITIZE)
  set(SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
      -fno-omit-frame-pointer)
  target_compile_options(setupcore PRIVATE ${SANITIZER_FLAGS})
  target_link_options(setupcore PUBLIC ${SANITIZER_FLAGS})
endif()

add_executable(unit_tests ${FAKE_SOURCES} ${UNIT_TEST_SOURCES})
target_include_directories(unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(unit_tests PRIVATE ${WARNINGS})
target_compile_definitions(unit_tests PRIVATE SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(unit_tests PRIVATE setupcore GTest::gtest_main)
if(SANITIZE)
  target_compile_options(unit_tests PRIVATE ${SANITIZER_FLAGS})
  # One process for all: a sanitized start-up per test would cost seconds each.
  add_test(NAME sanitized.unit_tests COMMAND unit_tests)
  set_tests_properties(sanitized.unit_tests PROPERTIES LABELS sanitized)
  return()  # the sanitized build runs the unit tests only
endif()
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS unit)

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/e2e.cmake)
  include(${CMAKE_SOURCE_DIR}/tests/e2e/e2e.cmake)
endif()

# The folders of src/ include one another in one direction only.
find_package(Python3 COMPONENTS Interpreter REQUIRED)
add_test(NAME layers.include_direction
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/check-include-direction.py ${CMAKE_SOURCE_DIR})
set_tests_properties(layers.include_direction PROPERTIES LABELS unit)

# The disc program keeps within its size budget of 256 KiB.
set(WIN32_PROGRAM ${CMAKE_SOURCE_DIR}/build/win32/W2KSetup.exe CACHE FILEPATH
  "The 32-bit program whose size is checked")
add_test(NAME size.win32_program
  COMMAND ${CMAKE_SOURCE_DIR}/tools/check-program-size.sh ${WIN32_PROGRAM} 262144)
set_tests_properties(size.win32_program PROPERTIES LABELS unit)

# Every DLL loaded at run time is named by its full system path.
add_test(NAME dll_loads.full_system_paths
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/check-dll-loads.py ${CMAKE_SOURCE_DIR})
set_tests_properties(dll_loads.full_system_paths PROPERTIES LABELS unit)

# Each fuzz target runs briefly on its seed corpus (build/fuzz, built by
# `make fuzz-build`); a finding fails the test.
include(${CMAKE_SOURCE_DIR}/fuzz/fuzz-tests.cmake)
