#include "gui/checks/frmCompleteness.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/export/CheckExports.h"
#include "gui/toolkit/CsvExport.h"
#include "gui/toolkit/TextFormats.h"

namespace ostrilo {

frmCompleteness::frmCompleteness(Toolkit& toolkit) : QWidget(nullptr), m_toolkit(toolkit) {
  setObjectName(QStringLiteral("frmCompleteness"));
  setWindowTitle(QStringLiteral("Completeness"));
  setAttribute(Qt::WA_DeleteOnClose);
  grdStations = new QTableWidget(this);
  grdStations->setObjectName(QStringLiteral("grdStations"));
  grdStations->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grdStations->setSortingEnabled(false);
  grdStations->verticalHeader()->hide();
  grdStations->verticalHeader()->setDefaultSectionSize(20);
  grdStations->setWordWrap(false);
  cmdExportCsv = new QPushButton(QStringLiteral("Export csv file"), this);
  cmdExportCsv->setObjectName(QStringLiteral("cmdExportCsv"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdExportCsv);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(grdStations, 1);
  layout->addLayout(buttons);
  connect(cmdExportCsv, &QPushButton::clicked, this, &frmCompleteness::exportCsv);
  resize(1100, 560);
}

void frmCompleteness::fill(std::vector<StationCompleteness> rows,
                           std::span<const std::string> stations,
                           std::shared_ptr<const StationRegister> names, WorkbookAbout about,
                           const QLocale& locale) {
  m_rows = std::move(rows);
  m_stations.assign(stations.begin(), stations.end());
  m_names = std::move(names);
  m_about = std::move(about);
  const ExportTable table = completenessExport(m_rows, m_stations, m_names.get()).table;
  grdStations->clear();
  grdStations->setColumnCount(static_cast<int>(table.columns.size()));
  grdStations->setRowCount(static_cast<int>(table.rowCount()));
  QStringList headers;
  for (const ExportColumn& column : table.columns) headers << fromCoreText(column.header);
  grdStations->setHorizontalHeaderLabels(headers);
  for (std::size_t r = 0; r < table.rowCount(); ++r) {
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
      const ExportColumn& column = table.columns[c];
      const ExportCell& cell = table.cell(r, c);
      QString text = fromCoreText(cellText(cell, column));
      if (column.kind == ColumnKind::Date && std::holds_alternative<double>(cell)) {
        text = dateEntryText(std::get<double>(cell), locale);
      } else if (column.kind == ColumnKind::Integer && std::holds_alternative<double>(cell)) {
        text = locale.toString(std::get<double>(cell), 'f', 0);
      }
      auto* item = new QTableWidgetItem(text);
      if (column.kind != ColumnKind::Text)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      grdStations->setItem(static_cast<int>(r), static_cast<int>(c), item);
    }
  }
  grdStations->resizeColumnsToContents();
}

void frmCompleteness::exportCsv() {
  if (const auto path =
          askExportPath(m_toolkit, this, QStringLiteral("Select the completeness *.csv file"),
                        QStringLiteral("completeness.csv"))) {
    saveExportAndReport(m_toolkit, this, *path,
                        completenessExport(m_rows, m_stations, m_names.get()), m_about);
  }
}

}  // namespace ostrilo
