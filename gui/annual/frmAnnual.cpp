#include "gui/annual/frmAnnual.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/analysis/TableAnalysis.h"
#include "core/export/TableExports.h"
#include "core/export/YearExports.h"
#include "core/register/StationRegister.h"
#include "core/selection/PlotSelection.h"
#include "gui/annual/AnnualViews.h"
#include "gui/annual/frmAnnualDetail.h"
#include "gui/annual/frmExpand.h"
#include "gui/annual/frmYearChart.h"
#include "gui/toolkit/CsvExport.h"
#include "gui/toolkit/SelectionLists.h"
#include "gui/toolkit/TextFormats.h"
#include "gui/toolkit/Toolkit.h"

namespace ostrilo {

namespace {

constexpr int kRowRole = Qt::UserRole + 2;  // on column 0: the row's index into rows()

enum Column {
  kStation,
  kYear,
  kValidDays,
  kAdt,
  kAadt,
  kCoverage,
  kK30,
  kV30,
  kK100,
  kAmHour,
  kAmVolume,
  kAmPct,
  kPmHour,
  kPmVolume,
  kPmPct,
  kName,  // shown only with a register, after the station
  kColumnCount
};

const char* const kHeadings[kColumnCount] = {
    "Station", "Year",    "Valid days", "ADT",  "AADT",    "Cells",     "K30 %", "V30",
    "K100 %",  "AM peak", "AM volume",  "AM %", "PM peak", "PM volume", "PM %",  "Name"};

const PeakWindows kPresets[] = {kNoonWindows, kCommuterWindows};

// The box's entry for the windows: a preset's, else "Custom".
int presetIndex(const PeakWindows& windows) {
  for (int i = 0; i < 2; ++i) {
    if (windows == kPresets[i]) return i;
  }
  return 2;
}

QString windowsText(const PeakWindows& w) {
  return QStringLiteral("%1-%2,%3-%4").arg(w.amBegin).arg(w.amEnd).arg(w.pmBegin).arg(w.pmEnd);
}

void setPeak(FigureItem& item, int column, const std::optional<WindowPeak>& peak,
             const QLocale& locale) {
  std::optional<double> hour, volume, share;
  if (peak) {
    hour = peak->ofAverageDay.hour;
    volume = peak->ofAverageDay.volume;
    share = peak->ofAverageDay.sharePct;
  }
  item.setFigure(column, hour,
                 hour ? QString::fromStdString(formatHour(peak->ofAverageDay.hour)) : QString());
  item.setFigure(column + 1, volume, vehiclesText(volume, locale));
  item.setFigure(column + 2, share, percentText(share, locale));
}

QString emptyCellsText(const StationYear& row) {
  QStringList cells;
  for (const auto& [month, dow] : row.emptyCells)
    cells << monthText(month - 1) + ' ' + dayText(dow);
  return cells.isEmpty() ? QString() : QStringLiteral("Empty: ") + cells.join(QStringLiteral(", "));
}

FigureItem* rowItem(const StationYear& row, std::size_t index, const QLocale& locale) {
  auto* item = new FigureItem;
  item->setText(kStation, stationText(row.station));
  item->setData(kStation, kRowRole, static_cast<qulonglong>(index));
  item->setFigure(kYear, row.year, QString::number(row.year));
  item->setFigure(kValidDays, row.validDays, locale.toString(row.validDays));
  item->setFigure(kAdt, row.adt, vehiclesText(row.adt, locale));
  item->setFigure(kAadt, row.aadt, vehiclesText(row.aadt, locale));
  item->setFigure(kCoverage, row.coveredCells,
                  QStringLiteral("%1/%2").arg(row.coveredCells).arg(kCells));
  item->setToolTip(kCoverage, emptyCellsText(row));
  item->setFigure(kK30, row.v30.kPct, percentText(row.v30.kPct, locale));
  std::optional<double> v30;
  if (row.v30.volume) v30 = *row.v30.volume;
  item->setFigure(kV30, v30, vehiclesText(v30, locale));
  item->setFigure(kK100, row.v100.kPct, percentText(row.v100.kPct, locale));
  setPeak(*item, kAmHour, row.weekday.am, locale);
  setPeak(*item, kPmHour, row.weekday.pm, locale);
  return item;
}

}  // namespace

frmAnnual::frmAnnual(Toolkit& toolkit, SharedCounts counts, std::vector<std::int32_t> stations)
    : QWidget(nullptr),
      m_toolkit(toolkit),
      m_counts(std::move(counts)),
      m_stations(std::move(stations)) {
  setObjectName(QStringLiteral("frmAnnual"));
  setWindowTitle(QStringLiteral("Annual Figures"));
  setAttribute(Qt::WA_DeleteOnClose);

  QHBoxLayout* controls = createControls();
  createLists();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(controls);
  layout->addWidget(LV);
  layout->addWidget(lstFigures);
  connectControls();

  offerViews();
  fill();
  int width = 0;
  for (int c = 0; c < kColumnCount; ++c) width += LV->columnWidth(c);
  // Tall enough for the rows, up to twenty of them.
  const int rowHeight = std::max(LV->sizeHintForRow(0), LV->fontMetrics().height() + 4);
  const int shownRows = std::clamp(static_cast<int>(m_rows.size()), 3, 20);
  resize(std::clamp(width + 40, 700, 1400), controls->sizeHint().height() +
                                                LV->header()->sizeHint().height() +
                                                shownRows * rowHeight + 2 * LV->frameWidth() + 40);
}

QHBoxLayout* frmAnnual::createControls() {
  cmbPeaks = new QComboBox;
  cmbPeaks->setObjectName(QStringLiteral("cmbPeaks"));
  cmbPeaks->addItems({QStringLiteral("Noon: 0-12, 12-24"), QStringLiteral("Commuter: 6-10, 15-19"),
                      QStringLiteral("Custom")});
  cmbPeaks->setCurrentIndex(presetIndex(m_windows));
  txtPeaks = new QLineEdit(windowsText(m_windows));
  txtPeaks->setObjectName(QStringLiteral("txtPeaks"));
  txtPeaks->setToolTip(QStringLiteral("Two windows of clock hours, AM and PM: A-B,C-D"));
  txtPeaks->setFixedWidth(txtPeaks->fontMetrics().horizontalAdvance(QStringLiteral("00-00,00-00")) +
                          20);
  cmdCopy = namedButton("Copy", "cmdCopy");
  cmdExport = namedButton("Export csv file", "cmdExport");
  cmdExpand = namedButton("Expand Short Counts...", "cmdExpand");
  cmdChart = namedButton("AADT by Year...", "cmdChart");
  cmdChart->setToolTip(QStringLiteral("The selected rows' stations, or every one"));
  cmdChart->hide();
  cmbView = new QComboBox;
  cmbView->setObjectName(QStringLiteral("cmbView"));

  auto* controls = new QHBoxLayout;
  controls->addWidget(cmbView);
  controls->addWidget(new QLabel(QStringLiteral("Peak hours of the average weekday in")));
  controls->addWidget(cmbPeaks);
  controls->addWidget(txtPeaks);
  controls->addStretch();
  for (QPushButton* button : {cmdCopy, cmdExport, cmdExpand, cmdChart}) controls->addWidget(button);
  return controls;
}

void frmAnnual::createLists() {
  LV = figureList("LV");
  LV->setColumnCount(kColumnCount);
  QStringList headings;
  for (const char* heading : kHeadings) headings << QString::fromLatin1(heading);
  LV->setHeaderLabels(headings);
  for (int c = kYear; c < kName; ++c) {
    LV->headerItem()->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
  }
  LV->header()->moveSection(kName, kStation + 1);
  LV->setColumnHidden(kName, true);
  LV->headerItem()->setToolTip(kCoverage,
                               QStringLiteral("Month x day-of-week cells with a valid day"));
  lstFigures = figureList("lstFigures");
  lstFigures->hide();
}

void frmAnnual::connectControls() {
  connect(cmbPeaks, &QComboBox::activated, this, &frmAnnual::peakChoiceChanged);
  connect(txtPeaks, &QLineEdit::editingFinished, this, &frmAnnual::customPeaksEntered);
  connect(cmdCopy, &QPushButton::clicked, this, &frmAnnual::copySelectedRows);
  connect(cmdExport, &QPushButton::clicked, this, &frmAnnual::askExport);
  connect(cmdExpand, &QPushButton::clicked, this, &frmAnnual::askExpand);
  connect(cmdChart, &QPushButton::clicked, this, &frmAnnual::openYearChart);
  connect(cmbView, &QComboBox::activated, this,
          [this](int index) { setView(static_cast<View>(cmbView->itemData(index).toInt())); });
  for (QTreeWidget* list : {LV, lstFigures}) {
    connect(new QShortcut(QKeySequence::Copy, list), &QShortcut::activated, this,
            &frmAnnual::copySelectedRows);
    connect(list->header(), &QHeaderView::sectionClicked, this, &frmAnnual::sortByColumn);
  }
  connect(LV, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
    openDetail(item->data(kStation, kRowRole).toULongLong());
  });
}

