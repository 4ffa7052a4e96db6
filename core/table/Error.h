#pragma once

#include <stdexcept>
#include <string>

namespace ostrilo {

// What went wrong, independent of the text shown to the user. The numbers are those that the
// error reports carry, so a user quoting "error 6" is understood.
enum class ErrorKind {
  Overflow = 6,        // a result outside its integer type
  OutOfMemory = 7,     // a table larger than the memory there is
  OutOfRange = 9,      // an index or record the table does not hold
  Conversion = 13,     // text that is not a number, a date or a digit
  FileNotFound = 53,   // ENOENT and ENOTDIR
  Io = 57,             // any other system failure while reading or writing
  AccessDenied = 70,   // EACCES, EPERM, EROFS
  BadTableFile = 321,  // a table file that does not hold the three records
  Usage = 449,         // a command line or a selection that names nothing we hold
};

// Every failure in the core travels as this exception. description() is complete and meant for
// the user: it names the file, the line and the field where those are known.
class Error : public std::runtime_error {
 public:
  Error(ErrorKind kind, const std::string& description, int systemErrno = 0);

  [[nodiscard]] ErrorKind kind() const noexcept { return m_kind; }
  [[nodiscard]] int number() const noexcept { return static_cast<int>(m_kind); }
  [[nodiscard]] std::string description() const { return what(); }
  // The errno behind a file error, 0 for every other kind.
  [[nodiscard]] int systemErrno() const noexcept { return m_systemErrno; }

 private:
  ErrorKind m_kind;
  int m_systemErrno;
};

// A file error for the given errno: the kind follows from the errno, the description is
// "<action> "<path>": <strerror text>", the path escaped as escapeName does.
[[nodiscard]] Error systemError(int err, const std::string& action, const std::string& path);

// Shows bytes from a file inside a message: printable ASCII as it is, everything else as an
// escape (\t, \r, \xNN), within double quotes.
[[nodiscard]] std::string quoteForMessage(std::string_view text);

// A file or station name made safe to show in a message: valid UTF-8 stays as it is, while
// control characters (C0, DEL, C1, the bidirectional overrides), bytes that are not UTF-8 and the
// backslash become the escapes of quoteForMessage (\t, \r, \n, \\, \xNN, \u{NNNN}). Nothing
// in the result can move a terminal's cursor or reorder the text around it.
[[nodiscard]] std::string escapeName(std::string_view name);

}  // namespace ostrilo
