#include "gui/annual/frmExpand.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <map>

#include "core/export/TableExports.h"
#include "gui/toolkit/CsvExport.h"
#include "gui/toolkit/TextFormats.h"
#include "gui/toolkit/Toolkit.h"

namespace ostrilo {

namespace {

QListWidget* stationList(std::span<const std::string> stations,
                         const std::vector<std::int32_t>& picked) {
  auto* list = new QListWidget;
  list->setSelectionMode(QAbstractItemView::MultiSelection);
  for (const std::string& name : stations) list->addItem(stationText(name));
  for (const std::int32_t s : picked) list->item(s)->setSelected(true);
  return list;
}

std::vector<std::int32_t> pickedRows(const QListWidget& list) {
  std::vector<std::int32_t> rows;
  for (int r = 0; r < list.count(); ++r) {
    if (list.item(r)->isSelected()) rows.push_back(r);
  }
  return rows;
}

QString namesText(const std::vector<std::string>& names) {
  QStringList texts;
  for (const std::string& name : names) texts << stationText(name);
  return texts.isEmpty() ? QStringLiteral("none") : texts.join(QStringLiteral(", "));
}

enum Column { kStation, kYear, kDays, kEstimate, kDaysUsed, kColumnCount };

}  // namespace

frmExpandPick::frmExpandPick(std::span<const std::string> stations,
                             const std::vector<std::int32_t>& group,
                             const std::vector<std::int32_t>& expanded, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("frmExpandPick"));
  setWindowTitle(QStringLiteral("Expand Short Counts"));
  setAttribute(Qt::WA_DeleteOnClose);
  lstGroup = stationList(stations, group);
  lstGroup->setObjectName(QStringLiteral("lstGroup"));
  lstExpand = stationList(stations, expanded);
  lstExpand->setObjectName(QStringLiteral("lstExpand"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  cmdOK = buttons->button(QDialogButtonBox::Ok);

  auto* layout = new QGridLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Factor stations (the group)")), 0, 0);
  layout->addWidget(new QLabel(QStringLiteral("Stations to expand")), 0, 1);
  layout->addWidget(lstGroup, 1, 0);
  layout->addWidget(lstExpand, 1, 1);
  layout->addWidget(buttons, 2, 0, 1, 2);

  auto update = [this] {
    cmdOK->setEnabled(lstGroup->selectionModel()->hasSelection() &&
                      lstExpand->selectionModel()->hasSelection());
  };
  connect(lstGroup, &QListWidget::itemSelectionChanged, this, update);
  connect(lstExpand, &QListWidget::itemSelectionChanged, this, update);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  update();
}

std::vector<std::int32_t> frmExpandPick::groupStations() const { return pickedRows(*lstGroup); }
std::vector<std::int32_t> frmExpandPick::expandedStations() const { return pickedRows(*lstExpand); }

frmExpand::frmExpand(Toolkit& toolkit) : QWidget(nullptr), m_toolkit(toolkit) {
  setObjectName(QStringLiteral("frmExpand"));
  setWindowTitle(QStringLiteral("Short Count Estimates"));
  setAttribute(Qt::WA_DeleteOnClose);

  lblGroup = new QLabel;
  lblGroup->setObjectName(QStringLiteral("lblGroup"));
  lblGroup->setWordWrap(true);
  LV = new QTreeWidget;
  LV->setObjectName(QStringLiteral("LV"));
  LV->setRootIsDecorated(false);
  LV->setUniformRowHeights(true);
  LV->setAlternatingRowColors(true);
  LV->setHeaderLabels({QStringLiteral("Station"), QStringLiteral("Year"), QStringLiteral("Days"),
                       QStringLiteral("Est. AADT"), QStringLiteral("Days used")});
  for (int c : {kYear, kDays, kEstimate}) {
    LV->headerItem()->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
  }
  cmbYear = new QComboBox;
  cmbYear->setObjectName(QStringLiteral("cmbYear"));
  grdFactors = new QTableWidget(kMonths, kDaysOfWeek);
  grdFactors->setObjectName(QStringLiteral("grdFactors"));
  grdFactors->setEditTriggers(QAbstractItemView::NoEditTriggers);
  QStringList days, months;
  for (int k = 0; k < kDaysOfWeek; ++k) days << dayText(k);
  for (int m = 0; m < kMonths; ++m) months << monthText(m);
  grdFactors->setHorizontalHeaderLabels(days);
  grdFactors->setVerticalHeaderLabels(months);
  cmdExport = new QPushButton(QStringLiteral("Export csv file"));
  cmdExport->setObjectName(QStringLiteral("cmdExport"));

  auto* groupRow = new QHBoxLayout;
  groupRow->addWidget(
      new QLabel(QStringLiteral("Group factor F by month and day of week (n, CV) in")));
  groupRow->addWidget(cmbYear);
  groupRow->addStretch();
  groupRow->addWidget(cmdExport);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(LV, 1);
  layout->addWidget(lblGroup);
  layout->addLayout(groupRow);
  layout->addWidget(grdFactors, 2);

  connect(cmbYear, &QComboBox::currentIndexChanged, this, &frmExpand::showGroup);
  connect(cmdExport, &QPushButton::clicked, this, &frmExpand::askExport);
}

void frmExpand::fill(const SharedSnapshot& counts, const std::vector<std::int32_t>& group,
                     const std::vector<std::int32_t>& expanded, const QLocale& locale) {
  m_locale = locale;
  m_counts = counts;
  m_stations = group;
  m_stations.insert(m_stations.end(), expanded.begin(), expanded.end());
  AnnualOptions options;
  options.stations = group;
  options.excluded = counts->excluded();
  std::map<int, std::vector<StationYear>> byYear;
  if (!group.empty()) {
    for (StationYear& row : ComputeAnnualFigures(counts->view(), options)) {
      byYear[row.year].push_back(std::move(row));
    }
  }
  m_groups.clear();
  for (const auto& [year, rows] : byYear) m_groups.push_back(CombineFactors(rows, year));
  m_estimates = ExpandShortCounts(counts->view(), expanded, m_groups, counts->excluded());

  LV->clear();
  for (const ShortCountEstimate& estimate : m_estimates) {
    auto* item = new QTreeWidgetItem(LV);
    item->setText(kStation, stationText(estimate.station));
    item->setText(kYear, QString::number(estimate.year));
    item->setText(kDays, locale.toString(static_cast<qlonglong>(estimate.daysUsed.size())));
    item->setText(kEstimate, vehiclesText(estimate.aadt, locale));
    QStringList dates;
    for (const DateNumber date : estimate.daysUsed) dates << QString::fromStdString(isoDate(date));
    item->setText(kDaysUsed, dates.join(QLatin1Char(' ')));
    item->setToolTip(kDaysUsed, dates.join(QLatin1Char('\n')));
    for (int c : {kYear, kDays, kEstimate}) item->setTextAlignment(c, Qt::AlignRight);
  }
  for (int c = 0; c < kDaysUsed; ++c) LV->resizeColumnToContents(c);

  QStringList lines;
  for (const FactorGroup& g : m_groups) {
    lines << QStringLiteral("%1: factors of %2; left out (no AADT): %3")
                 .arg(g.year)
                 .arg(namesText(g.members), namesText(g.leftOut));
  }
  lblGroup->setText(lines.isEmpty() ? QStringLiteral("No factor station has a counted day.")
                                    : lines.join(QLatin1Char('\n')));
  const QSignalBlocker blocker(cmbYear);
  cmbYear->clear();
  for (const FactorGroup& g : m_groups) cmbYear->addItem(QString::number(g.year));
  cmbYear->setEnabled(m_groups.size() > 1);
  showGroup(0);
  resize(760, 720);
}

void frmExpand::showGroup(int index) {
  grdFactors->clearContents();
  if (index < 0 || static_cast<std::size_t>(index) >= m_groups.size()) return;
  const FactorGroup& group = m_groups[static_cast<std::size_t>(index)];
  for (int m = 0; m < kMonths; ++m) {
    for (int k = 0; k < kDaysOfWeek; ++k) {
      const GroupFactor& f = group.cells[m][k];
      const QString cv =
          f.cv ? percentText(*f.cv * 100, m_locale) + QStringLiteral(" %") : naText();
      auto* item = new QTableWidgetItem(
          QStringLiteral("%1\nn %2, CV %3").arg(factorText(f.mean, m_locale)).arg(f.n).arg(cv));
      item->setTextAlignment(Qt::AlignCenter);
      if (f.n == 0) item->setBackground(QColor(255, 210, 210));
      grdFactors->setItem(m, k, item);
    }
  }
  grdFactors->resizeColumnsToContents();
  grdFactors->resizeRowsToContents();
}

void frmExpand::askExport() {
  if (const auto path = askExportPath(m_toolkit, this,
                                      QStringLiteral("Select the short-count estimates *.csv file"),
                                      QStringLiteral("expand.csv"))) {
    exportTo(*path);
  }
}

void frmExpand::exportTo(const QString& path) {
  const StationRegister* names = m_sources.names.get();
  WorkbookAbout about;
  if (m_counts) {
    about = aboutStations(m_counts->table(), m_stations, std::nullopt, m_sources.files, names);
  }
  saveExportAndReport(m_toolkit, this, path, expandExport(m_estimates, names), std::move(about));
}

}  // namespace ostrilo
