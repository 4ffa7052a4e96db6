#pragma once

#include <cstdint>
#include <string>

namespace ostrilo {

// The bytes this process may still allocate and really get: the smallest of the memory the
// system has available (MemAvailable), what is left under the address-space and data limits
// (getrlimit) and what is left under the memory limits of its cgroup and the cgroups above.
// Negative when none of them can be read.
[[nodiscard]] std::int64_t availableMemoryBytes();
// The same for a check of whether needs bytes can be had, asked often as a table grows. The
// process's own limits are read every time; the system's and the cgroups' figures, which cost
// a few files under /proc and /sys, are reused for 100 ms while needs stays within half of
// them. Near the limit every check reads them afresh.
[[nodiscard]] std::int64_t availableMemoryFor(double needs);

// A size for a person: "512 bytes", "48.2 MB", "22.4 GB" (powers of 1000).
[[nodiscard]] std::string memorySizeText(double bytes);

}  // namespace ostrilo
