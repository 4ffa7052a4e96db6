#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ostrilo {

// The length of the UTF-8 sequence that starts at text[at], or 0 when none does there (overlong
// forms, surrogates and code points past U+10FFFF are none).
[[nodiscard]] std::size_t utf8SequenceLength(std::string_view text, std::size_t at);

// The offset of the first byte that starts no UTF-8 sequence, npos when the text is UTF-8.
[[nodiscard]] std::size_t firstNonUtf8(std::string_view text);

// The text as UTF-8 of at most maxCodePoints code points: every byte that starts no sequence
// and every NUL becomes U+FFFD, so that no byte is silently dropped.
[[nodiscard]] std::string toUtf8(std::string_view text, std::size_t maxCodePoints);

// The number of code points of UTF-8 text (a byte that starts no sequence counts as one).
[[nodiscard]] std::size_t utf8Length(std::string_view text);

// Station ids are the count files' bytes, one Latin-1 character each: the same id as UTF-8.
[[nodiscard]] std::string latin1ToUtf8(std::string_view bytes);

}  // namespace ostrilo
