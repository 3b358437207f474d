// One call through the seam as its observers see it: the interface, the
// method, the arguments and the result, which an observer may replace. Every
// call the program makes to the operating system can be observed this way
// (ObservedPlatform); the diagnostic log is one such observer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "platform/SystemServices.h"

namespace observation {

// What a call does to the machine; observers sort calls by it.
enum class Effect {
  Query,   // reads, changes nothing; a failure is an ordinary answer
  Lookup,  // reads, changes nothing; a failure means something is missing
  Open,    // opens a handle that later calls name (a key, a device set, a token)
  Screen,  // changes only what the program's own windows show
  Change,  // changes what outlives the process: files, registry, profiles, devices
  Act,     // starts, asks, closes or restarts something: programs, windows, dialogs
  End,     // ends the process; observed before it is made, as it does not return
};

// How a call's result says that the call failed.
enum class Failure {
  Never,
  Empty,      // false, 0, null or empty text; the last-error code says why
  ErrorCode,  // the result is the error code; anything but 0 failed
  AllOnes,    // the highest value (an invalid device set, WAIT_FAILED)
  MinusOne,   // -1 (a dialog that could not be shown)
  Below32,    // 31 or less, the error itself (WinExec)
};

struct Method {
  const char* name;
  Effect effect;
  Failure failure = Failure::Empty;
};

class SeamCall {
 public:
  SeamCall(const char* interfaceName, const Method& method, const std::string& subject,
           platform::System& system)
      : m_interfaceName(interfaceName), m_method(method), m_subject(subject), m_system(system) {}
  virtual ~SeamCall() = default;
  SeamCall(const SeamCall&) = delete;
  SeamCall& operator=(const SeamCall&) = delete;

  const char* InterfaceName() const { return m_interfaceName; }
  const Method& GetMethod() const { return m_method; }
  // What the call is made on when no argument names it (a stream: its path);
  // empty otherwise.
  const std::string& Subject() const { return m_subject; }

  // The arguments as the log writes them, comma-separated. A pointer shows
  // what it points to: after the call, what the call wrote through it; "-"
  // when the call failed.
  virtual std::string ArgumentsText() const = 0;
  // The result as the log writes it; empty for a call without one.
  virtual std::string ResultText() const = 0;
  // Whether the result is a failure by the method's rule.
  virtual bool Failed() const = 0;

  // Typed access for an observer that knows the method: null when T is not
  // the type of that argument, or of the result.
  template <typename T>
  const T* Argument(size_t index) const {
    return static_cast<const T*>(ArgumentAddress(index, KeyOf<T>()));
  }
  template <typename T>
  T* Result() {
    return static_cast<T*>(ResultAddress(KeyOf<T>()));
  }
  // Before the call: the platform is not called and the program receives
  // value instead (an injected failure). After: the program receives value
  // instead of what the platform returned. False when T is not the result type.
  template <typename T>
  bool ReplaceResult(T value) {
    T* result = Result<T>();
    if (result == nullptr) return false;
    *result = std::move(value);
    m_replaced = true;
    return true;
  }
  bool Replaced() const { return m_replaced; }

  // The thread's last-error code, which the program reads after the call.
  uint32_t LastError() const { return m_system.GetLastError(); }
  void SetLastError(uint32_t code) { m_system.SetLastError(code); }

 protected:
  using TypeKey = const void*;
  // One address per type, to check a typed access without RTTI.
  template <typename T>
  static TypeKey KeyOf() {
    static const char key = 0;
    return &key;
  }
  virtual const void* ArgumentAddress(size_t index, TypeKey type) const = 0;
  virtual void* ResultAddress(TypeKey type) = 0;

 private:
  const char* m_interfaceName;
  const Method& m_method;
  const std::string& m_subject;
  platform::System& m_system;
  bool m_replaced = false;
};

class CallObserver {
 public:
  virtual ~CallObserver() = default;
  // Before the call reaches the platform underneath.
  virtual void Before(SeamCall&) {}
  // After it, with the result and the last-error code the program will read.
  virtual void After(SeamCall& call) = 0;
};

}  // namespace observation
