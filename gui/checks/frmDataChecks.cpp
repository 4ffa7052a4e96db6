#include "gui/checks/frmDataChecks.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <utility>

#include "core/export/CheckExports.h"
#include "core/export/TableExports.h"
#include "core/register/StationRegister.h"
#include "core/selection/PlotSelection.h"
#include "core/table/ATRTable.h"
#include "core/table/Error.h"
#include "gui/checks/frmCompleteness.h"
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
  if (severity == Severity::Info) return QStringLiteral("Info");
  return severity == Severity::Critical ? QStringLiteral("Critical") : QStringLiteral("Warning");
}

enum EpisodeColumn { kEStation, kEFirst, kELast, kEDays, kECode, kESeverity, kEDetail, kEName };

QString episodeDateEntry(const FlagEpisode& e, DateNumber day, const QLocale& locale) {
  if (!e.wholePeriod) return dateEntryText(day, locale);
  return QString::fromStdString(episodeDateText(e, day));
}

QTreeWidgetItem* episodeRow(const FlagEpisode& e, int shownIndex, const std::string& station,
                            const StationRegister* names, const QLocale& locale) {
  auto* row = new FlagRow;
  row->setText(kEStation, stationText(station));
  if (names != nullptr) row->setText(kEName, fromCoreText(std::string(names->name(station))));
  row->setText(kEFirst, episodeDateEntry(e, e.firstDay, locale));
  row->setText(kELast, episodeDateEntry(e, e.lastDay, locale));
  row->setText(kEDays, locale.toString(e.days));
  row->setTextAlignment(kEDays, Qt::AlignRight | Qt::AlignVCenter);
  row->setText(kECode, QString::fromLatin1(checkCodeName(e.code)));
  row->setText(kESeverity, severityText(e.severity()));
  row->setText(kEDetail, fromCoreText(e.detail));
  row->setToolTip(kEDetail, row->text(kEDetail));
  const QVariant keys[] = {e.station,
                           e.firstDay,
                           e.lastDay,
                           e.days,
                           static_cast<int>(e.code),
                           static_cast<int>(e.severity()),
                           row->text(kEDetail),
                           row->text(kEName)};
  for (int c = 0; c <= kEName; ++c) row->setData(c, kSortKeyRole, keys[c]);
  row->setData(0, kShownIndexRole, shownIndex);
  if (e.severity() == Severity::Critical) row->setForeground(kESeverity, QColor(160, 0, 0));
  return row;
}

QTreeWidget* rowList(QWidget* parent, const QString& name, const QStringList& headers) {
  auto* list = new QTreeWidget(parent);
  list->setObjectName(name);
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setAlternatingRowColors(true);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setHeaderLabels(headers);
  list->setSortingEnabled(true);
  return list;
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

  createFilters();
  createRowLists();
  layOut();
  connectControls();
}

void frmDataChecks::createFilters() {
  lblCounts = new QLabel(this);
  lblCounts->setObjectName(QStringLiteral("lblCounts"));
  lblCounts->setWordWrap(true);
  lblCounts->setTextInteractionFlags(Qt::TextSelectableByMouse);

  lblShown = new QLabel(this);
  lblShown->setObjectName(QStringLiteral("lblShown"));
  cmbView = filterBox(this, QStringLiteral("cmbView"),
                      {QStringLiteral("Episodes"), QStringLiteral("Days")});
  lstCodes = new QListWidget(this);
  lstCodes->setObjectName(QStringLiteral("lstCodes"));
  for (int c = 0; c < kCheckCodeCount; ++c) {
    if (static_cast<CheckCode>(c) == CheckCode::MissingHours) continue;
    auto* item = new QListWidgetItem(QString::fromLatin1(checkCodeName(static_cast<CheckCode>(c))),
                                     lstCodes);
    item->setData(Qt::UserRole, c);
    item->setCheckState(Qt::Checked);
  }
  lstCodes->setMaximumWidth(170);
  chkMissingHours = new QCheckBox(QStringLiteral("Show MISSING_HOURS (incomplete days)"), this);
  chkMissingHours->setObjectName(QStringLiteral("chkMissingHours"));
  m_codesAll = new QPushButton(QStringLiteral("All"), this);
  m_codesNone = new QPushButton(QStringLiteral("None"), this);
  m_codesAll->setObjectName(QStringLiteral("cmdCodesAll"));
  m_codesNone->setObjectName(QStringLiteral("cmdCodesNone"));
  lblHolidays = new QLabel(this);
  lblHolidays->setObjectName(QStringLiteral("lblHolidays"));
  cmdCompleteness = new QPushButton(QStringLiteral("Completeness..."), this);
  cmdCompleteness->setObjectName(QStringLiteral("cmdCompleteness"));
  cmbSeverity = filterBox(this, QStringLiteral("cmbSeverity"), {QStringLiteral("All severities")});
  cmbSeverity->addItem(severityText(Severity::Critical), static_cast<int>(Severity::Critical));
  cmbSeverity->addItem(severityText(Severity::Warning), static_cast<int>(Severity::Warning));
  cmbSeverity->addItem(severityText(Severity::Info), static_cast<int>(Severity::Info));
  cmbStation = filterBox(this, QStringLiteral("cmbStation"), {QStringLiteral("All stations")});
  cmdCopy = new QPushButton(QStringLiteral("Copy"), this);
  cmdCopy->setObjectName(QStringLiteral("cmdCopy"));
  cmdExportCsv = new QPushButton(QStringLiteral("Export csv file"), this);
  cmdExportCsv->setObjectName(QStringLiteral("cmdExportCsv"));
}

