#pragma once

#include <memory>
#include <string>

namespace zt640::platform {

/// A shared library loaded at run time (dlopen), for libraries only some runs need:
/// a start does not pay for loading them and their dependencies. Closed with the object.
class DynamicLibrary {
 public:
  /// Loads `file_name` (a run-time name such as "libfoo.so.1", found as the loader
  /// finds libraries). Null, with the reason in `reason` when given, when it cannot.
  [[nodiscard]] static std::unique_ptr<DynamicLibrary> Open(const std::string& file_name,
                                                            std::string* reason = nullptr);

  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;
  ~DynamicLibrary();

  /// Points `target` at the library's function `name`. False, leaving `target` as it
  /// was, when the library has no such symbol.
  template <typename Function>
  [[nodiscard]] bool Bind(const char* name, Function*& target) const {
    void* symbol = Symbol(name);
    if (symbol == nullptr) return false;
    target = reinterpret_cast<Function*>(symbol);
    return true;
  }

 private:
  explicit DynamicLibrary(void* handle) : handle_(handle) {}
  [[nodiscard]] void* Symbol(const char* name) const;

  void* handle_;  ///< from dlopen, never null
};

}  // namespace zt640::platform