void frmAnnual::setWindows(const PeakWindows& windows) {
  m_windows = windows;
  txtPeaks->setText(windowsText(windows));
  cmbPeaks->setCurrentIndex(presetIndex(windows));
  fill();
}

void frmAnnual::peakChoiceChanged(int index) {
  if (index < 2) {
    setWindows(kPresets[index]);
  } else {
    txtPeaks->setFocus();
    txtPeaks->selectAll();
  }
}

void frmAnnual::customPeaksEntered() {
  const QString text = txtPeaks->text().simplified().remove(QLatin1Char(' '));
  if (text == windowsText(m_windows)) return;
  if (const auto windows = parsePeakWindows(text.toStdString())) {
    setWindows(*windows);
    return;
  }
  txtPeaks->setText(windowsText(m_windows));
  m_toolkit.showMessage(this,
                        QStringLiteral("\"%1\" is not two windows A-B,C-D of whole hours 0 to 24, "
                                       "each starting before it ends.")
                            .arg(text),
                        MessageIcon::Exclamation, kWarningTitle);
}

void frmAnnual::fill() {
  AnnualOptions options;
  options.stations = m_stations;
  options.windows = m_windows;
  options.excluded = m_counts->excluded();
  m_rows = ComputeAnnualFigures(m_counts->view(), options);

  const QLocale locale = displayLocale();
  LV->clear();
  QList<QTreeWidgetItem*> items;
  for (std::size_t i = 0; i < m_rows.size(); ++i) items << rowItem(m_rows[i], i, locale);
  LV->addTopLevelItems(items);
  if (m_sortColumn >= 0) LV->sortItems(m_sortColumn, m_sortOrder);
  for (int c = 0; c < kColumnCount; ++c) LV->resizeColumnToContents(c);
  showNames();
  fillView();
}

