// Opaque handles passed through the platform seam. Zero means "none".
#pragma once

#include <cstdint>

namespace platform {

using Hwnd = std::uintptr_t;        // a window (top-level, dialog or control)
using RegKey = std::uintptr_t;      // an open registry key
using FindHandle = std::uintptr_t;  // an open file search
using ProcessHandle = std::uintptr_t;
using TokenHandle = std::uintptr_t;
using MutexHandle = std::uintptr_t;
using DevInfoSet = std::uintptr_t;  // a device information set
using IconHandle = std::uintptr_t;
using CursorHandle = std::uintptr_t;
using MenuHandle = std::uintptr_t;

// The value SetupDiGetClassDevsA returns on failure.
constexpr DevInfoSet kInvalidDevInfoSet = ~DevInfoSet{0};

}  // namespace platform
