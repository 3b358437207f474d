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
  ${CMAKE_SOURCE_DIR}/tests/faults/*.cpp
  ${CMAKE_SOURCE_DIR}/tests/fake/*Test.cpp)

# `make` configures this build with clang, SANITIZE and FUZZ, so that the logic
# and the fake machine are compiled once for both the unit tests and the fuzz
# targets.
# SANITIZE: everything under AddressSanitizer and UndefinedBehaviorSanitizer;
# any report ends the test with a failure.
option(SANITIZE "Build with AddressSanitizer and UBSan" OFF)
# FUZZ (clang only): the libFuzzer targets of fuzz/ as well, and the coverage
# they need in the logic and the fake.
option(FUZZ "Build the libFuzzer targets of fuzz/ (clang)" OFF)
set(HOST_FLAGS)
if(SANITIZE)
  list(APPEND HOST_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
       -fno-omit-frame-pointer)
endif()
if(FUZZ)
  list(APPEND HOST_FLAGS -fsanitize=fuzzer-no-link)
endif()
target_compile_options(setupcore PRIVATE ${HOST_FLAGS})
if(SANITIZE)
  target_link_options(setupcore PUBLIC -fsanitize=address,undefined)
endif()

# The fake machine; it reports misuse through GoogleTest's failure macros.
add_library(fakemachine STATIC ${FAKE_SOURCES})
target_include_directories(fakemachine PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(fakemachine PRIVATE ${WARNINGS} ${HOST_FLAGS})
target_link_libraries(fakemachine PUBLIC setupcore GTest::gtest)
# Only the files that read the source tree see its path, so that the compiler
# cache serves the others to every checkout.
set_source_files_properties(${CMAKE_SOURCE_DIR}/tests/fake/ResourceScript.cpp
  ${CMAKE_SOURCE_DIR}/tests/res/ResourceScriptTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/diagnostics/LoggedPlatformTest.cpp
  PROPERTIES COMPILE_DEFINITIONS SOURCE_DIR="${CMAKE_SOURCE_DIR}")

add_executable(unit_tests ${UNIT_TEST_SOURCES})
target_compile_options(unit_tests PRIVATE ${WARNINGS} ${HOST_FLAGS})
target_link_libraries(unit_tests PRIVATE fakemachine GTest::gtest_main)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS unit)

if(FUZZ)
  include(${CMAKE_SOURCE_DIR}/fuzz/targets.cmake)
  set(FUZZ_BUILD_DIR ${CMAKE_BINARY_DIR}/fuzz)
  foreach(target IN LISTS FUZZ_TARGETS)
    add_executable(${target} ${CMAKE_SOURCE_DIR}/fuzz/${target}.cpp)
    target_compile_options(${target} PRIVATE ${WARNINGS} ${HOST_FLAGS})
    target_link_libraries(${target} PRIVATE fakemachine)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${FUZZ_BUILD_DIR})
  endforeach()
  # The list, for `make fuzz`.
  string(JOIN "\n" TARGET_LINES ${FUZZ_TARGETS})
  file(WRITE ${FUZZ_BUILD_DIR}/targets.txt "${TARGET_LINES}\n")
  # Each fuzz target runs briefly on its seed corpus; a finding fails the test.
  include(${CMAKE_SOURCE_DIR}/fuzz/fuzz-tests.cmake)
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/e2e.cmake)
  include(${CMAKE_SOURCE_DIR}/tests/e2e/e2e.cmake)
endif()

# The folders of src/ include one another in one direction only.
find_package(Python3 COMPONENTS Interpreter REQUIRED)
add_test(NAME layers.include_direction
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/check-include-direction.py ${CMAKE_SOURCE_DIR})
set_tests_properties(layers.include_direction PROPERTIES LABELS unit)

# The disc program, its forwarding layer included, keeps within its size budget
# of 160 KiB.
set(WIN32_PROGRAM ${CMAKE_SOURCE_DIR}/build/win32/W2KSetup.exe CACHE FILEPATH
  "The 32-bit program whose size is checked")
add_test(NAME size.win32_program
  COMMAND ${CMAKE_SOURCE_DIR}/tools/check-program-size.sh ${WIN32_PROGRAM} 163840)
set_tests_properties(size.win32_program PROPERTIES LABELS unit)

# Every DLL loaded at run time is named by its full system path.
add_test(NAME dll_loads.full_system_paths
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/check-dll-loads.py ${CMAKE_SOURCE_DIR})
set_tests_properties(dll_loads.full_system_paths PROPERTIES LABELS unit)