void frmAnnual::offerViews() {
  const QSignalBlocker blocker(cmbView);
  cmbView->clear();
  cmbView->addItem(QStringLiteral("Stations"), kStations);
  cmbView->addItem(QStringLiteral("Years of stations"), kStationYears);
  if (!m_roads.empty()) {
    cmbView->addItem(QStringLiteral("Roads"), kRoads);
    cmbView->addItem(QStringLiteral("Years of roads"), kRoadYears);
  }
  if (m_roads.empty() && (m_view == kRoads || m_view == kRoadYears)) m_view = kStations;
  cmbView->setCurrentIndex(cmbView->findData(m_view));
}

void frmAnnual::setView(View view) {
  if (m_roads.empty() && (view == kRoads || view == kRoadYears)) return;
  m_view = view;
  m_sortColumn = -1;
  cmbView->setCurrentIndex(cmbView->findData(view));
  fillView();
}

void frmAnnual::fillView() {
  LV->setVisible(m_view == kStations);
  lstFigures->setVisible(m_view != kStations);
  cmdExpand->setVisible(m_view == kStations);
  cmdChart->setVisible(m_view == kStationYears || m_view == kRoadYears);
  const QLocale locale = displayLocale();
  if (m_view == kRoads || m_view == kRoadYears) {
    m_roadRows = ComputeRoadFigures(m_counts->view(), m_roads,
                                    {std::nullopt, m_windows, m_counts->excluded()});
  }
  if (m_view == kRoads) fillRoadList(*lstFigures, m_roadRows, locale);
  if (m_view == kStationYears) m_trendRows = yearTrend(m_rows);
  if (m_view == kRoadYears) m_trendRows = yearTrend(m_roadRows);
  if (m_view == kStationYears || m_view == kRoadYears)
    fillTrendList(*lstFigures, m_trendRows, locale, m_view == kRoadYears);
}

