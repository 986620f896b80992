#pragma once
// The engine's exception types. Device and interface failures throw `Error`, file and format failures
// throw `FileError`, and only `MessageManager::Abort` throws `FatalError`, which the game's entry point
// catches at the top. They carry nothing but their text and deliberately stand apart from
// std::exception: code that catches std::exception must not swallow an engine failure by accident.

#include <string>

namespace CorvantisEngine {

class Error {
 public:
  explicit Error(const std::string& text) : message_(text) {}
  Error(const Error& other) = default;
  Error& operator=(const Error& other) = default;
  virtual ~Error() = default;

  const std::string& GetMessage() const { return message_; }

 private:
  std::string message_;
};

class FileError : public Error {
 public:
  explicit FileError(const std::string& text) : Error(text) {}
  ~FileError() override = default;
};

class FatalError : public Error {
 public:
  explicit FatalError(const std::string& text) : Error(text) {}
  ~FatalError() override = default;
};

}  // namespace CorvantisEngine
