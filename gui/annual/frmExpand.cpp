#include "gui/annual/frmExpand.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/annual/Expansion.h"
#include "core/export/TableExports.h"
#include "core/register/StationRegister.h"
#include "gui/toolkit/CsvExport.h"
#include "gui/toolkit/TextFormats.h"
#include "gui/toolkit/Toolkit.h"

namespace ostrilo {

namespace {

QListWidget* stationList(std::span<const std::string> stations,
                         const std::vector<std::int32_t>& picked, const StationRegister* names) {
  auto* list = new QListWidget;
  list->setSelectionMode(QAbstractItemView::MultiSelection);
  for (const std::string& name : stations) {
    list->addItem(names != nullptr ? fromCoreText(names->displayText(name)) : stationText(name));
  }
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

enum Column {
  kStation,
  kName,
  kYear,
  kGroup,
  kDays,
  kFirst,
  kLast,
  kEstimate,
  kNote,
  kColumnCount
};

// A filter box over a list (every blank-separated word must occur, case ignored) and All /
// None for the visible entries, in one row above it.
QHBoxLayout* listTools(QListWidget* list, QLineEdit*& filter, const QString& prefix) {
  filter = new QLineEdit;
  filter->setObjectName(prefix + QStringLiteral("Filter"));
  filter->setPlaceholderText(QStringLiteral("Filter"));
  auto* all = new QPushButton(QStringLiteral("All"));
  auto* none = new QPushButton(QStringLiteral("None"));
  all->setObjectName(prefix + QStringLiteral("All"));
  none->setObjectName(prefix + QStringLiteral("None"));
  QObject::connect(filter, &QLineEdit::textChanged, list, [list](const QString& text) {
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int r = 0; r < list->count(); ++r) {
      QListWidgetItem* item = list->item(r);
      item->setHidden(!std::all_of(words.begin(), words.end(), [&](const QString& w) {
        return item->text().contains(w, Qt::CaseInsensitive);
      }));
    }
  });
  for (auto [button, on] : {std::pair{all, true}, std::pair{none, false}}) {
    QObject::connect(button, &QPushButton::clicked, list, [list, on = on] {
      for (int r = 0; r < list->count(); ++r) {
        if (!list->item(r)->isHidden()) list->item(r)->setSelected(on);
      }
    });
  }
  auto* row = new QHBoxLayout;
  row->addWidget(filter, 1);
  row->addWidget(all);
  row->addWidget(none);
  return row;
}

QString cvText(const GroupFactor& f, const QLocale& locale) {
  return f.cv ? percentText(*f.cv * 100, locale) + QStringLiteral(" %") : naText();
}

}  // namespace

frmExpandPick::frmExpandPick(std::span<const std::string> stations,
                             const std::vector<std::int32_t>& group,
                             const std::vector<std::int32_t>& expanded, QWidget* parent,
                             const StationRegister* names)
    : QDialog(parent) {
  setObjectName(QStringLiteral("frmExpandPick"));
  setWindowTitle(QStringLiteral("Expand Short Counts"));
  setAttribute(Qt::WA_DeleteOnClose);
  setSizeGripEnabled(true);
  lstGroup = stationList(stations, group, names);
  lstGroup->setObjectName(QStringLiteral("lstGroup"));
  lstExpand = stationList(stations, expanded, names);
  lstExpand->setObjectName(QStringLiteral("lstExpand"));
  chkByGroups = new QCheckBox(
      QStringLiteral("Expand each station with its own group's factors (the register's groups)"));
  chkByGroups->setObjectName(QStringLiteral("chkByGroups"));
  chkByGroups->setEnabled(names != nullptr && names->hasColumn("group"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  cmdOK = buttons->button(QDialogButtonBox::Ok);

  auto* layout = new QGridLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Factor stations (the group)")), 0, 0);
  layout->addWidget(new QLabel(QStringLiteral("Stations to expand")), 0, 1);
  layout->addLayout(listTools(lstGroup, txtGroupFilter, QStringLiteral("group")), 1, 0);
  layout->addLayout(listTools(lstExpand, txtExpandFilter, QStringLiteral("expand")), 1, 1);
  layout->addWidget(lstGroup, 2, 0);
  layout->addWidget(lstExpand, 2, 1);
  layout->addWidget(chkByGroups, 3, 0, 1, 2);
  layout->addWidget(buttons, 4, 0, 1, 2);
  layout->setRowStretch(2, 1);
  resize(820, 600);

  auto update = [this] {
    lstGroup->setEnabled(!chkByGroups->isChecked());
    cmdOK->setEnabled((chkByGroups->isChecked() || lstGroup->selectionModel()->hasSelection()) &&
                      lstExpand->selectionModel()->hasSelection());
  };
  connect(chkByGroups, &QCheckBox::toggled, this, update);
  connect(lstGroup, &QListWidget::itemSelectionChanged, this, update);
  connect(lstExpand, &QListWidget::itemSelectionChanged, this, update);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  update();
}

std::vector<std::int32_t> frmExpandPick::groupStations() const { return pickedRows(*lstGroup); }
std::vector<std::int32_t> frmExpandPick::expandedStations() const { return pickedRows(*lstExpand); }
bool frmExpandPick::byRegisterGroups() const { return chkByGroups->isChecked(); }

namespace {

// Months down, days of week across, as the factors are tabled.
QTableWidget* factorGrid() {
  auto* grid = new QTableWidget(kMonths, kDaysOfWeek);
  grid->setObjectName(QStringLiteral("grdFactors"));
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  QStringList days, months;
  for (int k = 0; k < kDaysOfWeek; ++k) days << dayText(k);
  for (int m = 0; m < kMonths; ++m) months << monthText(m);
  grid->setHorizontalHeaderLabels(days);
  grid->setVerticalHeaderLabels(months);
  return grid;
}

}  // namespace

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
  LV->setHeaderLabels({QStringLiteral("Station"), QStringLiteral("Name"), QStringLiteral("Year"),
                       QStringLiteral("Group"), QStringLiteral("Days used"),
                       QStringLiteral("First"), QStringLiteral("Last"), QStringLiteral("Est. AADT"),
                       QStringLiteral("Note")});
  grdGroups = new QTableWidget;
  grdGroups->setObjectName(QStringLiteral("grdGroups"));
  grdGroups->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grdGroups->hide();
  for (int c : {kYear, kDays, kEstimate}) {
    LV->headerItem()->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
  }
  cmbYear = new QComboBox;
  cmbYear->setObjectName(QStringLiteral("cmbYear"));
  grdFactors = factorGrid();
  cmdExport = new QPushButton(QStringLiteral("Export csv file"));
  cmdExport->setObjectName(QStringLiteral("cmdExport"));
  spnCv = new QDoubleSpinBox;
  spnCv->setObjectName(QStringLiteral("spnCv"));
  spnCv->setRange(0.5, 500);
  spnCv->setDecimals(1);
  spnCv->setValue(kDefaultCvThreshold * 100);
  spnCv->setToolTip(QStringLiteral("A factor cell whose CV exceeds this is marked (ours: 15 %)"));

  auto* groupRow = new QHBoxLayout;
  groupRow->addWidget(
      new QLabel(QStringLiteral("Group factor F by month and day of week (n, CV) in")));
  groupRow->addWidget(cmbYear);
  groupRow->addWidget(new QLabel(QStringLiteral("CV threshold %")));
  groupRow->addWidget(spnCv);
  groupRow->addStretch();
  groupRow->addWidget(cmdExport);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(LV, 1);
  layout->addWidget(grdGroups, 1);
  layout->addWidget(lblGroup);
  layout->addLayout(groupRow);
  layout->addWidget(grdFactors, 2);

  connect(cmbYear, &QComboBox::currentIndexChanged, this, &frmExpand::showGroup);
  connect(cmdExport, &QPushButton::clicked, this, &frmExpand::askExport);
  connect(spnCv, &QDoubleSpinBox::valueChanged, this, &frmExpand::setCvThreshold);
}

void frmExpand::setCvThreshold(double percent) {
  m_cvThreshold = percent / 100;
  const QSignalBlocker blocker(spnCv);
  spnCv->setValue(percent);
  if (m_run) showGroupSummaries();
  showGroup(cmbYear->currentIndex());
}

void frmExpand::fill(const SharedCounts& counts, const std::vector<std::int32_t>& group,
                     const std::vector<std::int32_t>& expanded, const QLocale& locale) {
  m_locale = locale;
  m_counts = counts;
  m_stations = group;
  m_stations.insert(m_stations.end(), expanded.begin(), expanded.end());
  ShortCountExpansion run = expandOverGroup(counts->view(), group, expanded, counts->excluded());
  // Moving the vector keeps its elements where they are, so the estimates' groups stay valid.
  m_groups = std::move(run.groups);
  m_estimates = std::move(run.estimates);

  m_run.reset();
  grdGroups->hide();
  showEstimates({});
  QStringList lines;
  for (const FactorGroup& g : m_groups) {
    lines << QStringLiteral("%1: factors of %2; left out (no AADT): %3")
                 .arg(g.year)
                 .arg(namesText(g.members), namesText(g.leftOut));
  }
  lblGroup->setText(lines.isEmpty() ? QStringLiteral("No factor station has a counted day.")
                                    : lines.join(QLatin1Char('\n')));
  m_groupLabels.clear();
  for (const FactorGroup& g : m_groups) m_groupLabels.push_back(QString::number(g.year));
  const QSignalBlocker blocker(cmbYear);
  cmbYear->clear();
  for (const QString& label : m_groupLabels) cmbYear->addItem(label);
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
      auto* item = new QTableWidgetItem(QStringLiteral("%1\nn %2, SD %3\nCV %4")
                                            .arg(factorText(f.mean, m_locale))
                                            .arg(f.n)
                                            .arg(factorText(f.sd, m_locale), cvText(f, m_locale)));
      item->setTextAlignment(Qt::AlignCenter);
      if (f.n == 0) item->setBackground(QColor(255, 210, 210));
      if (cvAbove(f, m_cvThreshold) && f.outlier) {
        item->setBackground(QColor(255, 200, 120));
        item->setText(item->text() + QStringLiteral("\n") + stationText(group.members[*f.outlier]));
        item->setToolTip(QStringLiteral("CV above %1 %: %2 (F %3) moves the mean most")
                             .arg(percentText(m_cvThreshold * 100, m_locale),
                                  stationText(group.members[*f.outlier]),
                                  factorText(f.outlierFactor, m_locale)));
      }
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
  // By groups, the file holds the group and the note the window shows, as the command line's.
  saveExportAndReport(m_toolkit, this, path,
                      m_run ? groupedExpandExport(*m_run, names) : expandExport(m_estimates, names),
                      std::move(about));
}

void frmExpand::showEstimates(const std::vector<std::string>& reasons) {
  const StationRegister* names = m_sources.names.get();
  LV->clear();
  LV->setColumnHidden(kName, names == nullptr);
  LV->setColumnHidden(kGroup, !m_run);
  LV->setColumnHidden(kNote, reasons.empty());
  for (std::size_t i = 0; i < m_estimates.size(); ++i) {
    const ShortCountEstimate& estimate = m_estimates[i];
    auto* item = new QTreeWidgetItem(LV);
    item->setText(kStation, stationText(estimate.station));
    if (names != nullptr)
      item->setText(kName, fromCoreText(std::string(names->name(estimate.station))));
    if (estimate.year != 0) item->setText(kYear, QString::number(estimate.year));
    if (m_run) item->setText(kGroup, fromCoreText(m_run->estimates[i].group));
    item->setText(kDays, m_locale.toString(static_cast<qlonglong>(estimate.daysUsed.size())));
    if (!estimate.daysUsed.empty()) {
      item->setText(kFirst, dateEntryText(estimate.daysUsed.front(), m_locale));
      item->setText(kLast, dateEntryText(estimate.daysUsed.back(), m_locale));
    }
    item->setText(kEstimate, vehiclesText(estimate.aadt, m_locale));
    if (i < reasons.size()) item->setText(kNote, fromCoreText(reasons[i]));
    for (int c : {kYear, kDays, kEstimate}) item->setTextAlignment(c, Qt::AlignRight);
  }
  for (int c = 0; c < kColumnCount; ++c) LV->resizeColumnToContents(c);
}

void frmExpand::showGroupSummaries() {
  // The groups side by side: members, those left out and the cells above the threshold.
  grdGroups->clear();
  grdGroups->setColumnCount(static_cast<int>(m_groups.size()));
  grdGroups->setRowCount(4);
  grdGroups->setVerticalHeaderLabels({QStringLiteral("Members with an AADT"),
                                      QStringLiteral("Left out (no AADT)"),
                                      QStringLiteral("Cells above the CV threshold"),
                                      QStringLiteral("Largest CV, moved most by")});
  grdGroups->setHorizontalHeaderLabels(QStringList(m_groupLabels.begin(), m_groupLabels.end()));
  for (std::size_t c = 0; c < m_groups.size(); ++c) {
    const FactorGroup& g = m_groups[c];
    int above = 0;
    const GroupFactor* worst = nullptr;
    for (const auto& month : g.cells) {
      for (const GroupFactor& f : month) {
        above += cvAbove(f, m_cvThreshold) ? 1 : 0;
        if (f.cv && (worst == nullptr || *f.cv > *worst->cv)) worst = &f;
      }
    }
    const QString texts[] = {
        QString::number(g.members.size()) + QStringLiteral(": ") + namesText(g.members),
        namesText(g.leftOut), QString::number(above),
        worst != nullptr && worst->outlier ? cvText(*worst, m_locale) + QStringLiteral(", ") +
                                                 stationText(g.members[*worst->outlier])
                                           : naText()};
    for (int r = 0; r < 4; ++r) {
      auto* item = new QTableWidgetItem(texts[r]);
      item->setToolTip(texts[r]);
      grdGroups->setItem(r, static_cast<int>(c), item);
    }
  }
  // A long member list would push the next group out of sight: its tooltip holds the rest.
  for (int c = 0; c < grdGroups->columnCount(); ++c) grdGroups->setColumnWidth(c, 420);
  grdGroups->resizeRowsToContents();
  grdGroups->show();
}

void frmExpand::fillByGroups(const SharedCounts& counts, const StationGroups& groups,
                             const std::vector<std::int32_t>& expanded, const QLocale& locale) {
  m_locale = locale;
  m_counts = counts;
  m_stations = expanded;
  GroupExpansionOptions options;
  options.stations = expanded;
  options.excluded = counts->excluded();
  options.cvThreshold = m_cvThreshold;
  m_run = std::make_unique<GroupExpansion>(ExpandByGroups(counts->view(), groups, options));
  m_estimates.clear();
  std::vector<std::string> reasons;
  for (const GroupedEstimate& e : m_run->estimates) {
    m_estimates.push_back(e.estimate);
    reasons.push_back(e.reason);
  }
  m_groups.clear();
  m_groupLabels.clear();
  for (const NamedFactorGroup& g : m_run->groups) {
    for (const FactorGroup& year : g.years) {
      m_groups.push_back(year);
      m_groupLabels.push_back(fromCoreText(g.name) + QLatin1Char(' ') + QString::number(year.year));
    }
  }
  showEstimates(reasons);
  showGroupSummaries();
  lblGroup->setText(
      QStringLiteral("Each station expanded with its own group's factors; a cell "
                     "whose CV exceeds the threshold is marked with the member that "
                     "moves it most."));
  const QSignalBlocker blocker(cmbYear);
  cmbYear->clear();
  for (const QString& label : m_groupLabels) cmbYear->addItem(label);
  cmbYear->setEnabled(m_groups.size() > 1);
  showGroup(0);
  resize(1000, 820);
}

}  // namespace ostrilo
