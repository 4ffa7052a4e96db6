#include "gui/checks/frmDataChecks.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <utility>

#include "core/export/TableExports.h"
#include "core/register/StationRegister.h"
#include "core/selection/PlotSelection.h"
#include "gui/toolkit/CsvExport.h"
#include "gui/toolkit/TextFormats.h"
#include "gui/toolkit/Toolkit.h"

namespace ostrilo {

namespace {

// The name column shows only with a register, after the station.
enum Column { kStation, kDate, kCode, kSeverity, kDetail, kName, kColumnCount };
constexpr int kSortKeyRole = Qt::UserRole;
constexpr int kShownIndexRole = Qt::UserRole + 1;

// Sorts by a key per column instead of the text: a date's text "1/3/2005" would come before
// "12/30/2004", and the station list's order is the order the user picks in. Equal keys keep
// the results order, so a sort by code still lists each code station by station.
class FlagRow : public QTreeWidgetItem {
 public:
  using QTreeWidgetItem::QTreeWidgetItem;

  bool operator<(const QTreeWidgetItem& other) const override {
    const int column = treeWidget() != nullptr ? treeWidget()->sortColumn() : 0;
    const QVariant mine = data(column, kSortKeyRole);
    const QVariant theirs = other.data(column, kSortKeyRole);
    const auto order = QVariant::compare(mine, theirs);
    if (order != QPartialOrdering::Equivalent) return order == QPartialOrdering::Less;
    return data(0, kShownIndexRole).toInt() < other.data(0, kShownIndexRole).toInt();
  }
};

QString flagDateEntry(const CheckFlag& flag, const QLocale& locale) {
  if (!flag.wholeMonth()) return dateEntryText(flag.day, locale);
  const CivilDate month = civilFromDate(flag.day);
  return locale.standaloneMonthName(month.month) + QLatin1Char(' ') + QString::number(month.year);
}

QString severityText(Severity severity) {
  return severity == Severity::Critical ? QStringLiteral("Critical") : QStringLiteral("Warning");
}

QTreeWidgetItem* rowOf(const CheckFlag& flag, int shownIndex, const std::string& station,
                       const StationRegister* names, const QLocale& locale) {
  auto* row = new FlagRow;
  row->setText(kStation, stationText(station));
  if (names != nullptr) row->setText(kName, fromCoreText(std::string(names->name(station))));
  row->setData(kName, kSortKeyRole, row->text(kName));
  row->setText(kDate, flagDateEntry(flag, locale));
  row->setText(kCode, QString::fromLatin1(checkCodeName(flag.code)));
  row->setText(kSeverity, severityText(flag.severity()));
  row->setText(kDetail, fromCoreText(flag.detail));
  row->setToolTip(kDetail, row->text(kDetail));  // a long detail is cut at the window's edge
  row->setData(kStation, kSortKeyRole, flag.station);
  row->setData(kDate, kSortKeyRole, flag.day);
  row->setData(kCode, kSortKeyRole, static_cast<int>(flag.code));
  row->setData(kSeverity, kSortKeyRole, static_cast<int>(flag.severity()));
  row->setData(kDetail, kSortKeyRole, row->text(kDetail));
  row->setData(0, kShownIndexRole, shownIndex);
  if (flag.severity() == Severity::Critical) row->setForeground(kSeverity, QColor(160, 0, 0));
  return row;
}

QComboBox* filterBox(QWidget* parent, const QString& name, const QStringList& firstItems) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  box->addItems(firstItems);
  return box;
}

}  // namespace

