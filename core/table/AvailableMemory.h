#pragma once

#include <cstdint>
#include <string>

namespace ostrilo {

// The bytes this process may still allocate and really get: the smallest of the memory the
// system has available (MemAvailable), what is left under the address-space and data limits
// (getrlimit) and what is left under the memory limits of its cgroup and the cgroups above.
// Negative when none of them can be read.
[[nodiscard]] std::int64_t availableMemoryBytes();

// A size for a person: "512 bytes", "48.2 MB", "22.4 GB" (powers of 1000).
[[nodiscard]] std::string memorySizeText(double bytes);

}  // namespace ostrilo
