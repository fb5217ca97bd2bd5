// The platform's exception: a message in the program's own code page.
#pragma once

#include <stdexcept>
#include <string>

#include "platform/win32/ansi_string.h"

class Exception : public std::runtime_error {
 public:
  explicit Exception(const AnsiString& message)
      : std::runtime_error(ToUtf8(message)), message_(message) {}
  explicit Exception(const std::string& utf8_message)
      : std::runtime_error(utf8_message), message_(SjisLossy(utf8_message)) {}
  const AnsiString& Message() const { return message_; }

 private:
  AnsiString message_;
};
