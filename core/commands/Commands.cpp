#include "core/commands/Commands.h"

#include "core/table/ATRTable.h"
#include "core/table/OutputFile.h"
#include "core/table/TableFile.h"

namespace ostrilo {

void BuildFromCountFile(ATRTable& table, const std::string& path) {
  table.setInFile(path);
  static_cast<void>(table.BuildTable());  // it answers false on every path
}

void AddCountFile(ATRTable& table, const std::string& path) {
  table.setInFile(path);
  static_cast<void>(table.AddToTable());
}

void LoadTableFile(ATRTable& table, const std::string& path) { table.LoadFromFile(path); }

void SaveTableFile(const ATRTable& table, const std::string& path) { table.SaveToFile(path); }

void ExportStationStats(const StatResults& rows, const std::string& path) {
  // The text is complete before the file is touched, so a failure never leaves half a CSV.
  writeOutputFile(path, BuildStatsCsvText(rows));
}

}  // namespace ostrilo