void frmDataChecks::createRowLists() {
  lvFlags = rowList(this, QStringLiteral("lvFlags"),
                    {QStringLiteral("Station"), QStringLiteral("Date"), QStringLiteral("Code"),
                     QStringLiteral("Severity"), QStringLiteral("Detail"), QStringLiteral("Name")});
  lvEpisodes = rowList(this, QStringLiteral("lvEpisodes"),
                       {QStringLiteral("Station"), QStringLiteral("First"), QStringLiteral("Last"),
                        QStringLiteral("Days"), QStringLiteral("Code"), QStringLiteral("Severity"),
                        QStringLiteral("Detail"), QStringLiteral("Name")});
  for (const auto& [column, width] :
       {std::pair{kEStation, 70}, std::pair{kEFirst, 100}, std::pair{kELast, 100},
        std::pair{kEDays, 45}, std::pair{kECode, 120}, std::pair{kESeverity, 60}}) {
    lvEpisodes->setColumnWidth(column, width);
  }
  lvEpisodes->header()->moveSection(kEName, kEStation + 1);
  lvEpisodes->setColumnHidden(kEName, true);
  lvEpisodes->sortByColumn(kEStation, Qt::AscendingOrder);
  for (const auto& [column, width] : {std::pair{kStation, 80}, std::pair{kDate, 110},
                                      std::pair{kCode, 130}, std::pair{kSeverity, 70}}) {
    lvFlags->setColumnWidth(column, width);
  }
  lvFlags->header()->moveSection(kName, kStation + 1);
  lvFlags->setColumnHidden(kName, true);
  lvFlags->setSortingEnabled(true);
  lvFlags->sortByColumn(kStation, Qt::AscendingOrder);
}

void frmDataChecks::layOut() {
  auto* filters = new QHBoxLayout;
  for (const auto& [caption, box] : {std::pair{QStringLiteral("Show:"), cmbView},
                                     std::pair{QStringLiteral("Severity:"), cmbSeverity},
                                     std::pair{QStringLiteral("Station:"), cmbStation}}) {
    filters->addWidget(new QLabel(caption, this));
    filters->addWidget(box);
  }
  filters->addWidget(lblHolidays);
  filters->addStretch();
  filters->addWidget(cmdCompleteness);
  filters->addWidget(cmdCopy);
  filters->addWidget(cmdExportCsv);
  auto* codeButtons = new QHBoxLayout;
  codeButtons->addWidget(m_codesAll);
  codeButtons->addWidget(m_codesNone);
  auto* codes = new QVBoxLayout;
  codes->addWidget(new QLabel(QStringLiteral("Codes:"), this));
  codes->addWidget(lstCodes, 1);
  codes->addLayout(codeButtons);
  auto* rows = new QStackedWidget(this);
  rows->setObjectName(QStringLiteral("rows"));
  rows->addWidget(lvEpisodes);
  rows->addWidget(lvFlags);
  auto* body = new QHBoxLayout;
  body->addLayout(codes);
  body->addWidget(rows, 1);
  auto* shown = new QHBoxLayout;
  shown->addWidget(chkMissingHours);
  shown->addStretch();
  shown->addWidget(lblShown);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblCounts);
  layout->addLayout(filters);
  layout->addLayout(body, 1);
  layout->addLayout(shown);
}