frmDataChecks::frmDataChecks(Toolkit& toolkit, QWidget* parent)
    : QWidget(parent), m_toolkit(toolkit) {
  setObjectName(QStringLiteral("frmDataChecks"));
  setWindowTitle(QStringLiteral("Data Checks"));
  setAttribute(Qt::WA_DeleteOnClose);
  resize(960, 520);

  lblCounts = new QLabel(this);
  lblCounts->setObjectName(QStringLiteral("lblCounts"));
  lblCounts->setWordWrap(true);
  lblCounts->setTextInteractionFlags(Qt::TextSelectableByMouse);

  cmbCode = filterBox(this, QStringLiteral("cmbCode"), {QStringLiteral("All codes")});
  for (int c = 0; c < kCheckCodeCount; ++c) {
    cmbCode->addItem(QString::fromLatin1(checkCodeName(static_cast<CheckCode>(c))), c);
  }
  cmbSeverity = filterBox(this, QStringLiteral("cmbSeverity"), {QStringLiteral("All severities")});
  cmbSeverity->addItem(severityText(Severity::Critical), static_cast<int>(Severity::Critical));
  cmbSeverity->addItem(severityText(Severity::Warning), static_cast<int>(Severity::Warning));
  cmbStation = filterBox(this, QStringLiteral("cmbStation"), {QStringLiteral("All stations")});
  cmdCopy = new QPushButton(QStringLiteral("Copy"), this);
  cmdCopy->setObjectName(QStringLiteral("cmdCopy"));
  cmdExportCsv = new QPushButton(QStringLiteral("Export csv file"), this);
  cmdExportCsv->setObjectName(QStringLiteral("cmdExportCsv"));

  lvFlags = new QTreeWidget(this);
  lvFlags->setObjectName(QStringLiteral("lvFlags"));
  lvFlags->setRootIsDecorated(false);
  lvFlags->setUniformRowHeights(true);
  lvFlags->setAlternatingRowColors(true);
  lvFlags->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lvFlags->setHeaderLabels({QStringLiteral("Station"), QStringLiteral("Date"),
                            QStringLiteral("Code"), QStringLiteral("Severity"),
                            QStringLiteral("Detail"), QStringLiteral("Name")});
  for (const auto& [column, width] : {std::pair{kStation, 80}, std::pair{kDate, 110},
                                      std::pair{kCode, 130}, std::pair{kSeverity, 70}}) {
    lvFlags->setColumnWidth(column, width);
  }
  lvFlags->header()->moveSection(kName, kStation + 1);
  lvFlags->setColumnHidden(kName, true);
  lvFlags->setSortingEnabled(true);
  lvFlags->sortByColumn(kStation, Qt::AscendingOrder);

  auto* filters = new QHBoxLayout;
  for (const auto& [caption, box] : {std::pair{QStringLiteral("Code:"), cmbCode},
                                     std::pair{QStringLiteral("Severity:"), cmbSeverity},
                                     std::pair{QStringLiteral("Station:"), cmbStation}}) {
    filters->addWidget(new QLabel(caption, this));
    filters->addWidget(box);
  }
  filters->addStretch();
  filters->addWidget(cmdCopy);
  filters->addWidget(cmdExportCsv);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblCounts);
  layout->addLayout(filters);
  layout->addWidget(lvFlags);

  for (QComboBox* box : {cmbCode, cmbSeverity, cmbStation}) {
    connect(box, &QComboBox::currentIndexChanged, this, &frmDataChecks::applyFilters);
  }
  connect(cmdCopy, &QPushButton::clicked, this, &frmDataChecks::copySelectedRows);
  connect(cmdExportCsv, &QPushButton::clicked, this, &frmDataChecks::exportCsv);
  auto* copyKey = new QShortcut(QKeySequence::Copy, lvFlags);
  copyKey->setContext(Qt::WidgetWithChildrenShortcut);
  connect(copyKey, &QShortcut::activated, this, &frmDataChecks::copySelectedRows);
  connect(lvFlags, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { rowActivated(item->data(0, kShownIndexRole).toInt()); });
}

