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
  for (const QModelIndex& index : list.selectionModel()->selectedIndexes()) {
    if (index.row() >= 0 && index.row() < list.count()) {
      out.selected[static_cast<std::size_t>(index.row())] = true;
    }
  }
  if (withTexts) {
    out.texts.reserve(out.selected.size());
    for (int i = 0; i < list.count(); ++i) {
      // Station names were shown byte for byte; take the bytes back.
      const QListWidgetItem& item = *list.item(i);
      const QVariant id = item.data(kStationIdRole);
      out.texts.push_back((id.isValid() ? id.toString() : item.text()).toLatin1().toStdString());
    }
  }
  return out;
}

}  // namespace

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
