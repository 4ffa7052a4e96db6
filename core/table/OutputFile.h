#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace ostrilo {

// Writes bytes to the output that path names, the way a careful Unix tool does. Every output of
// the program (table files, CSV files, chart images) goes through here.
//
// - A new file is written to a temporary file in its folder, flushed and renamed into place, and
//   the folder is flushed: on failure nothing is there, after success the file survives a power
//   cut. Its mode is 0666 less the umask. The temporary file has no name until it is complete
//   (where the system allows), then ".ostrilo-save-XXXXXX".
// - An existing regular file is replaced only where it could be written: it is opened for
//   writing first and that refusal is the error. The new file keeps its mode and its owner and
//   group. Where the rename would lose any of that (more than one hard link, an owner or group
//   the process cannot give, a folder that refuses the rename), the file is rewritten in place,
//   after the whole new content was written and flushed elsewhere. A writable file in a folder
//   that refuses even the temporary file is rewritten in place straight away.
// - A device, FIFO or socket (or a link to one, such as /dev/stdout) is written straight into.
// - A symbolic link is followed and its destination saved, created when missing. In a sticky,
//   world-writable folder a link is followed only when it belongs to the user or to the
//   folder's owner; any other such link is refused.
// Throws ostrilo::Error naming path; a failed save leaves no temporary file behind and a
// replaced file as it was, except where it was written straight into (a device may have taken
// part of the bytes).
void writeOutputFile(const std::string& path, std::initializer_list<std::string_view> pieces);
// The pieces are written one after the other, so a caller need not join them first.
inline void writeOutputFile(const std::string& path, std::string_view bytes) {
  writeOutputFile(path, {bytes});
}

// True when both names lead to one existing regular file (links followed), as when an output
// names one of the inputs.
[[nodiscard]] bool isSameRegularFile(const std::string& a, const std::string& b);

}  // namespace ostrilo
