#pragma once

#include <exception>
#include <string>

// Root of the product's exceptions. The message is Windows-1251 text, like all core text.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : FMessage(std::move(message)) {}
  const std::string& Message() const { return FMessage; }
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  std::string FMessage;
};

// An index outside a list or collection: "List index out of bounds (%d)".
class EListError : public Exception {
 public:
  explicit EListError(int index)
      : Exception("List index out of bounds (" + std::to_string(index) + ")") {}
};

// Throws EListError unless 0 <= index < count.
inline void CheckListIndex(int index, int count) {
  if (index < 0 || index >= count) throw EListError(index);
}
