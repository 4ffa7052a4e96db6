#include "gui/toolkit/SelectionLists.h"

#include <QItemSelectionModel>
#include <QListWidget>

#include "gui/toolkit/Toolkit.h"

namespace ostrilo {

namespace {

ListSelection readList(const QListWidget& list, bool withTexts) {
  ListSelection out;
  out.selected.assign(static_cast<std::size_t>(list.count()), false);
  // One pass over the selection model; asking every item would search the ranges each time.
  const auto inRange = [&list](int i) { return i >= 0 && i < list.count(); };
  for (const QModelIndex& index : list.selectionModel()->selectedIndexes()) {
    if (!inRange(index.row())) continue;
    if (const int i = tableIndexOf(list, index.row()); inRange(i)) {
      out.selected[static_cast<std::size_t>(i)] = true;
    }
  }
  if (withTexts) {
    out.texts.resize(out.selected.size());
    for (int row = 0; row < list.count(); ++row) {
      // Station names were shown byte for byte; take the bytes back.
      const QListWidgetItem& item = *list.item(row);
      const QVariant id = item.data(kStationIdRole);
      if (const int i = tableIndexOf(list, row); inRange(i)) {
        out.texts[static_cast<std::size_t>(i)] =
            (id.isValid() ? id.toString() : item.text()).toLatin1().toStdString();
      }
    }
  }
  return out;
}

}  // namespace

int tableIndexOf(const QListWidget& list, int row) {
  const QVariant index = list.item(row)->data(kTableIndexRole);
  return index.isValid() ? index.toInt() : row;
}

PlotSelection selectionFromLists(const QListWidget& stations, const QListWidget& dates) {
  return PlotSelection{readList(stations, true), readList(dates, false)};
}

bool checkSelectionOrWarn(Toolkit& toolkit, QWidget* parent, const PlotSelection& selection) {
  const auto problem = CheckPlotSelection(selection);
  if (!problem) return true;
  toolkit.showMessage(parent, QString::fromLatin1(problem->c_str()), MessageIcon::Exclamation,
                      kAppTitle);
  return false;
}

}  // namespace ostrilo