void frmDataChecks::ShowFlags(const CheckResults& results, const PlotSelection& selection,
                              const QLocale& locale) {
  m_results = results;
  m_locale = locale;
  m_picked = FlagFilter{};
  m_picked.stations = selection.stations.selected;
  m_picked.dates = selection.dates.selected;
  lblCounts->setText(
      QString::fromStdString(checkCountsLine(countByCode(selectFlags(m_results, m_picked)))));

  // Refilling the station box fires its signal on every item; filter once at the end.
  const QVariant station = cmbStation->currentData();
  {
    const QSignalBlocker blocker(cmbStation);
    while (cmbStation->count() > 1) cmbStation->removeItem(1);
    for (const std::int32_t s : selection.stations.picked()) {
      if (static_cast<std::size_t>(s) >= m_results.stations().size()) continue;
      cmbStation->addItem(stationText(m_results.stations()[static_cast<std::size_t>(s)]), s);
    }
    cmbStation->setCurrentIndex(std::max(0, cmbStation->findData(station)));
  }
  applyFilters();
}

void frmDataChecks::applyFilters() {
  FlagFilter filter = m_picked;
  if (const QVariant code = cmbCode->currentData(); code.isValid()) {
    filter.code = static_cast<CheckCode>(code.toInt());
  }
  if (const QVariant severity = cmbSeverity->currentData(); severity.isValid()) {
    filter.severity = static_cast<Severity>(severity.toInt());
  }
  if (const QVariant station = cmbStation->currentData(); station.isValid()) {
    filter.stations.assign(m_results.stations().size(), false);
    filter.stations[static_cast<std::size_t>(station.toInt())] = true;
  }
  m_shown = selectFlags(m_results, filter);

  QList<QTreeWidgetItem*> rows;
  rows.reserve(static_cast<qsizetype>(m_shown.size()));
  for (std::size_t i = 0; i < m_shown.size(); ++i) {
    const CheckFlag& flag = m_shown[i];
    rows << rowOf(flag, static_cast<int>(i),
                  m_results.stations()[static_cast<std::size_t>(flag.station)], m_names.get(),
                  m_locale);
  }
  // Sorting while inserting would compare every new row; sort once afterwards.
  lvFlags->setSortingEnabled(false);
  lvFlags->clear();
  lvFlags->addTopLevelItems(rows);
  lvFlags->setSortingEnabled(true);
}

QString frmDataChecks::selectedRowsText() const {
  QString text;
  for (int r = 0; r < lvFlags->topLevelItemCount(); ++r) {
    const QTreeWidgetItem* row = lvFlags->topLevelItem(r);
    if (!row->isSelected()) continue;
    QString separator;
    for (int shown = 0; shown < kColumnCount; ++shown) {
      const int c = lvFlags->header()->logicalIndex(shown);
      if (lvFlags->isColumnHidden(c)) continue;
      // A tab or a line break inside a cell (station names are the file's bytes) would shift
      // the pasted cells.
      QString cell = row->text(c);
      for (const QChar breaker : {QChar('\t'), QChar('\r'), QChar('\n')}) {
        cell.replace(breaker, QLatin1Char(' '));
      }
      text += std::exchange(separator, QStringLiteral("\t")) + cell;
    }
    text += QLatin1Char('\n');
  }
  return text;
}

void frmDataChecks::copySelectedRows() {
  const QString text = selectedRowsText();
  if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

void frmDataChecks::setExportAbout(WorkbookAbout about,
                                   std::shared_ptr<const StationRegister> names) {
  m_about = std::move(about);
  m_names = std::move(names);
  lvFlags->setColumnHidden(kName, m_names == nullptr || m_names->empty());
}

void frmDataChecks::exportCsv() {
  if (const auto path = askExportPath(
          m_toolkit, this, QStringLiteral("Select the output *.csv file for the data checks"),
          QString())) {
    saveExportAndReport(m_toolkit, this, *path,
                        checksExport(m_shown, m_results.stations(), m_names.get()), m_about);
  }
}

void frmDataChecks::rowActivated(int shownIndex) {
  if (shownIndex < 0 || static_cast<std::size_t>(shownIndex) >= m_shown.size()) return;
  const CheckFlag& flag = m_shown[static_cast<std::size_t>(shownIndex)];
  // A month flag has no day to look at.
  if (flag.wholeMonth()) return;
  emit hourlyGraphRequested(m_results.stations()[static_cast<std::size_t>(flag.station)], flag.day);
}

}  // namespace ostrilo
