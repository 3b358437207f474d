# Windows tools for the sample disc and the end-to-end tests: the companion
# program that stands in for the programs the setup program starts, the
# driver that starts a command line and answers its dialogs, and devreg, which
# registers fake devices in a Wine prefix.
set(TOOLS_OUTPUT_DIR ${CMAKE_BINARY_DIR}/tools)

add_executable(companion WIN32 ${CMAKE_SOURCE_DIR}/tools/companion/companion.c)
target_compile_options(companion PRIVATE -Wall -Wextra -Werror)
target_link_libraries(companion PRIVATE user32 kernel32)
target_link_options(companion PRIVATE -static -mwindows -s)
set_target_properties(companion PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TOOLS_OUTPUT_DIR})

add_executable(e2e-driver ${CMAKE_SOURCE_DIR}/tools/e2e-driver/driver.c)
target_compile_options(e2e-driver PRIVATE -Wall -Wextra -Werror)
target_link_libraries(e2e-driver PRIVATE user32 gdi32 kernel32)
target_link_options(e2e-driver PRIVATE -static -s)
set_target_properties(e2e-driver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TOOLS_OUTPUT_DIR})

add_executable(devreg ${CMAKE_SOURCE_DIR}/tools/devreg/devreg.c)
target_compile_options(devreg PRIVATE -Wall -Wextra -Werror)
target_link_libraries(devreg PRIVATE setupapi kernel32)
target_link_options(devreg PRIVATE -static -s)
set_target_properties(devreg PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TOOLS_OUTPUT_DIR})

# For tools/measure-dialog-start.py: a program that shows one empty dialog, and
# the timer that starts a program and notes when its first dialog shows.
add_executable(empty-dialog WIN32 ${CMAKE_SOURCE_DIR}/tools/empty-dialog/empty.c
                                  ${CMAKE_SOURCE_DIR}/tools/empty-dialog/empty.rc)
target_compile_options(empty-dialog PRIVATE -Wall -Wextra -Werror)
target_link_libraries(empty-dialog PRIVATE user32 kernel32)
target_link_options(empty-dialog PRIVATE -static -mwindows -s)
set_target_properties(empty-dialog PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TOOLS_OUTPUT_DIR})

add_executable(dialog-timer ${CMAKE_SOURCE_DIR}/tools/dialog-timer/timer.c)
target_compile_options(dialog-timer PRIVATE -Wall -Wextra -Werror)
target_link_libraries(dialog-timer PRIVATE user32 kernel32)
target_link_options(dialog-timer PRIVATE -static -s)
set_target_properties(dialog-timer PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TOOLS_OUTPUT_DIR})
