#include "text/cvo_string.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <system_error>

#include "platform/base/check.h"
#include "platform/base/utf.h"

namespace terravue {

namespace {

// Reserve adds 16 characters of slack; keep n + 16 and its byte size within
// range.
constexpr uint32_t kMaxReserve = 0x3FFFFFF0;

uint32_t TextLength(const char16_t* text) {
  const size_t n = std::char_traits<char16_t>::length(text);
  if (n > kMaxReserve) throw std::bad_alloc();
  return static_cast<uint32_t>(n);
}

std::u16string_view ViewOf(const char16_t* text) {
  return text ? std::u16string_view(text, TextLength(text)) : std::u16string_view();
}

CVOString FromView(std::u16string_view text) {
  const std::u16string copy(text);
  return CVOString(copy.c_str());
}

// --- printf-style formatting ---

// Appends to `out` without letting it grow past the format limit, so a
// caller's width of a million characters costs nothing.
class Output {
 public:
  explicit Output(std::u16string& out) : out_(out) {}
  void Put(char16_t c) {
    if (out_.size() < kCap) out_.push_back(c);
  }
  void Put(std::u16string_view s) {
    const size_t room = kCap - std::min(kCap, out_.size());
    out_.append(s.substr(0, std::min(room, s.size())));
  }
  void Pad(size_t n, char16_t c) {
    const size_t room = kCap - std::min(kCap, out_.size());
    out_.append(std::min(room, n), c);
  }
  // One past the limit, so that the caller can tell that the result was cut.
  static constexpr size_t kCap = CVOString::kFormatLimit + 1;

