#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "core/stats/StationStats.h"

namespace ostrilo {

class ATRTable;

// The main window's commands once the user has answered: plain paths in the file system's
// encoding, no dialogs. Each throws ostrilo::Error naming the file and leaves the table (and
// the files) as they were when it fails.

enum class FillMode { Build, Add };

// Called before each count file with its number (1 for the first) and the number of files, and
// once more with fileCount + 1 when all are read, before the table changes; answering false
// stops the work there.
using FileProgress = std::function<bool(std::size_t fileNumber, std::size_t fileCount)>;

// Build replaces the table with the first count file's records and adds the others; Add adds
// them all; in the order given. All or nothing over the whole list: when a file fails, or the
// progress asks to stop, the table stays exactly as it was. Answers false when stopped. An empty
// list changes nothing.
[[nodiscard]] bool FillFromCountFiles(ATRTable& table, std::span<const std::string> paths,
                                      FillMode mode, const FileProgress& progress = {});

// The lines of the count files that are not blank (the half-day lines a fill reads), for
// telling the user what was read. A file that cannot be read counts as none.
[[nodiscard]] std::int64_t countFileLines(std::span<const std::string> paths);

void LoadTableFile(ATRTable& table, const std::string& path);
void SaveTableFile(const ATRTable& table, const std::string& path);

}  // namespace ostrilo
