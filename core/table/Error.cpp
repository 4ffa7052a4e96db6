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
  return Error(kind, action + " \"" + escapeName(path) + "\": " + std::strerror(err), err);
}

namespace {

void appendByteEscape(std::string& out, unsigned char byte) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\x%02X", byte);
  out += buf;
}

// The escapes both message forms share: the usual letters for tab, CR and LF, the backslash (and
// the double quote where the text is quoted) doubled, other ASCII controls as \xNN. False for any
// other byte, which the caller writes its own way.
bool appendControlEscape(std::string& out, char c, bool quoted) {
  const auto byte = static_cast<unsigned char>(c);
  if (c == '\t') {
    out += "\\t";
  } else if (c == '\r') {
    out += "\\r";
  } else if (c == '\n') {
    out += "\\n";
  } else if (c == '\\' || (quoted && c == '"')) {
    out += '\\';
    out += c;
  } else if (byte < 0x20 || byte == 0x7F) {
    appendByteEscape(out, byte);
  } else {
    return false;
  }
  return true;
}

// The length of the well-formed UTF-8 sequence at the start of text and its code point, or 0
// when the bytes there are not one (overlong forms and surrogates included).
std::size_t utf8Sequence(std::string_view text, char32_t& codePoint) {
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = 0;
  char32_t min = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    codePoint = lead & 0x1F;
    min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    codePoint = lead & 0x0F;
    min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    codePoint = lead & 0x07;
    min = 0x10000;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0) != 0x80) return 0;
    codePoint = codePoint << 6 | (next & 0x3F);
  }
  const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
  return codePoint < min || codePoint > 0x10FFFF || surrogate ? 0 : length;
}

// C1 controls and the characters that reorder the text displayed around them.
bool isHiddenControl(char32_t c) {
  return c <= 0x9F || (c >= 0x200E && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

std::string quoteForMessage(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (appendControlEscape(out, c, true)) continue;
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80) {
      appendByteEscape(out, byte);
    } else {
      out += c;
    }
  }
  out += '"';
  return out;
}

std::string escapeName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  while (!name.empty()) {
    const char c = name[0];
    const auto byte = static_cast<unsigned char>(c);
    std::size_t taken = 1;
    char32_t codePoint = 0;
    if (appendControlEscape(out, c, false)) {
      // a control character, written escaped
    } else if (byte < 0x80) {
      out += c;
    } else if ((taken = utf8Sequence(name, codePoint)) == 0) {
      taken = 1;
      appendByteEscape(out, byte);
    } else if (isHiddenControl(codePoint)) {
      char buf[16];
      std::snprintf(buf, sizeof buf, "\\u{%04X}", static_cast<unsigned>(codePoint));
      out += buf;
    } else {
      out.append(name.substr(0, taken));
    }
    name.remove_prefix(taken);
  }
  return out;
}

}  // namespace ostrilo
