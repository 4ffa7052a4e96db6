#pragma once

#include <QString>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

class QCPAxis;
class QFont;
class QCustomPlot;
class QMenu;
class QMouseEvent;

namespace ostrilo {

class StationRegister;
class Toolkit;

// A station as the charts name it: "id  name" when the register names it, else the bare id, so
// that charts drawn without a register look as they always did.
[[nodiscard]] QString chartStationLabel(const std::string& id, const StationRegister* names);
// The label cut short to a width that leaves the chart room, where legends and row labels show
// it; bare ids are left whole, as they always were.
[[nodiscard]] QString shortStationLabel(const QString& label, const StationRegister* names,
                                        const QFont& font);
// The window's caption; when the chart shows one station and the register names it, the caption
// names it too, since several such windows are easily told apart only by that.
[[nodiscard]] QString chartWindowTitle(const std::string& caption,
                                       const std::vector<std::string>& stations,
                                       const StationRegister* names);

enum class ChartFileFormat { Png, Jpeg, Pdf };

// What the chart windows share. The chart TChart1 fills the window. Its context menu saves the
// chart as PNG, JPEG or PDF, copies it to the clipboard and restores the full view; resting the
// pointer on a value shows it in a tooltip; the wheel zooms and dragging pans along the time
// axis only. A window has no owner and deletes itself when closed.
class ChartWindow : public QWidget {
  Q_OBJECT

 public:
  QCustomPlot* TChart1 = nullptr;

  // Writes the chart as shown, at the window's size. Answers the reason when the file could not
  // be written; a file already there is replaced only by a complete new one.
  [[nodiscard]] std::optional<QString> saveChart(const QString& path, ChartFileFormat format) const;
  void copyToClipboard() const;
  // Back to the ranges the window was filled with.
  void resetZoom();
  // The context menu, owned by the caller.
  [[nodiscard]] QMenu* createContextMenu();
  // The tooltip for the pointer at pos (chart pixels); empty where it rests on no value.
  [[nodiscard]] virtual QString toolTipAt(const QPointF& pos) const = 0;

 protected:
  // The toolkit asks for file names and shows failures; it must outlive the window.
  ChartWindow(Toolkit& toolkit, const QString& name, const QSize& innerSize);

  void resizeEvent(QResizeEvent* event) override;

  // Called once the chart is drawn: dragging and the wheel act on keyAxis only, and the ranges
  // shown now become the full view.
  void finishFill(QCPAxis& keyAxis);
  // From now on a double-click on the chart opens the chart editor.
  void enableEditor();

 private:
  struct View {
    double xLower = 0, xUpper = 0, yLower = 0, yUpper = 0;
  };

  void askSave(ChartFileFormat format);
  void showToolTip(QMouseEvent* event);
  void showContextMenu(const QPoint& pos);
  void openEditor();

  Toolkit& m_toolkit;
  View m_fullView;
};

}  // namespace ostrilo
