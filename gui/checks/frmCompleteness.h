#pragma once

#include <QLocale>
#include <QWidget>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/checks/Completeness.h"
#include "core/export/WorkbookWriter.h"

class QPushButton;
class QTableWidget;

namespace ostrilo {

class StationRegister;
class Toolkit;

// The completeness of the picked stations: one row per station (days, complete days and their
// share, incomplete and faulty days, the longest gap, the last complete day), then the complete
// days of every month. Exports as `check --completeness` writes it, or as a workbook with the
// months. Deletes itself when closed.
class frmCompleteness : public QWidget {
  Q_OBJECT

 public:
  explicit frmCompleteness(Toolkit& toolkit);

  void fill(std::vector<StationCompleteness> rows, std::span<const std::string> stations,
            std::shared_ptr<const StationRegister> names, WorkbookAbout about,
            const QLocale& locale);
  void exportCsv();

  QTableWidget* grdStations = nullptr;
  QPushButton* cmdExportCsv = nullptr;

 private:
  Toolkit& m_toolkit;
  std::vector<StationCompleteness> m_rows;
  std::vector<std::string> m_stations;
  std::shared_ptr<const StationRegister> m_names;
  WorkbookAbout m_about;
};

}  // namespace ostrilo
