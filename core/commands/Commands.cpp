#include "core/commands/Commands.h"

#include <fstream>

#include "core/export/TableExports.h"
#include "core/table/ATRTable.h"
#include "core/table/OutputFile.h"
#include "core/table/TableFile.h"

namespace ostrilo {

bool FillFromCountFiles(ATRTable& table, std::span<const std::string> paths, FillMode mode,
                        const FileProgress& progress) {
  if (paths.empty()) return true;
  // Each file is all or nothing on its own; working on a copy makes the whole list so, and a
  // stop between two files needs no undo.
  ATRTable work = mode == FillMode::Add ? table : ATRTable();
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (progress && !progress(i + 1, paths.size())) return false;
    work.setInFile(paths[i]);
    if (i == 0 && mode == FillMode::Build) {
      static_cast<void>(work.BuildTable());  // it answers false on every path
    } else {
      static_cast<void>(work.AddToTable());
    }
  }
  // A Cancel while the last file was read still counts: ask once more before the table changes.
  if (progress && !progress(paths.size() + 1, paths.size())) return false;
  table = std::move(work);
  return true;
}

std::int64_t countFileLines(std::span<const std::string> paths) {
  std::int64_t lines = 0;
  for (const std::string& path : paths) {
    std::ifstream file(path, std::ios::binary);
    char block[64 * 1024];
    bool filled = false;  // the line so far holds more than blanks
    char previous = '\n';
    while (file.read(block, sizeof block) || file.gcount() > 0) {
      for (std::streamsize i = 0; i < file.gcount(); ++i) {
        const char c = block[i];
        // CR LF, a lone CR and LF all end a line; LF after CR ends none.
        if (c == '\r' || (c == '\n' && previous != '\r')) {
          lines += filled ? 1 : 0;
          filled = false;
        } else if (c != ' ' && c != '\n') {
          filled = true;
        }
        previous = c;
      }
    }
    lines += filled ? 1 : 0;
  }
  return lines;
}

void LoadTableFile(ATRTable& table, const std::string& path) { table.LoadFromFile(path); }

void SaveTableFile(const ATRTable& table, const std::string& path) { table.SaveToFile(path); }

}  // namespace ostrilo