void frmDataChecks::connectControls() {
  auto* rows = findChild<QStackedWidget*>(QStringLiteral("rows"));
  for (QComboBox* box : {cmbSeverity, cmbStation}) {
    connect(box, &QComboBox::currentIndexChanged, this, &frmDataChecks::applyFilters);
  }
  connect(cmbView, &QComboBox::currentIndexChanged, rows, &QStackedWidget::setCurrentIndex);
  connect(cmbView, &QComboBox::currentIndexChanged, this, &frmDataChecks::applyFilters);
  connect(lstCodes, &QListWidget::itemChanged, this, &frmDataChecks::applyFilters);
  connect(chkMissingHours, &QCheckBox::toggled, this, &frmDataChecks::applyFilters);
  for (auto [button, state] :
       {std::pair{m_codesAll, Qt::Checked}, std::pair{m_codesNone, Qt::Unchecked}}) {
    connect(button, &QPushButton::clicked, this, [this, state = state] {
      {
        const QSignalBlocker blocker(lstCodes);
        for (int i = 0; i < lstCodes->count(); ++i) lstCodes->item(i)->setCheckState(state);
      }
      applyFilters();
    });
  }
  connect(cmdCompleteness, &QPushButton::clicked, this, &frmDataChecks::showCompleteness);
  connect(lvEpisodes, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
    episodeActivated(item->data(0, kShownIndexRole).toInt());
  });
  connect(cmdCopy, &QPushButton::clicked, this, &frmDataChecks::copySelectedRows);
  connect(cmdExportCsv, &QPushButton::clicked, this, &frmDataChecks::exportCsv);
  auto* copyKey = new QShortcut(QKeySequence::Copy, lvFlags);
  copyKey->setContext(Qt::WidgetWithChildrenShortcut);
  connect(copyKey, &QShortcut::activated, this, &frmDataChecks::copySelectedRows);
  connect(lvFlags, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { rowActivated(item->data(0, kShownIndexRole).toInt()); });
}

bool frmDataChecks::showsEpisodes() const { return cmbView->currentIndex() == 0; }

void frmDataChecks::ShowFlags(const CheckResults& results, const PlotSelection& selection,
                              const QLocale& locale) {
  m_results = results;
  m_locale = locale;
  lblHolidays->setText(QStringLiteral("Holidays: ") +
                       holidayCalendarText(QString::fromStdString(results.holidayCalendar())));
  m_picked = FlagFilter{};
  m_picked.stations = selection.stations.selected;
  m_picked.dates = selection.dates.selected;
  const std::vector<CheckFlag> picked = selectFlags(m_results, m_picked);
  m_pickedCount = picked.size();
  lblCounts->setText(QString::fromStdString(checkCountsLine(countByCode(picked))));

  // Refilling the station box fires its signal on every item; filter once at the end.
  m_episodes.clear();
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
  if (const QVariant severity = cmbSeverity->currentData(); severity.isValid()) {
    filter.severity = static_cast<Severity>(severity.toInt());
  }
  if (const QVariant station = cmbStation->currentData(); station.isValid()) {
    filter.stations.assign(m_results.stations().size(), false);
    filter.stations[static_cast<std::size_t>(station.toInt())] = true;
  }
  m_shown = selectFlags(m_results, filter);
  std::vector<bool> codes(kCheckCodeCount, false);
  codes[static_cast<std::size_t>(CheckCode::MissingHours)] = chkMissingHours->isChecked();
  for (int i = 0; i < lstCodes->count(); ++i) {
    codes[lstCodes->item(i)->data(Qt::UserRole).toUInt()] =
        lstCodes->item(i)->checkState() == Qt::Checked;
  }
  // Episodes merge over every shown code's days, so the code filter comes first.
  std::erase_if(m_shown,
                [&](const CheckFlag& f) { return !codes[static_cast<std::size_t>(f.code)]; });
  if (showsEpisodes()) {
    fillEpisodes();
    return;
  }
  lblShown->setText(QStringLiteral("%1 of %2 rows (days) shown")
                        .arg(m_locale.toString(static_cast<qlonglong>(m_shown.size())),
                             m_locale.toString(static_cast<qlonglong>(m_pickedCount))));

  QList<QTreeWidgetItem*> rows;
  rows.reserve(static_cast<qsizetype>(m_shown.size()));
  for (std::size_t i = 0; i < m_shown.size(); ++i) {
    const CheckFlag& flag = m_shown[i];
    rows << rowOf(flag, static_cast<int>(i), flagPlace(flag, m_results.stations()), m_names.get(),
                  m_locale);
  }
  // Sorting while inserting would compare every new row; sort once afterwards.
  lvFlags->setSortingEnabled(false);
  lvFlags->clear();
  lvFlags->addTopLevelItems(rows);
  lvFlags->setSortingEnabled(true);
}

