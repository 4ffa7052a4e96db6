#include "gui/stats/frmLV.h"

#include <QCheckBox>
#include <QDate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/export/WorkbookWriter.h"
#include "core/register/StationRegister.h"
#include "gui/toolkit/TextFormats.h"
#include "gui/toolkit/Twips.h"

namespace ostrilo {

namespace {

constexpr int kColumns = 8;
constexpr int kColumnWidth = twipsToPixels(1000);
constexpr int kFigureRole = Qt::UserRole;

// Compares figure columns by value: as text "1,050" would come before "30". An empty figure
// (no day to take it over) sorts after every value, so the stations with figures stay together.
class StatRow : public QTreeWidgetItem {
 public:
  explicit StatRow(int textColumns) : m_textColumns(textColumns) {}

  bool operator<(const QTreeWidgetItem& other) const override {
    const int column = treeWidget() != nullptr ? treeWidget()->sortColumn() : 0;
    if (column < m_textColumns) return text(column) < other.text(column);
    const QVariant mine = data(column, kFigureRole);
    const QVariant theirs = other.data(column, kFigureRole);
    if (!mine.isValid() || !theirs.isValid()) return mine.isValid();
    return mine.toLongLong() < theirs.toLongLong();
  }

 private:
  int m_textColumns;  // the station and, with a register, its name
};

void setFigure(QTreeWidgetItem& item, int column, std::optional<std::int32_t> figure,
               const QLocale& locale) {
  // Figures line up on their last digit, so that magnitudes compare at a glance.
  item.setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
  if (!figure) return;
  item.setText(column, figureText(*figure, locale));
  item.setData(column, kFigureRole, static_cast<qlonglong>(*figure));
}

}  // namespace

QString figureText(std::int32_t value, const QLocale& locale) {
  return locale.toString(static_cast<qlonglong>(value));
}

QString statsBasisText(bool leaveOutCritical) {
  return leaveOutCritical
             ? QStringLiteral("Figures over the complete days without a critical flag")
             : QStringLiteral(
                   "Figures over every complete day, days with a critical flag included");
}

frmLV::frmLV(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("frmLV"));
  setWindowTitle(QStringLiteral("Station Stat"));
  setAttribute(Qt::WA_DeleteOnClose);
  // Room for the eight columns side by side.
  resize(twipsToPixels(kColumns * 1000 + 140), twipsToPixels(4245) + 48);  // and the two lines

  lblPeriod = new QLabel(this);
  lblPeriod->setObjectName(QStringLiteral("lblPeriod"));
  chkLeaveOutCritical = new QCheckBox(QStringLiteral("Leave out days with a critical flag"), this);
  chkLeaveOutCritical->setObjectName(QStringLiteral("chkLeaveOutCritical"));
  chkLeaveOutCritical->setChecked(true);
  lblBasis = new QLabel(this);
  lblBasis->setObjectName(QStringLiteral("lblBasis"));
  connect(chkLeaveOutCritical, &QCheckBox::toggled, this, [this](bool on) {
    showBasis();
    emit leaveOutCriticalChanged(on);
  });
  showBasis();

  LV = new QTreeWidget(this);
  LV->setObjectName(QStringLiteral("LV"));
  LV->setRootIsDecorated(false);
  LV->setUniformRowHeights(true);
  LV->setAlternatingRowColors(true);
  LV->setSelectionMode(QAbstractItemView::SingleSelection);
  LV->header()->setSectionsClickable(true);
  LV->header()->setStretchLastSection(false);
  connect(LV->header(), &QHeaderView::sectionClicked, this, &frmLV::sortByColumn);

  auto* box = new QHBoxLayout;
  box->addWidget(chkLeaveOutCritical);
  box->addSpacing(12);
  box->addWidget(lblBasis, 1);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(4, 4, 4, 0);
  column->setSpacing(4);
  column->addWidget(lblPeriod);
  column->addLayout(box);
  column->addWidget(LV, 1);
}

bool frmLV::leavesOutCritical() const { return chkLeaveOutCritical->isChecked(); }

void frmLV::showBasis() { lblBasis->setText(statsBasisText(leavesOutCritical())); }

void frmLV::ShowPeriod(const WorkbookAbout& picked, const QLocale& locale) {
  if (!picked.firstDate || !picked.lastDate) {
    lblPeriod->setText(QStringLiteral("No dates picked"));
    return;
  }
  const auto day = [&locale](DateNumber d) {
    const CivilDate c = civilFromDate(d);
    return locale.toString(QDate(c.year, c.month, c.day), fullYearDateFormat(locale));
  };
  const qint64 n = picked.dateCount;
  lblPeriod->setText(QStringLiteral("%1 to %2, %3 %4")
                         .arg(day(*picked.firstDate), day(*picked.lastDate), locale.toString(n),
                              n == 1 ? QStringLiteral("date") : QStringLiteral("dates")));
}

void frmLV::FillStatsList(const StatResults& rows, const QLocale& locale,
                          const StationRegister* names) {
  LV->clear();
  LV->setColumnCount(0);
  const bool named = names != nullptr && !names->empty();
  QStringList headings = {QStringLiteral("ATR ID"), QStringLiteral("ADT"), QStringLiteral("Min DT"),
                          QStringLiteral("Max DT"), QStringLiteral("SD"),  QStringLiteral("AWDDT"),
                          QStringLiteral("AWEDT"),  QStringLiteral("Days")};
  if (named) headings.insert(1, QStringLiteral("Name"));
  LV->setHeaderLabels(headings);
  for (int c = 0; c < headings.size(); ++c) {
    LV->setColumnWidth(c, kColumnWidth);
    LV->headerItem()->setTextAlignment(
        c, (c < (named ? 2 : 1) ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
  }

  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(rows.size()));
  for (const StationStat& row : rows) {
    auto* item = new StatRow(named ? 2 : 1);
    item->setText(0, stationText(row.AtrId));
    if (named) item->setText(1, fromCoreText(std::string(names->name(row.AtrId))));
    int column = named ? 2 : 1;
    for (const auto& figure : {row.ADT, row.MinDT, row.MaxDT, row.SD, row.AWDDT, row.AWEDT}) {
      setFigure(*item, column++, figure, locale);
    }
    setFigure(*item, column, row.Days, locale);
    items << item;
  }
  LV->addTopLevelItems(items);
  if (named) LV->resizeColumnToContents(1);
  if (m_sortColumn >= 0) sortByColumn(m_sortColumn);
}

void frmLV::sortByColumn(int column) {
  m_sortColumn = column;
  LV->header()->setSortIndicatorShown(true);
  LV->sortItems(column, Qt::AscendingOrder);
}

}  // namespace ostrilo
