// The one mechanism by which a seam call reaches its observer: a forwarding
// class implements a seam interface with one Forward per method, naming the
// method, and Forward does the rest for every signature.
#pragma once

#include <cstdlib>
#include <limits>
#include <type_traits>
#include <utility>

#include "observation/SeamCall.h"
#include "observation/ValueText.h"

namespace observation {

template <typename R>
bool IsFailure(Failure rule, const R& result) {
  if (rule == Failure::Never) return false;
  if constexpr (std::is_same_v<R, bool>) {
    return !result;
  } else if constexpr (std::is_integral_v<R>) {
    switch (rule) {
      case Failure::ErrorCode:
        return result != 0;
      case Failure::AllOnes:
        return result == std::numeric_limits<R>::max();
      case Failure::MinusOne:
        return result == static_cast<R>(-1);
      case Failure::Below32:
        return result <= 31;
      default:
        return result == 0;
    }
  } else if constexpr (requires { result.empty(); }) {
    return result.empty();
  } else if constexpr (requires { result == nullptr; }) {
    return result == nullptr;
  } else {
    return false;
  }
}

// The text and the failure test of a value reached by address: one of each
// per type, whatever the signatures it appears in.
template <typename T>
std::string TextAt(const void* value) {
  return Text(*static_cast<const T*>(value));
}
template <typename R>
bool FailedAt(Failure rule, const void* value) {
  return IsFailure(rule, *static_cast<const R*>(value));
}
template <typename T>
inline constexpr SeamCall::ValueType kArgumentType{SeamCall::KeyOf<T>(), &TextAt<T>, nullptr,
                                                   std::is_pointer_v<T>};
template <typename R>
inline constexpr SeamCall::ValueType kResultType{SeamCall::KeyOf<R>(), &TextAt<R>, &FailedAt<R>,
                                                 false};

// What forwarding does for every interface: the call shown to the observer
// before and after it is made.
class ForwarderBase {
 protected:
  ForwarderBase(const char* interfaceName, CallObserver& observer, platform::System& system,
                std::string subject)
      : m_interfaceName(interfaceName),
        m_observer(observer),
        m_system(system),
        m_subject(std::move(subject)) {}

  // Shows the call to the observer before and after it and makes it between,
  // make(function), unless the observer replaced its result. A call that does
  // not return passes no make and is made afterwards.
  void Observe(const Method& method, const SeamCall::Value* arguments, size_t argumentCount,
               void* result, const SeamCall::ValueType* resultType, void (*make)(void*),
               void* function);

  const char* m_interfaceName;
  CallObserver& m_observer;
  platform::System& m_system;
  std::string m_subject;
};

// The base of the class that implements Interface by forwarding each call to
// the real implementation, past the observer.
template <typename Interface>
class Forwarder : protected ForwarderBase {
 public:
  Forwarder(const char* interfaceName, Interface& inner, CallObserver& observer,
            platform::System& system, std::string subject = std::string())
      : ForwarderBase(interfaceName, observer, system, std::move(subject)), m_inner(inner) {}

 protected:
  template <typename R, typename... Params, typename... Args>
  R Forward(const Method& method, R (Interface::*function)(Params...), Args&... args) {
    const SeamCall::Value arguments[sizeof...(Args) + 1] = {
        {&args, &kArgumentType<std::decay_t<Args>>}...};
    if constexpr (std::is_void_v<R>) {
      auto make = [&] { (m_inner.*function)(args...); };
      Observe(method, arguments, sizeof...(Args), nullptr, nullptr, &Call<decltype(make)>, &make);
    } else {
      R result{};
      auto make = [&] { result = (m_inner.*function)(args...); };
      Observe(method, arguments, sizeof...(Args), &result, &kResultType<R>, &Call<decltype(make)>,
              &make);
      return result;
    }
  }

  // A call that does not return: observed before it is made.
  template <typename... Params, typename... Args>
  [[noreturn]] void ForwardEnd(const Method& method, void (Interface::*function)(Params...),
                               Args&... args) {
    const SeamCall::Value arguments[sizeof...(Args) + 1] = {
        {&args, &kArgumentType<std::decay_t<Args>>}...};
    Observe(method, arguments, sizeof...(Args), nullptr, nullptr, nullptr, nullptr);
    (m_inner.*function)(args...);
    std::abort();  // not reached: [[noreturn]] does not carry through a member pointer
  }

  Interface& m_inner;

 private:
  template <typename Function>
  static void Call(void* function) {
    (*static_cast<Function*>(function))();
  }
};

}  // namespace observation
