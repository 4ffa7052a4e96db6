#pragma once

#include <string>

#include "core/stats/StationStats.h"

namespace ostrilo {

class ATRTable;

// The main window's commands once the user has answered: plain paths in the file system's
// encoding, no dialogs. Each throws ostrilo::Error naming the file and leaves the table (and
// the files) as they were when it fails.

// Replaces the table with the count file's records, or adds them to it.
void BuildFromCountFile(ATRTable& table, const std::string& path);
void AddCountFile(ATRTable& table, const std::string& path);

void LoadTableFile(ATRTable& table, const std::string& path);
void SaveTableFile(const ATRTable& table, const std::string& path);

// Replaces the file with the statistics as CSV in one step; no rows writes the header only.
void ExportStationStats(const StatResults& rows, const std::string& path);

}  // namespace ostrilo