QTreeWidget& frmAnnual::shownList() const { return m_view == kStations ? *LV : *lstFigures; }

frmYearChart* frmAnnual::openYearChart() {
  if (m_view != kStationYears && m_view != kRoadYears) return nullptr;
  const std::vector<std::string> picked = selectedTrendStations(*lstFigures, m_trendRows);
  QStringList labels;
  for (const std::string& id : picked) {
    labels << (m_view == kStationYears ? stationLabel(id, m_sources.names.get())
                                       : fromCoreText(id));
  }
  auto* chart = new frmYearChart;
  chart->fill(trendSeries(m_trendRows, picked), labels);
  chart->show();
  m_opened.append(chart);
  return chart;
}

void frmAnnual::sortByColumn(int column) {
  m_sortOrder = column == m_sortColumn && m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                            : Qt::AscendingOrder;
  m_sortColumn = column;
  shownList().header()->setSortIndicatorShown(true);
  shownList().sortItems(column, m_sortOrder);
}

void frmAnnual::copySelectedRows() const {
  QList<QTreeWidgetItem*> rows;
  // In the order shown, not the order clicked.
  const QTreeWidget& list = shownList();
  for (int r = 0; r < list.topLevelItemCount(); ++r) {
    if (list.topLevelItem(r)->isSelected()) rows << list.topLevelItem(r);
  }
  if (rows.isEmpty()) return;
  QApplication::clipboard()->setText(tabSeparatedText(list, rows));
}

void frmAnnual::askExport() {
  const char* const proposed[] = {"annual.csv", "trend.csv", "roads.csv", "trend-roads.csv"};
  const bool layer = m_view == kStations &&
                     anyPlaced(m_sources.names.get(), m_counts->view().stations, m_stations);
  if (const auto path =
          askAnnualExportPath(m_toolkit, this, QString::fromLatin1(proposed[m_view]), layer)) {
    exportTo(*path);
  }
}

void frmAnnual::setExportSources(ExportSources sources) {
  m_sources = std::move(sources);
  m_roads.clear();
  if (const StationRegister* names = m_sources.names.get()) {
    m_roads = roadsOfStations(*names, m_counts->view().stations, m_stations);
  }
  offerViews();
  showNames();
  fillView();
}

void frmAnnual::showNames() {
  const StationRegister* names = m_sources.names.get();
  LV->setColumnHidden(kName, names == nullptr || names->empty());
  if (names == nullptr) return;
  for (int r = 0; r < LV->topLevelItemCount(); ++r) {
    QTreeWidgetItem* item = LV->topLevelItem(r);
    const auto index = item->data(kStation, kRowRole).toULongLong();
    if (index < m_rows.size())
      setNameText(*item, kName, fromCoreText(std::string(names->name(m_rows[index].station))));
  }
  fitNameColumn(*LV, kName);
}

void frmAnnual::exportTo(const QString& path) {
  const StationRegister* names = m_sources.names.get();
  if (path.endsWith(QStringLiteral(".geojson"), Qt::CaseInsensitive)) {
    // A table of another view under that name would pass for a map until a GIS reads it.
    if (m_view != kStations || names == nullptr) {
      const char* why = names == nullptr ? "needs a station register with coordinates"
                                         : "maps the station rows: show the Stations view";
      m_toolkit.showMessage(this, QStringLiteral("A GeoJSON layer %1.").arg(QLatin1String(why)),
                            MessageIcon::Exclamation, kWarningTitle);
      return;
    }
    saveGeoJsonAndReport(m_toolkit, this, path, m_rows, *names);
    return;
  }
  WorkbookAbout about =
      aboutStations(m_counts->table(), m_stations, std::nullopt, m_sources.files, names);
  const TableExport table = m_view == kStations ? annualExport(m_rows, names)
                            : m_view == kRoads  ? roadsExport(m_roadRows)
                                                : trendExport(m_trendRows);
  saveExportAndReport(m_toolkit, this, path, table, std::move(about));
}