QString frmDataChecks::selectedRowsText() const {
  const QTreeWidget* list = showsEpisodes() ? lvEpisodes : lvFlags;
  QString text;
  for (int r = 0; r < list->topLevelItemCount(); ++r) {
    const QTreeWidgetItem* row = list->topLevelItem(r);
    if (!row->isSelected()) continue;
    QString separator;
    for (int shown = 0; shown < list->columnCount(); ++shown) {
      const int c = list->header()->logicalIndex(shown);
      if (list->isColumnHidden(c)) continue;
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
  lvEpisodes->setColumnHidden(kEName, m_names == nullptr || m_names->empty());
}

void frmDataChecks::exportCsv() {
  if (const auto path = askExportPath(
          m_toolkit, this, QStringLiteral("Select the output *.csv file for the data checks"),
          QString())) {
    saveExportAndReport(m_toolkit, this, *path,
                        showsEpisodes()
                            ? episodesExport(m_episodes, m_results.stations(), m_names.get())
                            : checksExport(m_shown, m_results.stations(), m_names.get()),
                        m_about);
  }
}

void frmDataChecks::fillEpisodes() {
  m_episodes = mergeEpisodes(m_results, m_shown);
  QList<QTreeWidgetItem*> rows;
  for (std::size_t i = 0; i < m_episodes.size(); ++i) {
    const FlagEpisode& e = m_episodes[i];
    rows << episodeRow(e, static_cast<int>(i),
                       m_results.stations()[static_cast<std::size_t>(e.station)], m_names.get(),
                       m_locale);
  }
  lvEpisodes->setSortingEnabled(false);
  lvEpisodes->clear();
  lvEpisodes->addTopLevelItems(rows);
  lvEpisodes->setSortingEnabled(true);
  lblShown->setText(QStringLiteral("%1 episodes of %2 flagged days shown")
                        .arg(m_locale.toString(static_cast<qlonglong>(m_episodes.size())),
                             m_locale.toString(static_cast<qlonglong>(m_shown.size()))));
}

void frmDataChecks::episodeActivated(int shownIndex) {
  if (shownIndex < 0 || static_cast<std::size_t>(shownIndex) >= m_episodes.size()) return;
  const FlagEpisode& e = m_episodes[static_cast<std::size_t>(shownIndex)];
  if (e.wholePeriod) return;
  emit episodeGraphRequested(m_results.stations()[static_cast<std::size_t>(e.station)],
                             episodeGraphSpans(e));
}

void frmDataChecks::showCompleteness() {
  std::vector<std::int32_t> stations;
  for (std::size_t s = 0; s < m_picked.stations.size(); ++s) {
    if (m_picked.stations[s]) stations.push_back(static_cast<std::int32_t>(s));
  }
  auto* window = new frmCompleteness(m_toolkit);
  window->fill(computeCompleteness(m_results, stations), m_results.stations(), m_names, m_about,
               m_locale);
  window->show();
}

void frmDataChecks::rowActivated(int shownIndex) {
  if (shownIndex < 0 || static_cast<std::size_t>(shownIndex) >= m_shown.size()) return;
  const CheckFlag& flag = m_shown[static_cast<std::size_t>(shownIndex)];
  // A month flag has no day to look at.
  if (flag.wholeMonth()) return;
  emit hourlyGraphRequested(m_results.stations()[static_cast<std::size_t>(flag.station)], flag.day);
}

}  // namespace ostrilo