 private:
  std::u16string& out_;
};

struct Spec {
  bool left = false;
  int width = 0;
  int precision = -1;
  std::string flags;
  std::string length;
};

void PutPadded(Output& out, const Spec& spec, std::u16string_view text) {
  if (spec.precision >= 0 && text.size() > static_cast<size_t>(spec.precision)) {
    text = text.substr(0, static_cast<size_t>(spec.precision));
  }
  const size_t pad =
      static_cast<size_t>(spec.width) > text.size() ? spec.width - text.size() : 0;
  if (!spec.left) out.Pad(pad, u' ');
  out.Put(text);
  if (spec.left) out.Pad(pad, u' ');
}

// Formats one numeric conversion through the C library.
template <typename T>
void PutNumber(Output& out, const Spec& spec, char conversion, T value) {
  std::string format = "%" + spec.flags;
  if (spec.left) format += '-';
  // Widths beyond the limit cannot show anyway.
  const int width = std::min(spec.width, static_cast<int>(Output::kCap));
  if (width > 0) format += std::to_string(width);
  if (spec.precision >= 0) {
    format += '.' + std::to_string(std::min(spec.precision, static_cast<int>(Output::kCap)));
  }
  format += spec.length;
  format += conversion;
  char small[64];
  int n = std::snprintf(small, sizeof small, format.c_str(), value);
  if (n < 0) return;
  std::string text;
  if (static_cast<size_t>(n) < sizeof small) {
    text.assign(small, static_cast<size_t>(n));
  } else {
    text.resize(static_cast<size_t>(n) + 1);
    std::snprintf(text.data(), text.size(), format.c_str(), value);
    text.resize(static_cast<size_t>(n));
  }
  for (char c : text) out.Put(static_cast<char16_t>(static_cast<unsigned char>(c)));
}

void FormatInto(std::u16string& result, const char16_t* format, va_list args) {
  Output out(result);
  const char16_t* p = format;
  while (*p != 0) {
    if (*p != u'%') {
      out.Put(*p++);
      continue;
    }
    const char16_t* start = p++;
    Spec spec;
    for (;; ++p) {
      if (*p == u'-') {
        spec.left = true;
      } else if (*p == u'+' || *p == u' ' || *p == u'#' || *p == u'0') {
        spec.flags += static_cast<char>(*p);
      } else {
        break;
      }
    }
    if (*p == u'*') {
      spec.width = va_arg(args, int);
      if (spec.width < 0) {
        spec.left = true;
        spec.width = spec.width == INT32_MIN ? 0 : -spec.width;
      }
      ++p;
    } else {
      while (*p >= u'0' && *p <= u'9') {
        spec.width = std::min(spec.width * 10 + (*p - u'0'), 1 << 20);
        ++p;
      }
    }
    if (*p == u'.') {
      ++p;
      spec.precision = 0;
      if (*p == u'*') {
        spec.precision = va_arg(args, int);
        ++p;
      } else {
        while (*p >= u'0' && *p <= u'9') {
          spec.precision = std::min(spec.precision * 10 + (*p - u'0'), 1 << 20);
          ++p;
        }
      }
    }
    if (*p == u'h' || *p == u'l' || *p == u'z' || *p == u'j' || *p == u't') {
      spec.length += static_cast<char>(*p++);
      if ((*p == u'h' || *p == u'l') && *p == static_cast<char16_t>(spec.length[0])) {
        spec.length += static_cast<char>(*p++);
      }
    } else if (p[0] == u'I' && p[1] == u'6' && p[2] == u'4') {
      spec.length = "ll";
      p += 3;
    } else if (*p == u'L') {
      spec.length = "L";
      ++p;
    }
    const char16_t conversion = *p;
    if (conversion == 0) {
      // A lone '%' at the end is written as it stands.
      out.Put(std::u16string_view(start, static_cast<size_t>(p - start)));
      break;
    }
    ++p;
    const char c = static_cast<char>(conversion);
    switch (conversion) {
      case u'%':
        out.Put(u'%');
        break;
      case u's':
      case u'S': {
        // %s is wide and %S narrow; h makes either narrow and l wide.
        const bool narrow = spec.length == "h" || (conversion == u'S' && spec.length != "l");
        if (narrow) {
          const char* s = va_arg(args, const char*);
          PutPadded(out, spec, tv::Utf8ToUtf16(s ? s : "(null)"));
        } else {
          const char16_t* s = va_arg(args, const char16_t*);
          PutPadded(out, spec, s ? ViewOf(s) : std::u16string_view(u"(null)"));
        }
        break;
      }
      case u'c':
      case u'C': {
        const bool narrow = spec.length == "h" || (conversion == u'C' && spec.length != "l");
        const int value = va_arg(args, int);
        if (narrow) {
          const char ch = static_cast<char>(value);
          PutPadded(out, spec, tv::Utf8ToUtf16(std::string_view(&ch, 1)));
        } else {
          const char16_t ch = static_cast<char16_t>(value);
          PutPadded(out, spec, std::u16string_view(&ch, 1));
        }
        break;
      }
      case u'd':
      case u'i':
        if (spec.length == "ll" || spec.length == "j") {
          PutNumber(out, spec, c, va_arg(args, long long));
        } else if (spec.length == "l" || spec.length == "z" || spec.length == "t") {
          PutNumber(out, spec, c, va_arg(args, long));
        } else {
          PutNumber(out, spec, c, va_arg(args, int));
        }
        break;
      case u'u':
      case u'x':
      case u'X':
      case u'o':
        if (spec.length == "ll" || spec.length == "j") {
          PutNumber(out, spec, c, va_arg(args, unsigned long long));
        } else if (spec.length == "l" || spec.length == "z" || spec.length == "t") {
          PutNumber(out, spec, c, va_arg(args, unsigned long));
        } else {
          PutNumber(out, spec, c, va_arg(args, unsigned int));
        }
        break;
      case u'f':
      case u'F':
      case u'e':
      case u'E':
      case u'g':
      case u'G':
      case u'a':
      case u'A':
        if (spec.length == "L") {
          PutNumber(out, spec, c, va_arg(args, long double));
        } else {
          Spec plain = spec;
          plain.length.clear();
          PutNumber(out, plain, c, va_arg(args, double));
        }
        break;
      case u'p': {
        Spec plain = spec;
        plain.length.clear();
        PutNumber(out, plain, 'p', va_arg(args, void*));
        break;
      }
      default:
        // An unknown conversion is written as it stands and takes no argument.
        out.Put(std::u16string_view(start, static_cast<size_t>(p - start)));
        break;
    }
  }
}

}  // namespace

CVOString::CVOString(const char16_t* text) { Assign(text); }

CVOString::CVOString(const CVOString& other) { Assign(other); }

CVOString& CVOString::operator=(const CVOString& other) {
  Assign(other);
  return *this;
}

CVOString& CVOString::operator=(const char16_t* text) {
  Assign(text);
  return *this;
}

CVOString::~CVOString() = default;

bool CVOString::Reserve(uint32_t n) {
  if (capacity_ >= static_cast<uint64_t>(n) + 1) return true;
  if (n > kMaxReserve) throw std::bad_alloc();
  const uint32_t capacity = n + 16;
  std::unique_ptr<char16_t[]> grown(new char16_t[capacity]());
  if (buffer_) std::copy(buffer_.get(), buffer_.get() + capacity_, grown.get());
  buffer_ = std::move(grown);
  capacity_ = capacity;
  return true;
}

void CVOString::Assign(const char16_t* text) {
  if (text == nullptr) {
    buffer_.reset();
    length_ = 0;
    capacity_ = 0;
    return;
  }
  const uint32_t n = TextLength(text);
  // A text inside this string's own buffer is never longer than the string,
  // so Reserve keeps that buffer and the move below stays within it.
  Reserve(n);
  std::memmove(buffer_.get(), text, (static_cast<size_t>(n) + 1) * sizeof(char16_t));
  length_ = n;
}

void CVOString::Assign(const CVOString& other) {
  if (&other == this) return;
  Assign(other.Buffer());
}

char16_t* CVOString::GetBuffer(uint32_t n) {
  if (n > kMaxReserve) throw std::bad_alloc();
  Reserve(n + 1);
  return buffer_.get();
}

uint32_t CVOString::ReleaseBuffer(int32_t n) {
  if (!buffer_) return 0;
  if (n < 0) {
    // A writer may have filled every slot; the count stops before the last
    // one, which then becomes the terminator.
    uint32_t i = 0;
    while (i + 1 < capacity_ && buffer_[i] != 0) ++i;
    length_ = i;
  } else {
    length_ = std::min(static_cast<uint32_t>(n), capacity_ - 1);
  }
  buffer_[length_] = 0;
  return length_;
}

const char16_t* CVOString::Append(const char16_t* text) {
  if (!buffer_) {
    Assign(text);
    return Buffer();
  }
  if (text == nullptr) return Buffer();
  // Copy first: the text may be (part of) this string's buffer, which
  // Reserve may free.
  const std::u16string tail(ViewOf(text));
  Reserve(length_ + static_cast<uint32_t>(tail.size()));
  std::copy(tail.begin(), tail.end(), buffer_.get() + length_);
  buffer_[length_ + tail.size()] = 0;
  ReleaseBuffer(-1);
  return Buffer();
}

const char16_t* CVOString::AppendChar(char16_t ch) {
  Reserve(length_ + 2);
  buffer_[length_] = ch;
  ++length_;
  buffer_[length_] = 0;
  return Buffer();
}

CVOString CVOString::Concat(const char16_t* text) const {
  CVOString result(*this);
  result.Append(text);
  return result;
}

int CVOString::Format(const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = FormatV(format, args);
  va_end(args);
  return n;
}

int CVOString::FormatV(const char16_t* format, va_list args) {
  // Formatted apart first: an argument may be this string's own buffer.
  std::u16string text;
  if (format) FormatInto(text, format, args);
  if (text.size() > kFormatLimit) {
    text.resize(kFormatLimit);
    // Never leave half of a surrogate pair at the cut.
    if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
  }
  char16_t* out = GetBuffer(kFormatLimit);
  std::copy(text.begin(), text.end(), out);
  out[text.size()] = 0;
  return static_cast<int>(ReleaseBuffer(-1));
}

bool CVOString::IsEqual(const char16_t* text) const {
  if (!buffer_) return text == nullptr || *text == 0;
  if (text == nullptr) return false;
  return tv::CompareNoCase(View(), ViewOf(text)) == 0;
}

bool CVOString::IsEqual(const CVOString& other) const {
  if (!buffer_) return other.length_ == 0;
  if (!other.buffer_) return false;
  return tv::CompareNoCase(View(), other.View()) == 0;
}

int CVOString::Compare(const char16_t* text) const {
  if (!buffer_) return text == nullptr ? 0 : -1;
  if (text == nullptr) return 1;
  return tv::CompareNoCase(View(), ViewOf(text));
}

char16_t CVOString::GetAt(int32_t i) const {
  if (i < 0 || static_cast<uint32_t>(i) >= length_) return 0;
  return buffer_[i];
}

int32_t CVOString::Find(const char16_t* text, int32_t start) const {
  if (!buffer_ || text == nullptr) return -1;
  if (start < 0) start = 0;
  if (static_cast<uint32_t>(start) > length_) return -1;
  const size_t at = View().find(ViewOf(text), static_cast<size_t>(start));
  return at == std::u16string_view::npos ? -1 : static_cast<int32_t>(at);
}

int32_t CVOString::Find(char16_t ch, int32_t start) const {
  const char16_t text[2] = {ch, 0};
  return Find(text, start);
}

int32_t CVOString::ReverseFind(const char16_t* text) const {
  int32_t last = -1;
  for (int32_t at = Find(text, 0); at >= 0; at = Find(text, at + 1)) last = at;
  return last;
}

int32_t CVOString::FindOneOf(const char16_t* set) const {
  if (!buffer_ || set == nullptr) return -1;
  const size_t at = View().find_first_of(ViewOf(set));
  return at == std::u16string_view::npos ? -1 : static_cast<int32_t>(at);
}

CVOString CVOString::Left(int32_t n) const {
  if (n >= 0 && static_cast<uint32_t>(n) >= length_) return *this;
  return FromView(View().substr(0, n < 0 ? 0 : static_cast<size_t>(n)));
}

CVOString CVOString::Mid(int32_t start, int32_t count) const {
  if (start < 0) start = 0;
  if (static_cast<uint32_t>(start) > length_) return CVOString(u"");
  const uint32_t rest = length_ - static_cast<uint32_t>(start);
  uint32_t n = rest;
  if (count >= 0 && static_cast<uint32_t>(count) < rest) n = static_cast<uint32_t>(count);
  if (count < -1) n = 0;
  return FromView(View().substr(static_cast<size_t>(start), n));
}

CVOString CVOString::Right(int32_t n) const {
  if (n >= 0 && static_cast<uint32_t>(n) > length_) return *this;
  return Mid(static_cast<int32_t>(static_cast<int64_t>(length_) - n), -1);
}

void CVOString::TrimLeft() {
  if (!buffer_) return;
  uint32_t skip = 0;
  while (skip < length_ && buffer_[skip] == u' ') ++skip;
  if (skip == 0) return;
  std::memmove(buffer_.get(), buffer_.get() + skip,
               (static_cast<size_t>(length_ - skip) + 1) * sizeof(char16_t));
  length_ -= skip;
}

void CVOString::TrimRight() {
  if (!buffer_) return;
  while (length_ > 0 && buffer_[length_ - 1] == u' ') buffer_[--length_] = 0;
}

void CVOString::MakeUpper() {
  for (uint32_t i = 0; i < length_; ++i) {
    if (buffer_[i] >= u'a' && buffer_[i] <= u'z') buffer_[i] = static_cast<char16_t>(buffer_[i] - 32);
  }
}

int CVOString::Replace(const char16_t* old_text, const char16_t* new_text) {
  if (old_text == nullptr) return 0;
  const std::u16string_view old_view = ViewOf(old_text);
  const std::u16string replacement(ViewOf(new_text));
  // Also true for an empty old text, which would otherwise match forever.
  if (replacement.find(old_view) != std::u16string::npos) return 0;
  int count = 0;
  int32_t start = 0;
  for (int32_t at = Find(old_text, start); at >= 0; at = Find(old_text, start)) {
    std::u16string edited(View().substr(0, static_cast<size_t>(at)));
    edited += replacement;
    edited += View().substr(static_cast<size_t>(at) + old_view.size());
    Assign(edited.c_str());
    ++count;
    start = at + 1;
  }
  return count;
}

CVOString CVOString::Quote(const char16_t* text) {
  std::u16string quoted = u"\"";
  for (char16_t c : ViewOf(text)) {
    if (c == u'"') {
      quoted += u"%22";
    } else {
      quoted += c;
    }
  }
  quoted += u'"';
  return CVOString(quoted.c_str());
}

CVOString CVOString::Unquote(const char16_t* text) {
  CVOString result(text);
  if (result.length_ < 2) return result;
  if (result.buffer_[0] == u'"' && result.buffer_[result.length_ - 1] == u'"') {
    result = result.Mid(1, static_cast<int32_t>(result.length_) - 2);
  }
  result.Replace(u"%22", u"\"");
  return result;
}

CVOString CVOString::ToHex(const char16_t* text) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  CVOString result;
  for (char16_t c : ViewOf(text)) {
    result.AppendChar(kDigits[(c >> 4) & 0xF]);
    result.AppendChar(kDigits[c & 0xF]);
  }
  return result;
}

CVOString CVOString::FromHex(const char16_t* text) {
  CVOString digits(text);
  digits.MakeUpper();
  CVOString result;
  if (digits.length_ % 2 != 0) return result;
  auto value = [](char16_t c) -> int {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return 0;
  };
  for (uint32_t i = 0; i < digits.length_; i += 2) {
    result.AppendChar(
        static_cast<char16_t>(value(digits.buffer_[i]) * 16 + value(digits.buffer_[i + 1])));
  }
  return result;
}

CVOString CVOString::LastErrorText() {
  const int code = errno;
  const std::u16string text = tv::Utf8ToUtf16(std::generic_category().message(code));
  return CVOString(text.c_str());
}

std::string CVOString::ToUtf8() const { return tv::Utf16ToUtf8(View()); }

}  // namespace terravue
