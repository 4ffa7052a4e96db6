#include "core/commands/Commands.h"

#include "core/export/TableExports.h"
#include "core/table/ATRTable.h"
#include "core/table/OutputFile.h"
#include "core/table/TableFile.h"

namespace ostrilo {

bool FillFromCountFiles(ATRTable& table, std::span<const std::string> paths, FillMode mode,
                        const FileProgress& progress, const FillOptions& options) {
  if (paths.empty()) return true;
  // Each file is all or nothing on its own; working on a copy makes the whole list so, and a
  // stop between two files needs no undo.
  ATRTable work = mode == FillMode::Add ? table : ATRTable();
  const bool sumLanesBefore = work.sumLanes();
  work.setSumLanes(options.sumLanes);
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
  work.setSumLanes(sumLanesBefore);
  table = std::move(work);
  return true;
}

void LoadTableFile(ATRTable& table, const std::string& path) { table.LoadFromFile(path); }

void SaveTableFile(const ATRTable& table, const std::string& path) { table.SaveToFile(path); }

}  // namespace ostrilo
