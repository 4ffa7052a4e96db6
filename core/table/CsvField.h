#pragma once

#include <string>
#include <string_view>

namespace ostrilo {

// A CSV field as RFC 4180 wants it: quoted, with inner quotes doubled, when it holds a comma,
// a double quote, a CR or an LF; otherwise the bytes unchanged.
[[nodiscard]] std::string csvField(std::string_view text);

}  // namespace ostrilo
