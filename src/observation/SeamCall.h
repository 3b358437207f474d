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
  Note,    // a line of the program's own for whoever watches (a debugger, the log)
  End,     // ends the process; observed before it is made, as it does not return
};

// How a call's result says that the call failed.
enum class Failure {
  Never,
  Empty,      // false, 0, null or empty text; the last-error code says why
  NotFound,   // 0 or null: nothing found; the call sets no last-error code
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

// One call through the seam, described by records that do not depend on its
// signature: a single implementation serves every method, and what a type
// needs (its text, its failure test) exists once per type.
class SeamCall {
 public:
  using TypeKey = const void*;
  // One address per type, to check a typed access without RTTI.
  template <typename T>
  static constexpr TypeKey KeyOf() {
    return &kKey<T>;
  }
  // How the values of one type are written and, as a result, judged.
  struct ValueType {
    TypeKey key;
    std::string (*text)(const void* value);
    bool (*failed)(Failure rule, const void* value);  // set for a result type
    bool pointer;  // written "-" when the call failed: what it points to was not written
  };
  struct Value {
    const void* address;
    const ValueType* type;
  };

  // The arguments are held by address while the call is made; the result
  // too, its type null for a call without one.
  SeamCall(const char* interfaceName, const Method& method, const std::string& subject,
           platform::System& system, const Value* arguments, size_t argumentCount, void* result,
           const ValueType* resultType)
      : m_interfaceName(interfaceName),
        m_method(method),
        m_subject(subject),
        m_system(system),
        m_arguments(arguments),
        m_argumentCount(argumentCount),
        m_result(result),
        m_resultType(resultType) {}
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
  std::string ArgumentsText() const;
  // The result as the log writes it; empty for a call without one.
  std::string ResultText() const;
  // Whether the result is a failure by the method's rule.
  bool Failed() const;

  // Typed access for an observer that knows the method: null when T is not
  // the type of that argument, or of the result.
  template <typename T>
  const T* Argument(size_t index) const {
    if (index >= m_argumentCount || m_arguments[index].type->key != KeyOf<T>()) return nullptr;
    return static_cast<const T*>(m_arguments[index].address);
  }
  template <typename T>
  T* Result() {
    if (m_resultType == nullptr || m_resultType->key != KeyOf<T>()) return nullptr;
    return static_cast<T*>(m_result);
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
  // Whether the call reached the platform: not when an observer answered it
  // before, nor yet for a call that ends the process.
  bool Made() const { return m_made; }

  // The thread's last-error code, which the program reads after the call.
  uint32_t LastError() const { return m_system.GetLastError(); }
  void SetLastError(uint32_t code) { m_system.SetLastError(code); }

 private:
  template <typename T>
  static constexpr char kKey = 0;

  const char* m_interfaceName;
  const Method& m_method;
  const std::string& m_subject;
  platform::System& m_system;
  const Value* m_arguments;
  size_t m_argumentCount;
  void* m_result;
  const ValueType* m_resultType;
  bool m_replaced = false;
  bool m_made = false;

  friend class ForwarderBase;  // makes the call
};

class CallObserver {
 public:
  virtual ~CallObserver() = default;
  // Before the call reaches the platform underneath.
  virtual void Before(SeamCall&) {}
  // After it, with the result and the last-error code the program will read.
  virtual void After(SeamCall& call) = 0;
};

// Two observers of one platform: the first sees each call before the second,
// and may answer it before it is made.
class ObserverPair final : public CallObserver {
 public:
  ObserverPair(CallObserver& first, CallObserver& second) : m_first(first), m_second(second) {}
  void Before(SeamCall& call) override {
    m_first.Before(call);
    m_second.Before(call);
  }
  void After(SeamCall& call) override {
    m_first.After(call);
    m_second.After(call);
  }

 private:
  CallObserver& m_first;
  CallObserver& m_second;
};

}  // namespace observation
