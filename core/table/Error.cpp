#include "core/table/Error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace ostrilo {

Error::Error(ErrorKind kind, const std::string& description, int systemErrno)
    : std::runtime_error(description), m_kind(kind), m_systemErrno(systemErrno) {}

Error systemError(int err, const std::string& action, const std::string& path) {
  ErrorKind kind = ErrorKind::Io;
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      kind = ErrorKind::FileNotFound;
      break;
    case EACCES:
    case EPERM:
    case EROFS:
      kind = ErrorKind::AccessDenied;
      break;
    default:
      break;
  }
  return Error(kind, action + " \"" + path + "\": " + std::strerror(err), err);
}

std::string quoteForMessage(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte >= 0x7f) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", byte);
      out += buf;
    } else {
      out += c;
    }
  }
  out += '"';
  return out;
}

}  // namespace ostrilo
