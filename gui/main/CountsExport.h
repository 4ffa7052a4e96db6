#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "core/order/ListOrder.h"
#include "core/selection/PlotSelection.h"
#include "gui/toolkit/CsvExport.h"

class QWidget;

namespace ostrilo {

class ATRTable;
class CheckResults;
class Toolkit;

// The choice of an export's row order: the table's (what the command line writes), or the
// order the lists show.
inline const QStringList kRowOrderChoices = {QStringLiteral("In the table's order"),
                                             QStringLiteral("In the list's order")};

// What "Export Counts..." writes: a kind of file, its save-dialog filter and how it is made:
// an export of the picked stations and dates (make), or a file of the whole table that a
// writer of its own puts at a path (write). A further file format is one more entry in
// countsFileTypes().
struct CountsFileType {
  QString label;      // in the options dialog
  QString filter;     // "description|pattern" for the save dialog
  QString extension;  // without the dot
  // The export over the picked stations and dates; sorted: rows (and a matrix's date columns)
  // in that order, none for the table's.
  TableExport (*make)(const ATRTable& table, const PlotSelection& selection,
                      const StationRegister* names, const std::optional<RowOrder>& sorted);
  // Writes the whole table at path with its checks (the register gives what the format asks of
  // a station); throws Error naming the file or the station, leaving path as it was.
  void (*write)(const std::string& path, const ATRTable& table, const CheckResults& checks,
                const StationRegister* names) = nullptr;
};

[[nodiscard]] const std::vector<CountsFileType>& countsFileTypes();

// Asks the file type and the row order (which the whole-table types ignore), then the file
// (proposed from the first and last picked date, in the last export's folder), writes it and says
// how it went. checks are the table's as the main window shows them. listOrder is the order "In
// the list's order" stands for. The caller ran the selection check.
void exportCounts(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                  const CheckResults& checks, const PlotSelection& selection,
                  const ExportSources& sources, RowOrder listOrder);

}  // namespace ostrilo
