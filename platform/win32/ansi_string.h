// AnsiString: a byte string in the ANSI code page of the program, CP932 (Shift-JIS).
// Texts live inside the program as CP932 bytes and become UTF-8 only where they are drawn.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class AnsiString {
 public:
  AnsiString() = default;
  // Takes the bytes as they are: they must already be CP932.
  static AnsiString FromBytes(std::string_view bytes) { return AnsiString(std::string(bytes)); }

  const std::string& Bytes() const { return bytes_; }
  const char* c_str() const { return bytes_.c_str(); }
  std::size_t Length() const { return bytes_.size(); }
  bool IsEmpty() const { return bytes_.empty(); }

  AnsiString& operator+=(const AnsiString& other) {
    bytes_ += other.bytes_;
    return *this;
  }
  friend AnsiString operator+(AnsiString left, const AnsiString& right) { return left += right; }
  friend bool operator==(const AnsiString&, const AnsiString&) = default;

 private:
  explicit AnsiString(std::string bytes) : bytes_(std::move(bytes)) {}
  std::string bytes_;
};

// A program text written in UTF-8 in the source, as CP932. Throws std::invalid_argument if
// the text holds a character that CP932 cannot hold: a program text must never lose letters.
AnsiString Sjis(std::string_view utf8);

// A text from outside (a dropped file's path) as CP932, the way the ANSI API converts it:
// every character CP932 cannot hold, and every byte that is not valid UTF-8, becomes "?".
AnsiString SjisLossy(std::string_view utf8);

// CP932 bytes as UTF-8, for drawing. Bytes that do not decode become U+FFFD.
std::string ToUtf8(const AnsiString& text);

// Plain decimal, as the game writes numbers.
AnsiString IntToStr(long long value);
