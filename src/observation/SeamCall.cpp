#include "observation/SeamCall.h"

namespace observation {

std::string SeamCall::ArgumentsText() const {
  const bool failed = Failed();
  std::string text;
  for (size_t i = 0; i < m_argumentCount; ++i) {
    const Value& argument = m_arguments[i];
    if (i != 0) text += ", ";
    text += failed && argument.type->pointer ? "-" : argument.type->text(argument.address);
  }
  return text;
}

std::string SeamCall::ResultText() const {
  return m_resultType != nullptr ? m_resultType->text(m_result) : std::string();
}

bool SeamCall::Failed() const {
  return m_resultType != nullptr && m_method.failure != Failure::Never &&
         m_resultType->failed(m_method.failure, m_result);
}

}  // namespace observation
