#pragma once

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/clock/clock.h"

namespace terravue {

// The program's own growable string of UTF-16 code units. It keeps an owned,
// zero-filled buffer that only Reserve replaces and that never shrinks, so a
// caller may write into GetBuffer() and then ReleaseBuffer(). Every
// comparison is case-blind for the letters A to Z only.
//
// A "text" argument is a zero-terminated UTF-16 string; where an operation
// says so, a null pointer is allowed.
class CVOString {
 public:
  // Flags of ToSystemTime and FromSystemTime: keep only the time, or only the
  // date, of the value.
  static constexpr uint32_t kTimeValueOnly = 0x1;
  static constexpr uint32_t kDateValueOnly = 0x2;
  // The longest result Format produces; a longer one is cut to this length.
  static constexpr uint32_t kFormatLimit = 2048;

  CVOString() = default;
  // Implicit, so that a literal reads naturally where a string is expected.
  CVOString(const char16_t* text);  // NOLINT(google-explicit-constructor)
  CVOString(const CVOString& other);
  CVOString& operator=(const CVOString& other);
  CVOString& operator=(const char16_t* text);
  virtual ~CVOString();

  // Makes room for n characters plus the terminator; grows to n + 16 when it
  // has to. Always returns true (a failed allocation throws).
  bool Reserve(uint32_t n);
  // With a null text the string drops its buffer and becomes empty.
  void Assign(const char16_t* text);
  void Assign(const CVOString& other);
  // Room for n characters to write directly; ReleaseBuffer then sets the
  // length: -1 counts up to the first zero, n >= 0 is cut to capacity - 1.
  char16_t* GetBuffer(uint32_t n);
  uint32_t ReleaseBuffer(int32_t n = -1);

  const char16_t* Append(const char16_t* text);
  const char16_t* AppendChar(char16_t ch);
  CVOString Concat(const char16_t* text) const;
  // printf-style formatting: %s and %c take UTF-16 text and characters, %S
  // and %C narrow (UTF-8) ones, and h or l makes either narrow or wide; the
  // integer, floating-point and pointer conversions are those of the C
  // library. A result longer than kFormatLimit is cut to it. Returns the new
  // length.
  int Format(const char16_t* format, ...);
  int FormatV(const char16_t* format, va_list args);

  bool IsEqual(const char16_t* text) const;
  bool IsEqual(const CVOString& other) const;
  // Negative, zero or positive; a string without a buffer sorts before any
  // text, and any string after a null text.
  int Compare(const char16_t* text) const;

  // The character at i, or 0 past the end.
  char16_t GetAt(int32_t i) const;
  // Searches return a character position or -1.
  int32_t Find(const char16_t* text, int32_t start = 0) const;
  int32_t Find(char16_t ch, int32_t start = 0) const;
  int32_t ReverseFind(const char16_t* text) const;
  int32_t FindOneOf(const char16_t* set) const;

  CVOString Left(int32_t n) const;
  CVOString Mid(int32_t start, int32_t count = -1) const;
  CVOString Right(int32_t n) const;

  // Spaces (U+0020) only; tabs and other blanks stay.
  void TrimLeft();
  void TrimRight();
  // 'a' to 'z' only.
  void MakeUpper();
  // Replaces every occurrence of old_text by new_text and returns how many
  // were replaced; 0 and nothing changed when new_text contains old_text.
  int Replace(const char16_t* old_text, const char16_t* new_text);

  // Wraps text in double quotes, each double quote inside written as %22.
  static CVOString Quote(const char16_t* text);
  static CVOString Unquote(const char16_t* text);
  // Two upper-case hexadecimal digits for the low 8 bits of each character.
  static CVOString ToHex(const char16_t* text);
  // The reverse of ToHex; empty for a text of odd length.
  static CVOString FromHex(const char16_t* text);
  // The system's message for the calling thread's last error (errno).
  static CVOString LastErrorText();

  // Reads the string as a date, a time or both, written as the user's locale
  // writes them (LC_TIME); false, and `out` untouched, when it is not one or
  // lies outside the years 100 to 9999.
  bool ToSystemTime(tv::clock::SystemTime& out, uint32_t flags = 0) const;
  // Writes `time` as the user's locale does: the date alone at midnight, the
  // time alone on 30 December 1899 (day zero of the calendar). False, and
  // the string unchanged, for a date or time that does not exist.
  bool FromSystemTime(const tv::clock::SystemTime& time, uint32_t flags = 0);

  // Null when there is no buffer.
  const char16_t* Buffer() const { return buffer_.get(); }
  // Never null.
  const char16_t* CStr() const { return buffer_ ? buffer_.get() : u""; }
  std::u16string_view View() const { return {CStr(), length_}; }
  std::string ToUtf8() const;
  uint32_t GetLength() const { return length_; }
  uint32_t GetCapacity() const { return capacity_; }
  bool IsEmpty() const { return length_ == 0; }

 private:
  std::unique_ptr<char16_t[]> buffer_;
  uint32_t length_ = 0;
  uint32_t capacity_ = 0;
};

}  // namespace terravue
