// The program is built without exceptions. The C++ library still reports its
// errors (a string grown past its maximum, memory exhausted) through these
// throw hooks and operator new; defining them here keeps the library's
// exception machinery out of the program. None of these errors can be handled
// by the program, so each ends the process, as an uncaught exception would.
#include <cstdlib>
#include <new>

#include "platform/win32/Win32Windows.h"

namespace {

[[noreturn]] void EndOnRuntimeError() {
  // The code an uncaught exception ends a MinGW program with.
  ::ExitProcess(3);
}

}  // namespace

namespace std {

void __throw_bad_alloc() { EndOnRuntimeError(); }
void __throw_bad_array_new_length() { EndOnRuntimeError(); }
void __throw_logic_error(const char*) { EndOnRuntimeError(); }
void __throw_length_error(const char*) { EndOnRuntimeError(); }
void __throw_out_of_range(const char*) { EndOnRuntimeError(); }
void __throw_out_of_range_fmt(const char*, ...) { EndOnRuntimeError(); }
void __throw_invalid_argument(const char*) { EndOnRuntimeError(); }
void __throw_bad_function_call() { EndOnRuntimeError(); }

}  // namespace std

void* operator new(std::size_t size) {
  if (void* memory = std::malloc(size ? size : 1)) return memory;
  EndOnRuntimeError();
}

void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