frmAnnualDetail* frmAnnual::openDetail(std::size_t index) {
  if (index >= m_rows.size()) return nullptr;
  auto* detail = new frmAnnualDetail;
  detail->fill(m_rows[index], m_windows, displayLocale());
  detail->show();
  m_opened.append(detail);
  return detail;
}

void frmAnnual::preferRegisterGroup(std::vector<std::int32_t>& group,
                                    const std::vector<std::int32_t>& expanded) const {
  const StationRegister* names = m_sources.names.get();
  if (names == nullptr || !names->hasColumn("group")) return;
  const CountView view = m_counts->view();
  const auto stations = view.stations;
  const auto groupOf = [&](std::int32_t station) -> std::string {
    const StationEntry* entry = names->find(stations[static_cast<std::size_t>(station)]);
    return entry != nullptr ? entry->group : std::string();
  };
  std::vector<std::string> wanted;
  for (const std::int32_t station : expanded) {
    if (std::string g = groupOf(station); !g.empty()) wanted.push_back(std::move(g));
  }
  std::vector<std::int32_t> members;
  for (const std::int32_t station : group) {
    if (std::find(wanted.begin(), wanted.end(), groupOf(station)) != wanted.end()) {
      members.push_back(station);
    }
  }
  // A register group without a station that has an AADT would leave nothing to pick.
  if (!members.empty()) group = std::move(members);
}

void frmAnnual::askExpand() {
  // The stations with an AADT give factors; the others are likely the short counts.
  std::vector<std::int32_t> group;
  std::vector<std::int32_t> expanded;
  for (const std::int32_t station : m_stations) {
    const bool hasAadt = std::any_of(m_rows.begin(), m_rows.end(), [station](const auto& row) {
      return row.stationIndex == station && row.aadt.has_value();
    });
    (hasAadt ? group : expanded).push_back(station);
  }
  preferRegisterGroup(group, expanded);
  auto* pick =
      new frmExpandPick(m_counts->view().stations, group, expanded, this, m_sources.names.get());
  connect(pick, &QDialog::accepted, this, [this, pick] {
    if (!pick->byRegisterGroups()) {
      openExpand(pick->groupStations(), pick->expandedStations());
      return;
    }
    auto* window = new frmExpand(m_toolkit);
    window->setExportSources(m_sources);
    window->fillByGroups(m_counts, groupsFromRegister(*m_sources.names, m_counts->view().stations),
                         pick->expandedStations(), displayLocale());
    window->show();
    m_opened.append(window);
  });
  pick->open();
}

frmExpand* frmAnnual::openExpand(const std::vector<std::int32_t>& group,
                                 const std::vector<std::int32_t>& expanded) {
  auto* window = new frmExpand(m_toolkit);
  window->setExportSources(m_sources);
  window->fill(m_counts, group, expanded, displayLocale());
  window->show();
  m_opened.append(window);
  return window;
}

void frmAnnual::closeEvent(QCloseEvent* event) {
  for (const QPointer<QWidget>& window : m_opened) {
    if (window) window->close();
  }
  QWidget::closeEvent(event);
}

frmAnnual* ShowAnnualFigures(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                             TableAnalysis& analysis, const PlotSelection& selection,
                             ExportSources sources) {
  PlotSelection everyDate = selection;
  everyDate.dates.selected.assign(static_cast<std::size_t>(table.DateCount()), true);
  if (!checkSelectionOrWarn(toolkit, parent, everyDate)) return nullptr;
  std::vector<std::int32_t> stations;
  for (const auto station : selection.stations.picked()) stations.push_back(station);
  auto* window = new frmAnnual(
      toolkit, std::make_shared<const AnnualCounts>(table, analysis.excludedDays(table)),
      std::move(stations));
  window->setExportSources(std::move(sources));
  window->show();
  return window;
}

}  // namespace ostrilo
