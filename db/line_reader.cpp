// fdopen and the other POSIX names: declared by default with glibc, only on
// request by stricter C libraries.
#if !defined(_GNU_SOURCE) && !defined(_XOPEN_SOURCE)
#define _XOPEN_SOURCE 700
#endif

#include "db/line_reader.h"

#include <unistd.h>

#include <cstdlib>

#include "db/text_bounds.h"
#include "platform/base/utf.h"
#include "platform/files/files.h"

namespace terravue {

LineReader::LineReader(const std::filesystem::path& path) {
  // Only a regular file: a pipe in its place would block the import.
  const int fd = tv::files::OpenRegularFile(path);
  if (fd < 0) return;
  file_ = fdopen(fd, "rb");
  if (file_ == nullptr) close(fd);
}

LineReader::~LineReader() { Close(); }

void LineReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

std::optional<std::u16string> LineReader::ReadLine() {
  if (file_ == nullptr || failed_) return std::nullopt;
  std::string bytes;
  int c = 0;
  bool any = false;
  while ((c = std::getc(file_)) != EOF) {
    any = true;
    if (c == '\n') break;
    // A line far beyond the buffer is still read to its end, but only what
    // can fit is kept (four bytes per character at most).
    if (bytes.size() < 4 * kTextBufferChars) bytes.push_back(static_cast<char>(c));
  }
  if (std::ferror(file_)) {
    failed_ = true;
    return std::nullopt;
  }
  if (!any) return std::nullopt;
  if (at_start_ && bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
  at_start_ = false;
  if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
  return BoundedText(tv::Utf8ToUtf16(bytes));
}

namespace {

std::string Ascii(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '\x7f');
  return out;
}

}  // namespace

long ParseLong(std::u16string_view text) {
  const std::string ascii = Ascii(text);
  return std::strtol(ascii.c_str(), nullptr, 10);
}

double ParseDouble(std::u16string_view text) {
  const std::string ascii = Ascii(text);
  return std::strtod(ascii.c_str(), nullptr);
}

}  // namespace terravue
