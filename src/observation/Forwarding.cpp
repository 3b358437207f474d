#include "observation/Forwarding.h"

namespace observation {

void ForwarderBase::Observe(const Method& method, const SeamCall::Value* arguments,
                            size_t argumentCount, void* result,
                            const SeamCall::ValueType* resultType, void (*make)(void*),
                            void* function) {
  SeamCall call(m_interfaceName, method, m_subject, m_system, arguments, argumentCount, result,
                resultType);
  m_observer.Before(call);
  if (make != nullptr && !call.Replaced()) {
    make(function);
    call.m_made = true;
  }
  m_observer.After(call);
}

}  // namespace observation
