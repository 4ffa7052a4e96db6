#include "gui/main/CountsExport.h"

#include <algorithm>
#include <exception>
#include <functional>

#include "core/export/SqliteExport.h"
#include "core/export/TableExports.h"
#include "core/export/TmgVolumeWriter.h"
#include "core/table/ATRTable.h"
#include "core/table/Error.h"
#include "gui/toolkit/RecentFolders.h"
#include "gui/toolkit/TextFormats.h"
#include "gui/toolkit/Toolkit.h"

namespace ostrilo {

namespace {

TableExport hourly(const ATRTable& table, const PlotSelection& selection,
                   const StationRegister* names, const std::optional<RowOrder>& sorted) {
  TableExport out = hourlyExport(table, selection, names);
  if (sorted) sortExportRows(out.table, *sorted);
  return out;
}

TableExport daily(const ATRTable& table, const PlotSelection& selection,
                  const StationRegister* names, const std::optional<RowOrder>& sorted) {
  TableExport out =
      dailyMatrixExport(table, selection, names, sorted && *sorted != RowOrder::Table);
  if (sorted) sortExportRows(out.table, *sorted);
  return out;
}

template <TmgFormat format>
void tmgFile(const std::string& path, const ATRTable& table, const CheckResults& checks,
             const StationRegister* names) {
  if (names == nullptr) {
    throw Error(ErrorKind::Conversion,
                path +
                    ": a TMG volume file needs the station register's state, fclass, "
                    "tmg_station and direction columns; load a register with \"Stations...\"");
  }
  writeTmgVolumeFile(path, table, checks, *names, format);
}

void sqliteFile(const std::string& path, const ATRTable& table, const CheckResults& checks,
                const StationRegister* names) {
  writeSqliteDatabase(path, table, checks, names, kDefaultPeakWindows);
}

const QString kTmgFilter = QStringLiteral("TMG volume files|*.vol");
const QString kCsvFilter = QStringLiteral("*.csv files|*.csv");
const QString kBookFilter = QStringLiteral("Excel workbook (*.xlsx)|*.xlsx");

// The first and last picked date, as a file name: "counts_20230101-20231231".
QString baseName(const ATRTable& table, const PlotSelection& selection) {
  const std::vector<std::int32_t> dates = selection.dates.picked();
  if (dates.empty()) return QStringLiteral("counts");
  const auto key = [&table](std::int32_t d) { return linearDays(table.DatebyIndex(d)); };
  const auto [first, last] = std::minmax_element(
      dates.begin(), dates.end(), [&](std::int32_t a, std::int32_t b) { return key(a) < key(b); });
  const auto compact = [&table](std::int32_t d) {
    return QString::fromStdString(isoDate(table.DatebyIndex(d))).remove(u'-');
  };
  return QStringLiteral("counts_%1-%2").arg(compact(*first), compact(*last));
}

// Writes as saveExportAndReport does, and says how it went the same way.
void writeWholeTable(Toolkit& toolkit, QWidget* parent, const QString& path,
                     const std::function<void(const std::string&)>& write) {
  try {
    write(toFsPath(path));
  } catch (const std::exception& e) {
    toolkit.showMessage(parent, fromCoreText(e.what()), MessageIcon::Exclamation, kWarningTitle);
    return;
  }
  rememberFolder(FileKind::Export, path);
  toolkit.showMessage(parent, QStringLiteral("Done."), MessageIcon::Information, kAppTitle);
}

}  // namespace

const std::vector<CountsFileType>& countsFileTypes() {
  static const std::vector<CountsFileType> types = {
      {QStringLiteral("Hourly table, CSV"), kCsvFilter, QStringLiteral("csv"), &hourly},
      {QStringLiteral("Hourly table, Excel workbook"), kBookFilter, QStringLiteral("xlsx"),
       &hourly},
      {QStringLiteral("Daily totals, station x date, CSV"), kCsvFilter, QStringLiteral("csv"),
       &daily},
      {QStringLiteral("Daily totals, station x date, Excel workbook"), kBookFilter,
       QStringLiteral("xlsx"), &daily},
      {QStringLiteral("TMG volume file (2013, 143 columns), whole table"), kTmgFilter,
       QStringLiteral("vol"), nullptr, &tmgFile<TmgFormat::Tmg2013>},
      {QStringLiteral("TMG volume file (2001, 141 columns), whole table"), kTmgFilter,
       QStringLiteral("vol"), nullptr, &tmgFile<TmgFormat::Tmg2001>},
      {QStringLiteral("TMG volume file (pipe-delimited), whole table"), kTmgFilter,
       QStringLiteral("vol"), nullptr, &tmgFile<TmgFormat::Pipe>},
      {QStringLiteral("SQLite database, whole table"), QStringLiteral("SQLite databases|*.db"),
       QStringLiteral("db"), nullptr, &sqliteFile},
  };
  return types;
}

void exportCounts(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                  const CheckResults& checks, const PlotSelection& selection,
                  const ExportSources& sources, RowOrder listOrder) {
  const std::vector<CountsFileType>& types = countsFileTypes();
  QStringList labels;
  for (const CountsFileType& type : types) labels << type.label;
  std::vector<Choice> choices = {{QStringLiteral("File"), labels, 0},
                                 {QStringLiteral("Rows"), kRowOrderChoices, 0}};
  if (!toolkit.askChoices(parent, QStringLiteral("Export Counts"), choices)) return;
  const CountsFileType& type =
      types[static_cast<std::size_t>(std::clamp<int>(choices[0].chosen, 0, int(types.size()) - 1))];
  const FileDialogSettings settings{
      QStringLiteral("Select the counts file"),
      QStringLiteral("All files (*.*)|*.*|") + type.filter,
      2,
      type.extension,
      DialogFlag::kPathMustExist | DialogFlag::kHideReadOnly | DialogFlag::kNoReadOnlyReturn |
          DialogFlag::kOverwritePrompt,
      inLastFolder(FileKind::Export, baseName(table, selection) + u'.' + type.extension)};
  const auto path = toolkit.saveFileName(parent, settings);
  if (!path) return;
  if (type.write != nullptr) {
    writeWholeTable(toolkit, parent, *path, [&](const std::string& fsPath) {
      type.write(fsPath, table, checks, sources.names.get());
    });
    return;
  }
  const std::optional<RowOrder> sorted =
      choices[1].chosen != 0 ? std::optional(listOrder) : std::nullopt;
  saveExportAndReport(toolkit, parent, *path,
                      type.make(table, selection, sources.names.get(), sorted),
                      aboutSelection(table, selection, sources.files, sources.names.get()));
}

}  // namespace ostrilo
