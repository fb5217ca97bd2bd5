#include "platform/win32/ansi_string.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace {

// One iconv conversion descriptor, closed when it goes out of scope.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("text conversion from ") + from + " to " + to +
                               " is not available");
    }
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts as much as it can; returns false at the first input it cannot convert, with
  // `in` pointing at it.
  bool Convert(std::string_view& in, std::string& out) {
    char buffer[256];
    while (!in.empty()) {
      char* in_ptr = const_cast<char*>(in.data());
      std::size_t in_left = in.size();
      char* out_ptr = buffer;
      std::size_t out_left = sizeof buffer;
      std::size_t result = iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left);
      out.append(buffer, out_ptr - buffer);
      in.remove_prefix(in.size() - in_left);
      if (result == static_cast<std::size_t>(-1) && errno != E2BIG) return false;
    }
    return true;
  }

 private:
  iconv_t cd_;
};

// How many bytes at the front of `in` make up the character that could not be converted: a
// whole sequence when it is well-formed UTF-8, else its lead byte and the continuation bytes
// that follow it, so that the next character is never swallowed.
std::size_t BadSequenceLength(std::string_view in) {
  auto lead = static_cast<unsigned char>(in.front());
  std::size_t expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  std::size_t length = 1;
  while (length < expected && length < in.size() &&
         (static_cast<unsigned char>(in[length]) & 0xC0) == 0x80) {
    ++length;
  }
  return length;
}

}  // namespace

AnsiString Sjis(std::string_view utf8) {
  Converter converter("CP932", "UTF-8");
  std::string out;
  std::string_view in = utf8;
  if (!converter.Convert(in, out)) {
    throw std::invalid_argument("text cannot be written in CP932: " + std::string(utf8));
  }
  return AnsiString::FromBytes(out);
}

AnsiString SjisLossy(std::string_view utf8) {
  Converter converter("CP932", "UTF-8");
  std::string out;
  std::string_view in = utf8;
  while (!converter.Convert(in, out)) {
    out += '?';
    in.remove_prefix(BadSequenceLength(in));
  }
  return AnsiString::FromBytes(out);
}

std::string ToUtf8(const AnsiString& text) {
  Converter converter("UTF-8", "CP932");
  std::string out;
  std::string_view in = text.Bytes();
  while (!converter.Convert(in, out)) {
    out += "\xEF\xBF\xBD";
    in.remove_prefix(1);
  }
  return out;
}

AnsiString IntToStr(long long value) { return AnsiString::FromBytes(std::to_string(value)); }
