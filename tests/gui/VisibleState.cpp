#include "tests/gui/VisibleState.h"

#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QAbstractSpinBox>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPaintEngine>
#include <QTabBar>
#include <QTableWidget>
#include <QTreeWidget>

#include "tests/support/Golden.h"

namespace ostrilo::test {
namespace {

using namespace Qt::Literals::StringLiterals;

QString number(double v) { return QString::number(qRound(v)); }
QString point(const QPointF& p) { return number(p.x()) + u',' + number(p.y()); }
QString rect(const QRectF& r) { return point(r.topLeft()) + u' ' + point(r.bottomRight()); }
QString colour(const QColor& c) {
  return c.name(c.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb);
}

// Records every command in device coordinates, with the pen and brush each time they change.
class Recorder final : public QPaintEngine {
 public:
  Recorder() : QPaintEngine(QPaintEngine::AllFeatures) {}
  bool begin(QPaintDevice*) override { return true; }
  bool end() override { return true; }
  Type type() const override { return QPaintEngine::User; }
  void updateState(const QPaintEngineState& state) override {
    if (state.state() & DirtyTransform) m_transform = state.transform();
    if (state.state() & DirtyPen) {
      m_pen = state.pen().style() == Qt::NoPen
                  ? u"none"_s
                  : colour(state.pen().color()) + u' ' + number(state.pen().widthF());
    }
    if (state.state() & DirtyBrush) {
      m_brush = state.brush().style() == Qt::NoBrush ? u"none"_s : colour(state.brush().color());
      if (const QGradient* gradient = state.brush().gradient();
          gradient != nullptr && gradient->type() == QGradient::LinearGradient) {
        const auto* linear = static_cast<const QLinearGradient*>(gradient);
        m_brush = u"gradient "_s + point(linear->start()) + u' ' + point(linear->finalStop());
        for (const auto& [at, stop] : linear->stops()) m_brush += u' ' + colour(stop);
      }
    }
  }
  void drawRects(const QRectF* rects, int count) override {
    for (int i = 0; i < count; ++i) add(u"rect "_s + rect(m_transform.mapRect(rects[i])));
  }
  void drawLines(const QLineF* lines, int count) override {
    for (int i = 0; i < count; ++i) {
      add(u"line "_s + point(m_transform.map(lines[i].p1())) + u' ' +
          point(m_transform.map(lines[i].p2())));
    }
  }
  void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
    QString text = mode == PolylineMode ? u"polyline"_s : u"polygon"_s;
    for (int i = 0; i < count; ++i) text += u' ' + point(m_transform.map(points[i]));
    add(text);
  }
  void drawPoints(const QPointF* points, int count) override {
    drawPolygon(points, count, PolylineMode);
  }
  void drawEllipse(const QRectF& r) override { add(u"ellipse "_s + rect(m_transform.mapRect(r))); }
  void drawPath(const QPainterPath& path) override {
    const QPolygonF outline = path.toFillPolygon();
    drawPolygon(outline.constData(), static_cast<int>(outline.size()), OddEvenMode);
  }
  void drawPixmap(const QRectF& r, const QPixmap& pixmap, const QRectF&) override {
    drawImage(r, pixmap.toImage(), {}, {});
  }
  void drawImage(const QRectF& r, const QImage& image, const QRectF&,
                 Qt::ImageConversionFlags) override {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const QByteArray bits(reinterpret_cast<const char*>(argb.constBits()), argb.sizeInBytes());
    add(u"image "_s + rect(m_transform.mapRect(r)) + u' ' +
        QString::fromLatin1(QCryptographicHash::hash(bits, QCryptographicHash::Md5).toHex()));
  }
  void drawTextItem(const QPointF& p, const QTextItem& item) override {
    // The size, then b for bold and r for text turned on its side.
    add(u"text "_s + point(m_transform.map(p)) + u' ' + number(item.font().pointSizeF()) +
        (item.font().bold() ? u"b"_s : QString()) + (m_transform.m12() != 0 ? u"r "_s : u" "_s) +
        item.text());
  }

  QStringList lines;

 private:
  void add(const QString& command) {
    const QString style = u"pen "_s + m_pen + u" brush "_s + m_brush;
    if (style != m_lastStyle) lines << style;
    m_lastStyle = style;
    lines << command;
  }
  QTransform m_transform;
  QString m_pen = u"none"_s, m_brush = u"none"_s, m_lastStyle;
};

class Page final : public QPaintDevice {
 public:
  Page(int width, int height) : m_width(width), m_height(height) {}
  QPaintEngine* paintEngine() const override { return &recorder; }
  int metric(PaintDeviceMetric metric) const override {
    if (metric == PdmWidth || metric == PdmHeight) return metric == PdmWidth ? m_width : m_height;
    if (metric == PdmDevicePixelRatioScaled) return static_cast<int>(devicePixelRatioFScale());
    return metric == PdmDepth ? 32 : metric == PdmDevicePixelRatio ? 1 : 72;
  }
  mutable Recorder recorder;

