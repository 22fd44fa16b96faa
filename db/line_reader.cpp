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
  std::free(line_);
  line_ = nullptr;
  line_capacity_ = 0;
}

std::optional<std::u16string> LineReader::ReadLine() {
  if (file_ == nullptr || failed_) return std::nullopt;
  const ssize_t read = getline(&line_, &line_capacity_, file_);
  if (std::ferror(file_)) {
    failed_ = true;
    return std::nullopt;
  }
  if (read <= 0) return std::nullopt;
  std::string_view bytes(line_, static_cast<size_t>(read));
  if (bytes.back() == '\n') bytes.remove_suffix(1);
  // A line far beyond the buffer is still read to its end, but only what
  // can fit is kept (four bytes per character at most).
  if (bytes.size() > 4 * kTextBufferChars) bytes = bytes.substr(0, 4 * kTextBufferChars);
  if (at_start_ && bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  at_start_ = false;
  if (!bytes.empty() && bytes.back() == '\r') bytes.remove_suffix(1);
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
