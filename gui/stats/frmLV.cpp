#include "gui/stats/frmLV.h"

#include <QHeaderView>
#include <QLocale>
#include <QTreeWidget>

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
  if (!figure) return;
  item.setText(column, figureText(*figure, locale));
  item.setData(column, kFigureRole, static_cast<qlonglong>(*figure));
}

}  // namespace

QString figureText(std::int32_t value, const QLocale& locale) {
  return locale.toString(static_cast<qlonglong>(value));
}

frmLV::frmLV(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("frmLV"));
  setWindowTitle(QStringLiteral("Station Stat"));
  setAttribute(Qt::WA_DeleteOnClose);
  // Room for the eight columns side by side.
  resize(twipsToPixels(kColumns * 1000 + 140), twipsToPixels(4245));

  LV = new QTreeWidget(this);
  LV->setObjectName(QStringLiteral("LV"));
  LV->setRootIsDecorated(false);
  LV->setUniformRowHeights(true);
  LV->setAlternatingRowColors(true);
  LV->setSelectionMode(QAbstractItemView::SingleSelection);
  LV->header()->setSectionsClickable(true);
  LV->header()->setStretchLastSection(false);
  connect(LV->header(), &QHeaderView::sectionClicked, this, &frmLV::sortByColumn);
  LV->setGeometry(rect());
}

void frmLV::resizeEvent(QResizeEvent* event) {
  LV->setGeometry(rect());
  QWidget::resizeEvent(event);
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
    LV->headerItem()->setTextAlignment(c, Qt::AlignLeft | Qt::AlignVCenter);
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