 private:
  int m_width, m_height;
};

QString itemStyle(const QBrush& foreground, const QBrush& background, const QFont& font) {
  QString style;
  if (foreground.style() != Qt::NoBrush) style += u" fg "_s + colour(foreground.color());
  if (background.style() != Qt::NoBrush) style += u" bg "_s + colour(background.color());
  if (font.bold()) style += u" bold"_s;
  return style;
}

QString treeRow(const QTreeWidget& tree, const QTreeWidgetItem& item) {
  QStringList cells;
  for (int c = 0; c < tree.columnCount(); ++c) {
    if (tree.isColumnHidden(c)) continue;
    QString cell = item.text(c) + itemStyle(item.foreground(c), item.background(c), item.font(c));
    if (!item.toolTip(c).isEmpty() && item.toolTip(c) != item.text(c))
      cell += u" tip "_s + item.toolTip(c);
    cells << cell;
  }
  return cells.join(u'|');
}

void describeTable(const QTableWidget& table, QStringList& out, const QString& indent) {
  QStringList header;
  for (int c = 0; c < table.columnCount(); ++c) {
    header << (table.horizontalHeaderItem(c) ? table.horizontalHeaderItem(c)->text() : QString());
  }
  out << indent + u"table "_s + header.join(u'|');
  for (int r = 0; r < table.rowCount(); ++r) {
    QStringList cells;
    if (const QTableWidgetItem* label = table.verticalHeaderItem(r)) cells << label->text();
    for (int c = 0; c < table.columnCount(); ++c) {
      const QTableWidgetItem* item = table.item(r, c);
      cells << (item ? item->text().replace(u'\n', u'/') +
                           itemStyle(item->foreground(), item->background(), item->font())
                     : QString());
    }
    out << indent + u"  "_s + cells.join(u'|');
  }
}

// True when the widget was described whole, so that its own children are left alone.
bool describeLeaf(const QWidget& w, QStringList& out, const QString& indent) {
  const QString off = w.isEnabled() ? QString() : u" (disabled)"_s;
  if (const auto* plot = qobject_cast<const QCustomPlot*>(&w)) {
    out << indent + u"plot"_s + off;
    QCustomPlot& drawn = const_cast<QCustomPlot&>(*plot);
    const QString commands = drawing(plot->width(), plot->height(), [&drawn](QCPPainter& painter) {
      drawn.toPainter(&painter, drawn.width(), drawn.height());
    });
    for (const QString& line : commands.split(u'\n')) out << indent + u"  "_s + line;
  } else if (const auto* label = qobject_cast<const QLabel*>(&w)) {
    if (!label->text().isEmpty()) out << indent + u"label "_s + label->text() + off;
  } else if (const auto* button = qobject_cast<const QAbstractButton*>(&w)) {
    const QString state = !button->isCheckable() ? QString()
                          : button->isChecked()  ? u" [x]"_s
                                                 : u" [ ]"_s;
    out << indent + u"button "_s + button->text() + state + off;
  } else if (const auto* edit = qobject_cast<const QLineEdit*>(&w)) {
    out << indent + u"edit "_s + edit->text() + off;
  } else if (const auto* spin = qobject_cast<const QAbstractSpinBox*>(&w)) {
    out << indent + u"spin "_s + spin->text() + off;
  } else if (const auto* combo = qobject_cast<const QComboBox*>(&w)) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    out << indent + u"combo "_s + combo->currentText() + u" of "_s + items.join(u';') + off;
  } else if (const auto* list = qobject_cast<const QListWidget*>(&w)) {
    out << indent + u"list"_s + off;
    for (int i = 0; i < list->count(); ++i) {
      const QListWidgetItem& item = *list->item(i);
      const QString mark = item.isSelected() ? u"* "_s : u"  "_s;
      const QString check = !item.data(Qt::CheckStateRole).isValid() ? QString()
                            : item.checkState() == Qt::Checked       ? u"[x] "_s
                                                                     : u"[ ] "_s;
      out << indent + u"  "_s + mark + check + item.text() +
                 itemStyle(item.foreground(), item.background(), item.font());
    }
  } else if (const auto* tree = qobject_cast<const QTreeWidget*>(&w)) {
    QStringList header;
    for (int c = 0; c < tree->columnCount(); ++c) {
      if (!tree->isColumnHidden(c)) header << tree->headerItem()->text(c);
    }
    out << indent + u"tree "_s + header.join(u'|') + off;
    for (int r = 0; r < tree->topLevelItemCount(); ++r) {
      const QTreeWidgetItem& item = *tree->topLevelItem(r);
      out << indent + (item.isSelected() ? u"* "_s : u"  "_s) + treeRow(*tree, item);
    }
  } else if (const auto* table = qobject_cast<const QTableWidget*>(&w)) {
    describeTable(*table, out, indent);
  } else if (const auto* tabs = qobject_cast<const QTabBar*>(&w)) {
    QStringList names;
    for (int i = 0; i < tabs->count(); ++i) names << tabs->tabText(i);
    out << indent + u"tabs "_s + names.join(u';') + u" at "_s + tabs->tabText(tabs->currentIndex());
  } else if (const auto* calendar = qobject_cast<const QCalendarWidget*>(&w)) {
    out << indent + u"calendar "_s + calendar->selectedDate().toString(Qt::ISODate);
  } else if (qobject_cast<const QAbstractItemView*>(&w) == nullptr &&
             qobject_cast<const QAbstractScrollArea*>(&w) == nullptr) {
    if (const auto* group = qobject_cast<const QGroupBox*>(&w))
      out << indent + u"group "_s + group->title();
    return false;
  }
  return true;
}

void describe(const QWidget& w, QStringList& out, const QString& indent) {
  if (!w.isVisible()) return;
  if (describeLeaf(w, out, indent)) return;
  for (const QWidget* child : w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    describe(*child, out, indent + u"  "_s);
  }
}

}  // namespace

QString visibleState(const QWidget& window) {
  QStringList out{u"window "_s + window.windowTitle()};
  describe(window, out, QString());
  return out.join(u'\n');
}

QString drawing(int width, int height, const std::function<void(QCPPainter&)>& paint) {
  Page page(width, height);
  QCPPainter painter(&page);
  paint(painter);
  painter.end();
  return page.recorder.lines.join(u'\n');
}

void expectGolden(const QString& name, const QString& shown) {
  expectGoldenText(name.toStdString(), shown.toStdString());
}

}  // namespace ostrilo::test
