#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

namespace terravue {

// Reads a UTF-8 text file line by line into the program's UTF-16 text, the
// way the installation files are read: a line ends at a line feed (a
// carriage return before it is dropped, as text mode does), is cut to 1023
// characters, and invalid byte sequences become U+FFFD. A byte-order mark at
// the start of the file is not part of the first line.
class LineReader {
 public:
  explicit LineReader(const std::filesystem::path& path);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Whether the file could be opened: false when it is missing, cannot be
  // read, or is not a regular file.
  bool IsOpen() const { return file_ != nullptr; }
  // The next line without its line feed; nothing once the end of the file is
  // met before any character of a line, or once reading has failed.
  std::optional<std::u16string> ReadLine();
  // Whether a read failed (rather than the file ending): what was read is
  // then not the whole file.
  bool Failed() const { return failed_; }
  void Close();

 private:
  std::FILE* file_ = nullptr;
  // getline's buffer, reused from line to line.
  char* line_ = nullptr;
  size_t line_capacity_ = 0;
  bool failed_ = false;
  bool at_start_ = true;
};

// The leading decimal integer of a text, read as the C library reads a long:
// leading white space, an optional sign, digits up to the first other
// character; 0 when there are no digits. Values beyond the range of a long
// are clamped.
long ParseLong(std::u16string_view text);
// The leading decimal number of a text, as the C library reads a double.
double ParseDouble(std::u16string_view text);

}  // namespace terravue
