#include "core/export/Utf8Text.h"

namespace ostrilo {

std::size_t utf8SequenceLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // past U+10FFFF
  } else {
    return 0;
  }
  if (at + length > text.size() || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (byte(k) < 0x80 || byte(k) > 0xBF) return 0;
  }
  return length;
}

std::size_t firstNonUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = utf8SequenceLength(text, at);
    if (length == 0) return at;
    at += length;
  }
  return std::string_view::npos;
}

std::string toUtf8(std::string_view text, std::size_t maxCodePoints) {
  std::string out;
  out.reserve(text.size());
  std::size_t codePoints = 0;
  for (std::size_t at = 0; at < text.size() && codePoints < maxCodePoints; ++codePoints) {
    const std::size_t length = utf8SequenceLength(text, at);
    if (length == 0 || text[at] == '\0') {
      out += "\xEF\xBF\xBD";
      ++at;
    } else {
      out.append(text.substr(at, length));
      at += length;
    }
  }
  return out;
}

std::size_t utf8Length(std::string_view text) {
  std::size_t codePoints = 0;
  for (std::size_t at = 0; at < text.size(); ++codePoints) {
    const std::size_t length = utf8SequenceLength(text, at);
    at += length == 0 ? 1 : length;
  }
  return codePoints;
}

std::string latin1ToUtf8(std::string_view bytes) {
  std::string text;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text += c;
    } else {
      text += static_cast<char>(0xC0 | (byte >> 6));
      text += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return text;
}

}  // namespace ostrilo
