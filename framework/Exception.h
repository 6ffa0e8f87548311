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
