#include "CaughtException.h"

#include <cxxabi.h>

#include <typeinfo>

namespace {

QString typeName(const std::type_info& type) {
  int status = 0;
  char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
  const QString name = QString::fromUtf8(status == 0 && demangled ? demangled : type.name());
  std::free(demangled);
  return name;
}

}  // namespace

CaughtException CaughtException::from(const std::exception& exception) {
  return {typeName(typeid(exception)), QString::fromUtf8(exception.what())};
}

CaughtException CaughtException::current() {
  try {
    throw;
  } catch (const std::exception& exception) {
    return from(exception);
  } catch (...) {
    const std::type_info* type = abi::__cxa_current_exception_type();
    const QString name = type ? typeName(*type) : QStringLiteral("unknown");
    return {name, QStringLiteral("Unexpected exception: %1").arg(name)};
  }
}
