# The Windows program W2KSetup.exe and the Windows tools used by the demo and
# the end-to-end tests.
enable_language(RC)
# Unused functions of the static C++ runtime are dropped from the program.
add_compile_options(-ffunction-sections -fdata-sections)
# The program never throws or catches: without exceptions and unwind tables the
# runtime's exception support stays out of it (the throw hooks of the C++
# library end the process instead, src/platform/win32/Win32RuntimeErrors.cpp).
# Nor does it ask for a type at run time: without RTTI the type information of
# every polymorphic class stays out too.
set(NO_EXCEPTIONS $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions> $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti>
                  -fno-asynchronous-unwind-tables -fno-unwind-tables)
target_compile_options(setupcore PRIVATE ${NO_EXCEPTIONS})
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

# WinMain and the log file (src/main) on the Win32 platform (src/platform/win32).
file(GLOB WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/main/*.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/win32/*.cpp)
add_executable(W2KSetup WIN32 ${WIN32_SOURCES} ${CMAKE_SOURCE_DIR}/src/res/app.rc)
# The resource compiler's own includes are not tracked: the files app.rc takes in.
file(GLOB RESOURCE_INPUTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/res/lang/*.rc
  ${CMAKE_SOURCE_DIR}/src/res/app.manifest ${CMAKE_SOURCE_DIR}/src/res/app.ico
  ${CMAKE_SOURCE_DIR}/src/res/resource.h)
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/res/app.rc PROPERTIES
  OBJECT_DEPENDS "${RESOURCE_INPUTS}")
target_include_directories(W2KSetup PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_options(W2KSetup PRIVATE ${WARNINGS} ${NO_EXCEPTIONS})
# Only system DLLs that every Windows version has are imported. setupapi,
# cfgmgr32 and winmm are loaded at run time by full path so the program starts
# on Windows 95 and NT 4; comctl32 is loaded the same way once the DLL search is
# restricted.
target_link_libraries(W2KSetup PRIVATE setupcore gdi32 advapi32 user32 kernel32)
target_link_options(W2KSetup PRIVATE -static -mwindows -s -Wl,--gc-sections)
set_target_properties(W2KSetup PROPERTIES OUTPUT_NAME W2KSetup RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

if(EXISTS ${CMAKE_SOURCE_DIR}/tools/windows.cmake)
  include(${CMAKE_SOURCE_DIR}/tools/windows.cmake)
endif()
