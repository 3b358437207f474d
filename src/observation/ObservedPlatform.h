// A platform whose every call, and every call on the streams it opens, is
// forwarded to a real one past an observer. The program's logic runs on it
// unchanged.
#pragma once

#include <memory>

#include "observation/SeamCall.h"
#include "platform/Platform.h"

namespace observation {

class ObservedPlatform {
 public:
  ObservedPlatform(platform::Platform& inner, CallObserver& observer);
  ~ObservedPlatform();
  ObservedPlatform(const ObservedPlatform&) = delete;
  ObservedPlatform& operator=(const ObservedPlatform&) = delete;

  platform::Platform& platform() { return m_platform; }

 private:
  struct Interfaces;  // one forwarding class per seam interface
  std::unique_ptr<Interfaces> m_interfaces;
  platform::Platform m_platform;
};

}  // namespace observation
