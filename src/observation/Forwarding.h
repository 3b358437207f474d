// The one mechanism by which a seam call reaches its observer: a forwarding
// class implements a seam interface with one Forward per method, naming the
// method, and Forward does the rest for every signature.
#pragma once

#include <cstdlib>
#include <limits>
#include <tuple>
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

// A call with result type R (void for none) and these argument types, held
// by reference while the call is made.
template <typename R, typename... Args>
class TypedCall final : public SeamCall {
 public:
  TypedCall(const char* interfaceName, const Method& method, const std::string& subject,
            platform::System& system, const Args&... args)
      : SeamCall(interfaceName, method, subject, system), m_arguments(args...) {}

  template <typename Function>
  void Make(Function&& function) {
    if constexpr (std::is_void_v<R>) {
      function();
    } else {
      m_result = function();
    }
  }
  R TakeResult() {
    if constexpr (!std::is_void_v<R>) return std::move(m_result);
  }

  std::string ArgumentsText() const override {
    const bool failed = Failed();
    std::string text;
    std::apply(
        [&](const auto&... each) {
          ((text += (text.empty() ? "" : ", ") + ArgumentText(each, failed)), ...);
        },
        m_arguments);
    return text;
  }
  std::string ResultText() const override {
    if constexpr (std::is_void_v<R>) {
      return std::string();
    } else {
      return Text(m_result);
    }
  }
  bool Failed() const override {
    if constexpr (std::is_void_v<R>) {
      return false;
    } else {
      return IsFailure(GetMethod().failure, m_result);
    }
  }

 private:
  struct NoResult {};

  template <typename T>
  static std::string ArgumentText(const T& argument, bool failed) {
    if constexpr (std::is_pointer_v<T>) {
      if (failed) return "-";
    }
    return Text(argument);
  }

  const void* ArgumentAddress(size_t index, TypeKey type) const override {
    const void* found = nullptr;
    size_t position = 0;
    std::apply(
        [&](const auto&... each) {
          ((found = position++ == index && type == KeyOf<std::decay_t<decltype(each)>>() ? &each
                                                                                         : found),
           ...);
        },
        m_arguments);
    return found;
  }
  void* ResultAddress(TypeKey type) override {
    if constexpr (!std::is_void_v<R>) {
      if (type == KeyOf<R>()) return &m_result;
    }
    return nullptr;
  }

  std::tuple<const Args&...> m_arguments;
  std::conditional_t<std::is_void_v<R>, NoResult, R> m_result{};
};

// The base of the class that implements Interface by forwarding each call to
// the real implementation, past the observer.
template <typename Interface>
class Forwarder {
 public:
  Forwarder(const char* interfaceName, Interface& inner, CallObserver& observer,
            platform::System& system, std::string subject = std::string())
      : m_interfaceName(interfaceName),
        m_inner(inner),
        m_observer(observer),
        m_system(system),
        m_subject(std::move(subject)) {}

 protected:
  template <typename R, typename... Params, typename... Args>
  R Forward(const Method& method, R (Interface::*function)(Params...), Args&... args) {
    TypedCall<R, Args...> call(m_interfaceName, method, m_subject, m_system, args...);
    m_observer.Before(call);
    if (!call.Replaced()) call.Make([&]() -> R { return (m_inner.*function)(args...); });
    m_observer.After(call);
    return call.TakeResult();
  }

  // A call that does not return: observed before it is made.
  template <typename... Params, typename... Args>
  [[noreturn]] void ForwardEnd(const Method& method, void (Interface::*function)(Params...),
                               Args&... args) {
    TypedCall<void, Args...> call(m_interfaceName, method, m_subject, m_system, args...);
    m_observer.Before(call);
    m_observer.After(call);
    (m_inner.*function)(args...);
    std::abort();  // not reached: [[noreturn]] does not carry through a member pointer
  }

  const char* m_interfaceName;
  Interface& m_inner;
  CallObserver& m_observer;
  platform::System& m_system;
  std::string m_subject;
};

}  // namespace observation
