#include "gui/main/frmMain.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <exception>
#include <vector>

#include "core/checks/DataChecks.h"
#include "core/commands/Commands.h"
#include "core/export/TableExports.h"
#include "core/register/StationRegister.h"
#include "core/table/ATRTable.h"
#include "core/table/Error.h"
#include "core/table/TableSummary.h"
#include "gui/annual/frmAnnual.h"
#include "gui/charts/Plots.h"
#include "gui/charts/frmGraphH.h"
#include "gui/charts/frmGraphL.h"
#include "gui/charts/frmVolColorGrid.h"
#include "gui/charts/frmWeeklyProfile.h"
#include "gui/checks/frmDataChecks.h"
#include "gui/main/AppIcon.h"
#include "gui/main/DateField.h"
#include "gui/main/FileNameList.h"
#include "gui/main/ListTools.h"
#include "gui/report/StationReport.h"
#include "gui/stats/frmLV.h"
#include "gui/toolkit/CaptionButton.h"
#include "gui/toolkit/RecentFolders.h"
#include "gui/toolkit/SelectionLists.h"
#include "gui/toolkit/TextFormats.h"
#include "gui/toolkit/Toolkit.h"
#include "gui/toolkit/Twips.h"

namespace ostrilo {

namespace {

constexpr int px(int twips) { return twipsToPixels(twips); }
QRect twips(int left, int top, int width, int height) {
  return twipsRect(left, top, width, height);
}

template <typename W>
W* place(W* widget, const QString& name, const QRect& rect) {
  widget->setObjectName(name);
  widget->setGeometry(rect);
  return widget;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& caption, const QRect& rect,
                    const QColor& background = QColor()) {
  auto* b = place(new CaptionButton(caption, parent), name, rect);
  if (background.isValid()) {
    QPalette palette = b->palette();
    palette.setColor(QPalette::Button, background);
    b->setPalette(palette);
  }
  return b;
}

QListWidget* pickList(QWidget* parent, const QString& name, const QRect& rect) {
  auto* list = place(new QListWidget(parent), name, rect);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  QPalette palette = list->palette();
  palette.setColor(QPalette::Base, QColor(255, 255, 192));
  list->setPalette(palette);
  return list;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, const QRect& rect,
              bool bold = false) {
  auto* l = place(new QLabel(text, parent), name, rect);
  if (bold) {
    QFont font = l->font();
    font.setBold(true);
    l->setFont(font);
  }
  return l;
}

const QColor kBrowseColour(255, 224, 192);
const QColor kCommandColour(255, 255, 192);
const QColor kExitColour(192, 255, 255);

const QString kRegisterKey = QStringLiteral("register/lastPath");

const QString kCountFileMissing = QStringLiteral(
    "You must select an ATR data file named: ATRyyyymmddw#.dat.\r\n"
    " Click the Browse button to navigate.");

constexpr unsigned kOpenFlags =
    DialogFlag::kFileMustExist | DialogFlag::kHideReadOnly | DialogFlag::kNoReadOnlyReturn;
constexpr unsigned kTableFileFlags = DialogFlag::kPathMustExist | DialogFlag::kHideReadOnly |
                                     DialogFlag::kNoReadOnlyReturn | DialogFlag::kOverwritePrompt;

// The graph-type box's position, or -1 when the user typed a text that is not the current
// entry's; the plots decide what that draws.
int graphTypeIndex(const QComboBox& box) {
  const int index = box.currentIndex();
  if (index < 0 || box.currentText() != box.itemText(index)) return -1;
  return index;
}

// Notes a window a command opened (none after a refused selection), forgetting closed ones.
void keep(QList<QPointer<QWidget>>& windows, QWidget* opened) {
  windows.removeAll(nullptr);
  if (opened != nullptr) windows << opened;
}

FileDialogSettings tableFileDialog(const QString& title, const QString& initialFileName) {
  return {title,
          QStringLiteral("All files (*.*)|*.*|*.cont files|*.cont"),
          2,
          QStringLiteral("cont"),
          kTableFileFlags,
          initialFileName};
}

const QSize kDesignedSize(px(8115), px(6300));

// The core's progress callback for reading count files: after `delay` it shows a modal dialog
// (file n of N, Cancel) and answers false once Cancel was pressed.
class FileProgressDialog {
 public:
  FileProgressDialog(QWidget* parent, std::chrono::milliseconds delay)
      : m_parent(parent), m_delay(delay) {
    m_clock.start();
  }

  bool operator()(std::size_t fileNumber, std::size_t fileCount) {
    if (!m_dialog && m_clock.elapsed() >= m_delay.count()) {
      m_dialog = std::make_unique<QProgressDialog>(QString(), QStringLiteral("Cancel"), 0,
                                                   static_cast<int>(fileCount), m_parent);
      m_dialog->setObjectName(QStringLiteral("progress"));
      m_dialog->setWindowTitle(kAppTitle);
      // The table must not be touched while it is being replaced.
      m_dialog->setWindowModality(Qt::ApplicationModal);
      m_dialog->setMinimumDuration(0);
      m_dialog->setAutoClose(false);
      m_dialog->setAutoReset(false);
      m_dialog->show();
    }
    if (!m_dialog) return true;
    if (fileNumber <= fileCount) {
      m_dialog->setLabelText(
          QStringLiteral("Reading count file %1 of %2").arg(fileNumber).arg(fileCount));
    }
    m_dialog->setValue(static_cast<int>(fileNumber - 1));
    // The work runs on this thread; without this the dialog would neither draw nor see Cancel.
    QCoreApplication::processEvents();
    return !m_dialog->wasCanceled();
  }

 private:
  QWidget* m_parent;
  std::chrono::milliseconds m_delay;
  QElapsedTimer m_clock;
  std::unique_ptr<QProgressDialog> m_dialog;
};

QString counted(qint64 n, const QString& one, const QString& many, const QLocale& locale) {
  return locale.toString(n) + u' ' + (n == 1 ? one : many);
}

QString summaryText(const TableSummary& summary, const CheckResults& checks,
                    const QLocale& locale) {
  const DayCounts days = checks.dayCounts();
  QString dates = counted(summary.dates, QStringLiteral("date"), QStringLiteral("dates"), locale);
  if (summary.firstDate && summary.lastDate) {
    const auto day = [&locale](DateNumber d) {
      const CivilDate c = civilFromDate(d);
      return locale.toString(QDate(c.year, c.month, c.day), fullYearDateFormat(locale));
    };
    dates += QStringLiteral(", %1 to %2").arg(day(*summary.firstDate), day(*summary.lastDate));
  }
  return QStringList{
      counted(summary.stations, QStringLiteral("station"), QStringLiteral("stations"), locale),
      dates,
      counted(summary.completeDays, QStringLiteral("complete day"), QStringLiteral("complete days"),
              locale) +
          QStringLiteral(" (%1 with a critical fault)").arg(locale.toString(days.faulty)),
      counted(days.incomplete, QStringLiteral("incomplete day"), QStringLiteral("incomplete days"),
              locale),
      counted(summary.hoursNotCounted, QStringLiteral("hour not counted"),
              QStringLiteral("hours not counted"), locale),
      counted(days.warning, QStringLiteral("warning day"), QStringLiteral("warning days"), locale)}
      .join(QStringLiteral("; "));
}

}  // namespace

frmMain::frmMain(ATRTable& table, Toolkit& toolkit, QWidget* parent)
    : QWidget(parent), m_table(table), m_toolkit(toolkit) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(QStringLiteral("Ostrilo for ATRyyyymmdd.dat files"));
  setWindowIcon(appIcon());
  resize(kDesignedSize);
  // The places and sizes were designed for an 8.25-point face; a larger default font would
  // not fit the captions.
  QFont windowFont = font();
  windowFont.setPointSizeF(8.25);
  setFont(windowFont);

  Label4 = label(this, QStringLiteral("Label4"), QStringLiteral("Ostrilo V2"),
                 twips(240, 120, 3615, 375));
  QFont headingFont = Label4->font();
  headingFont.setItalic(true);
  headingFont.setPointSize(18);
  Label4->setFont(headingFont);
  QPalette headingPalette = Label4->palette();
  headingPalette.setColor(QPalette::WindowText, QColor(128, 0, 0));
  Label4->setPalette(headingPalette);

  SSTab1 = place(new QTabWidget(this), QStringLiteral("SSTab1"), twips(0, 720, 8055, 5535));
  auto* firstPage = new QWidget;
  auto* secondPage = new QWidget;
  SSTab1->addTab(firstPage, QStringLiteral("Build or load data table from file"));
  SSTab1->addTab(secondPage, QStringLiteral("Plots and statistics"));
  createFirstTab(firstPage);
  createSecondTab(secondPage);
  createListTools(secondPage);
  createDataChecksButton(secondPage);
  setTabOrder();
  createLayout();
  setMinimumSize(kDesignedSize);

  // Start state: only the first tab can be brought to the front until a table exists.
  cmdLine->setEnabled(false);
  cmdHist->setEnabled(false);
  cmdStat->setEnabled(false);
  cmdAnnual->setEnabled(false);
  SSTab1->setTabEnabled(1, false);
  SSTab1->setCurrentIndex(0);
}

void frmMain::createFirstTab(QWidget* page) {
  Frame1 = place(new QGroupBox(QStringLiteral("Enter a continuous count file name: "
                                              "\"ATRyyyymmddw#.dat\" with full path"),
                               page),
                 QStringLiteral("Frame1"), twips(120, 600, 7815, 1455));
  txtATRfileName =
      place(new QLineEdit(Frame1), QStringLiteral("txtATRfileName"), twips(120, 240, 6495, 315));
  cmdATRBrowse = button(Frame1, QStringLiteral("cmdATRBrowse"), QStringLiteral("Browse"),
                        twips(6720, 240, 975, 375), kBrowseColour);
  cmdBuildNew = button(Frame1, QStringLiteral("cmdBuildNew"), QStringLiteral("Build New Table"),
                       twips(480, 720, 2775, 615), kCommandColour);
  cmdAdd2Table =
      button(Frame1, QStringLiteral("cmdAdd2Table"), QStringLiteral("Add To Existing Table"),
             twips(3480, 720, 2655, 615), kCommandColour);

  Frame2 =
      place(new QGroupBox(QStringLiteral("Save the current table into a \"*.cont\" file"), page),
            QStringLiteral("Frame2"), twips(240, 2280, 3735, 1095));
  cmdSave = button(Frame2, QStringLiteral("cmdSave"), QStringLiteral("Save"),
                   twips(600, 240, 2295, 735), kCommandColour);

  cmdExit = button(page, QStringLiteral("cmdExit"), QStringLiteral("Exit"),
                   twips(6480, 2520, 1335, 615), kExitColour);

  Frame4 = place(
      new QGroupBox(QStringLiteral("Load the preconstructed ATR table : \"*.cont\" file"), page),
      QStringLiteral("Frame4"), twips(240, 3600, 7695, 975));
  txtLoadFile =
      place(new QLineEdit(Frame4), QStringLiteral("txtLoadFile"), twips(120, 360, 6375, 375));
  cmdLdBrowse = button(Frame4, QStringLiteral("cmdLdBrowse"), QStringLiteral("Load *.cont"),
                       twips(6600, 240, 855, 615), kBrowseColour);

  connect(cmdATRBrowse, &QPushButton::clicked, this, &frmMain::cmdATRBrowseClick);
  connect(cmdBuildNew, &QPushButton::clicked, this, &frmMain::cmdBuildNewClick);
  connect(cmdAdd2Table, &QPushButton::clicked, this, &frmMain::cmdAdd2TableClick);
  connect(cmdLdBrowse, &QPushButton::clicked, this, &frmMain::cmdLdBrowseClick);
  connect(cmdSave, &QPushButton::clicked, this, &frmMain::cmdSaveClick);
  connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);
}

void frmMain::createSecondTab(QWidget* page) {
  Label11 = label(page, QStringLiteral("Label11"), QStringLiteral("Select Station(s)"),
                  twips(1200, 720, 1815, 255), true);
  Label9 = label(page, QStringLiteral("Label9"), QStringLiteral("Select Date(s) "),
                 twips(3360, 720, 1455, 255), true);
  Label1 = label(page, QStringLiteral("Label1"), QStringLiteral("Pick graph type"),
                 twips(5520, 720, 1455, 255));
  lstSta = pickList(page, QStringLiteral("lstSta"), twips(1200, 960, 1455, 2400));
  lstDate = pickList(page, QStringLiteral("lstDate"), twips(3120, 960, 1575, 2400));

  cmbGType = new QComboBox(page);
  cmbGType->setObjectName(QStringLiteral("cmbGType"));
  cmbGType->setEditable(true);
  cmbGType->setInsertPolicy(QComboBox::NoInsert);
  cmbGType->addItems({QStringLiteral("Line"), QStringLiteral("Bar"), QStringLiteral("HorizBar"),
                      QStringLiteral("Area"), QStringLiteral("Point")});
  cmbGType->setCurrentIndex(-1);
  cmbGType->setGeometry(px(5520), px(960), px(1455), cmbGType->sizeHint().height());

  cmdLine = button(page, QStringLiteral("cmdLine"), QStringLiteral("Hourly Graph"),
                   twips(5280, 1320, 2055, 495));
  cmdDailyGraph = button(page, QStringLiteral("cmdDailyGraph"), QStringLiteral("Daily Graph"),
                         twips(5280, 1920, 2055, 495));
  cmdColorGrid = button(page, QStringLiteral("cmdColorGrid"),
                        QStringLiteral("Hourly Color-Grid Graph"), twips(5280, 2520, 2055, 615));
  cmdHist = button(page, QStringLiteral("cmdHist"), QStringLiteral("Histogram"),
                   twips(5280, 3360, 2055, 615));
  cmdStat = button(page, QStringLiteral("cmdStat"), QStringLiteral("Show Statistics"),
                   twips(600, 3960, 1935, 495));
  cmdExport = button(page, QStringLiteral("cmdExport"), QStringLiteral("Export csv file"),
                     twips(2760, 3960, 1935, 495));
  cmdAnnual = button(page, QStringLiteral("cmdAnnual"), QStringLiteral("Annual Figures"),
                     twips(2760, 4560, 1935, 495));

  connect(cmdStat, &QPushButton::clicked, this, &frmMain::cmdStatClick);
  connect(cmdExport, &QPushButton::clicked, this, &frmMain::cmdExportClick);
  connect(cmdLine, &QPushButton::clicked, this, &frmMain::cmdLineClick);
  connect(cmdDailyGraph, &QPushButton::clicked, this, &frmMain::cmdDailyGraphClick);
  connect(cmdColorGrid, &QPushButton::clicked, this, &frmMain::cmdColorGridClick);
  connect(cmdHist, &QPushButton::clicked, this, &frmMain::cmdHistClick);
  connect(cmdAnnual, &QPushButton::clicked, this, &frmMain::cmdAnnualClick);

  // Beside "Annual Figures", under the graph column.
  cmdStations = button(page, QStringLiteral("cmdStations"), QStringLiteral("Stations..."),
                       twips(5280, 4560, 2055, 495));
  cmdStations->setToolTip(QStringLiteral("Load a station register: names for the station ids"));
  connect(cmdStations, &QPushButton::clicked, this, &frmMain::cmdStationsClick);

  // Under "Histogram", above "Stations...".
  cmdReport = button(page, QStringLiteral("cmdReport"), QStringLiteral("Report..."),
                     twips(5280, 4020, 2055, 450));
  cmdReport->setToolTip(QStringLiteral("A PDF with a page per picked station"));
  cmdReport->setEnabled(false);
  connect(cmdReport, &QPushButton::clicked, this, &frmMain::cmdReportClick);

  // Left of the station list, above "Export Counts...".
  auto* weeklyProfile = button(page, QStringLiteral("cmdWeeklyProfile"),
                               QStringLiteral("Weekly Profile"), twips(120, 2040, 1020, 600));
  weeklyProfile->setToolTip(
      QStringLiteral("The mean hour of each day of week over the picked valid days"));
  connect(weeklyProfile, &QPushButton::clicked, this, [this] {
    keep(m_colorGrids,
         PlotWeeklyProfile(m_toolkit, this, m_table, listSelection(), m_register.get()));
  });
}

void frmMain::setTabOrder() {
  // The designed controls keep their order; those added since follow them.
  std::vector<QWidget*> order = {
      SSTab1,        cmdExit,      cmdLine,     cmdHist,      txtATRfileName, cmdATRBrowse,
      cmdBuildNew,   cmdAdd2Table, cmdSave,     txtLoadFile,  cmdLdBrowse,    cmdExport,
      lstDate,       lstSta,       cmbGType,    cmdColorGrid, cmdDailyGraph,  cmdStat,
      cmdDataChecks, cmdAnnual,    cmdStations, cmdReport,    cmbOrder};
  for (const ListFilter* filter : {m_staFilter.get(), m_dateFilter.get()}) {
    order.insert(order.end(), {filter->text, filter->all, filter->none});
  }
  const DateRangePick& range = *m_rangePick;
  order.insert(order.end(), {range.from, range.to});
  order.insert(order.end(), range.days.begin(), range.days.end());
  order.insert(order.end(), {range.pickButton, cmdExportCounts});
  order.push_back(findChild<QPushButton*>(QStringLiteral("cmdWeeklyProfile")));
  for (std::size_t i = 0; i + 1 < order.size(); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
}

void frmMain::showEvent(QShowEvent* event) {
  placeTabPages();
  QWidget::showEvent(event);
}

frmMain::~frmMain() = default;

void frmMain::placeTabPages() {
  if (m_pagesPlaced) return;
  m_pagesPlaced = true;
  // The design places the pages' controls relative to the whole tab control, tab strip
  // included; a page starts below the strip, so its controls move up by the page's offset.
  for (int i = 0; i < SSTab1->count(); ++i) {
    QWidget* page = SSTab1->widget(i);
    m_layout.shiftChildrenOf(page, -page->mapTo(SSTab1, QPoint(0, 0)));
  }
  layoutControls();
}

void frmMain::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Before the first showing the pages' offsets are not known yet; showing places everything.
  if (m_pagesPlaced) layoutControls();
}

void frmMain::layoutControls() { m_layout.apply(size() - kDesignedSize); }

void frmMain::createListTools(QWidget* page) {
  // The filter rows fill the strip between the tab's captions and the lists' headings.
  m_staFilter = std::make_unique<ListFilter>(*lstSta, page, QStringLiteral("Sta"));
  m_staFilter->text->setGeometry(twips(1200, 375, 750, 300));
  m_staFilter->all->setGeometry(twips(1980, 375, 375, 300));
  m_staFilter->none->setGeometry(twips(2385, 375, 480, 300));
  m_dateFilter = std::make_unique<ListFilter>(*lstDate, page, QStringLiteral("Date"), true);
  m_dateFilter->text->setGeometry(twips(3120, 375, 900, 300));
  m_dateFilter->all->setGeometry(twips(4050, 375, 375, 300));
  m_dateFilter->none->setGeometry(twips(4455, 375, 480, 300));

  m_rangePick = std::make_unique<DateRangePick>(*lstDate, page);
  DateRangePick& range = *m_rangePick;  // between the lists and "Show Statistics"
  range.fromLabel->setGeometry(twips(600, 3420, 420, 270));
  range.from->setGeometry(twips(1050, 3390, 1380, 300));
  range.toLabel->setGeometry(twips(2490, 3420, 210, 270));
  range.to->setGeometry(twips(2730, 3390, 1380, 300));
  range.pickButton->setGeometry(twips(4200, 3390, 600, 300));
  for (std::size_t i = 0; i < range.days.size(); ++i) {
    range.days[i]->setGeometry(twips(600 + 645 * static_cast<int>(i), 3705, 630, 240));
  }

  // Left of the station list, free in the design: the lists' order, and the export of the
  // counts themselves.
  lblOrder = label(page, QStringLiteral("lblOrder"), QStringLiteral("List order"),
                   twips(120, 720, 1020, 255));
  cmbOrder = new QComboBox(page);
  cmbOrder->setObjectName(QStringLiteral("cmbOrder"));
  cmbOrder->addItems(
      {QStringLiteral("By id"), QStringLiteral("By name"), QStringLiteral("Table order")});
  cmbOrder->setToolTip(QStringLiteral(
      "Stations by id or by name, dates by the calendar; or both in the table's own order"));
  cmbOrder->setGeometry(px(120), px(960), px(1020), cmbOrder->sizeHint().height());
  connect(cmbOrder, &QComboBox::currentIndexChanged, this, &frmMain::applyListOrder);
  cmdExportCounts = button(page, QStringLiteral("cmdExportCounts"),
                           QStringLiteral("Export Counts..."), twips(120, 2760, 1020, 600));
  cmdExportCounts->setToolTip(QStringLiteral(
      "The picked stations' and dates' counts: the hourly table or the daily totals"));
  cmdExportCounts->setEnabled(false);
  connect(cmdExportCounts, &QPushButton::clicked, this, &frmMain::cmdExportCountsClick);

  // Under everything, the whole width: the right of the row of "Show Statistics" is kept free
  // for further commands.
  m_summary =
      label(page, QStringLiteral("lblTableSummary"), QString(), twips(120, 5100, 7815, 390));
  m_summary->setWordWrap(true);
  m_summary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void frmMain::createLayout() {
  constexpr Edges kStationSide{0, 0, 0.5, 0};
  constexpr Edges kSplit{0.5, 0, 0.5, 0};
  constexpr Edges kDateSide{0.5, 0, 1, 0};
  const std::pair<QWidget*, Edges> rules[] = {
      {Label4, kTopLeft},
      {SSTab1, kGrow},
      {Frame1, kWiden},
      {txtATRfileName, kWiden},
      {cmdATRBrowse, kTopRight},
      {cmdBuildNew, kTopLeft},
      {cmdAdd2Table, kTopLeft},
      {Frame2, kTopLeft},
      {cmdSave, kTopLeft},
      {cmdExit, kTopRight},
      {Frame4, kWiden},
      {txtLoadFile, kWiden},
      {cmdLdBrowse, kTopRight},
      // The two lists share the growth; what sits above or below a list goes with it.
      {Label11, kTopLeft},
      {Label9, kSplit},
      {lstSta, {0, 0, 0.5, 1}},
      {lstDate, {0.5, 0, 1, 1}},
      {m_staFilter->text, kStationSide},
      {m_staFilter->all, kSplit},
      {m_staFilter->none, kSplit},
      {m_dateFilter->text, kDateSide},
      {m_dateFilter->all, kTopRight},
      {m_dateFilter->none, kTopRight},
      {m_summary, {0, 1, 1, 1}},
      {m_rangePick->fromLabel, kBottomLeft},
      {m_rangePick->from, kBottomLeft},
      {m_rangePick->toLabel, kBottomLeft},
      {m_rangePick->to, kBottomLeft},
      {m_rangePick->pickButton, kBottomLeft},
      // The graph column stays together at the top right, although its last button lies in
      // the lower half.
      {Label1, kTopRight},
      {cmbGType, kTopRight},
      {cmdLine, kTopRight},
      {cmdDailyGraph, kTopRight},
      {cmdColorGrid, kTopRight},
      {cmdHist, kTopRight},
  };
  for (const auto& [control, edges] : rules) m_layout.add(control, edges);
  for (QCheckBox* day : m_rangePick->days) m_layout.add(day, kBottomLeft);
  // Every other control of a page keeps to the corner it sits in.
  for (int i = 0; i < SSTab1->count(); ++i) {
    for (QWidget* child : SSTab1->widget(i)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (!m_layout.holds(child)) {
        m_layout.add(child, nearestCorner(child->geometry(), SSTab1->size()));
      }
    }
  }
}

void frmMain::showTableSummary() {
  QString text = summaryText(SummarizeTable(m_table), RunDataChecks(m_table), displayLocale());
  if (m_register) {
    text +=
        QLatin1Char('\n') + fromCoreText(registerSummary(*m_register, m_table.ulstName().values()));
  }
  m_summary->setText(text);
  m_summary->setToolTip(text);  // the designed size shows two lines of it
}

void frmMain::EnablePlotButtons() {
  cmdLine->setEnabled(true);
  cmdHist->setEnabled(true);
  cmdStat->setEnabled(true);
  cmdDataChecks->setEnabled(true);
  cmdAnnual->setEnabled(true);
  cmdReport->setEnabled(true);
  cmdExportCounts->setEnabled(true);
}

void frmMain::warn(const QString& text) {
  m_toolkit.showMessage(this, text, MessageIcon::Exclamation, kWarningTitle);
}

void frmMain::inform(const QString& text) {
  m_toolkit.showMessage(this, text, MessageIcon::Information, kAppTitle);
}

bool frmMain::attempt(const std::function<void()>& work) {
  try {
    work();
    return true;
  } catch (const std::exception& e) {
    // A failed command changed nothing, so the window still shows the table; a silent failure
    // would look like success.
    warn(fromCoreText(e.what()));
    return false;
  }
}

PlotSelection frmMain::listSelection() const { return selectionFromLists(*lstSta, *lstDate); }

void frmMain::cmdATRBrowseClick() {
  const FileDialogSettings settings{QStringLiteral("Select a ATRyyyymmdds#.dat file"),
                                    QStringLiteral("All files (*.*)|*.*|ATR*.dat files|ATR*.dat|"
                                                   "TMG volume files|*.vol;*.VOL"),
                                    2,
                                    QStringLiteral("dat"),
                                    kOpenFlags,
                                    inLastFolder(FileKind::CountFiles, QString())};
  if (const auto paths = m_toolkit.openFileNames(this, settings); paths && !paths->isEmpty()) {
    txtATRfileName->setText(fileNameListText(*paths));
    rememberFolder(FileKind::CountFiles, paths->constFirst());
  }
}

void frmMain::cmdBuildNewClick() { fillFromCountFiles(false); }

void frmMain::cmdAdd2TableClick() { fillFromCountFiles(true); }

void frmMain::fillFromCountFiles(bool add) {
  const QStringList names = fileNamesInText(txtATRfileName->text());
  if (names.contains(QString())) {
    warn(kCountFileMissing);
    return;
  }
  std::vector<std::string> paths;
  for (const QString& name : names) paths.push_back(toFsPath(name));
  bool done = false;
  const TableSummary before = SummarizeTable(m_table);
  FileProgressDialog progress(this, m_progressDelay);
  if (!attempt([&] {
        done = FillFromCountFiles(m_table, paths, add ? FillMode::Add : FillMode::Build,
                                  std::ref(progress));
      }) ||
      !done) {
    return;
  }
  if (!add) m_sourceFiles.clear();
  m_sourceFiles.insert(m_sourceFiles.end(), paths.begin(), paths.end());
  refillLists(add);
  inform(fillReport(add, before, paths.size(), countFileLines(paths)));
  tableFilled();
}

void frmMain::cmdLdBrowseClick() {
  const QString typed = txtLoadFile->text();
  const auto path = m_toolkit.openFileName(
      this, tableFileDialog(QStringLiteral("Select a *.cont file"),
                            typed.isEmpty() ? inLastFolder(FileKind::TableFile, typed) : typed));
  if (!path) return;
  txtLoadFile->setText(*path);
  rememberFolder(FileKind::TableFile, *path);
  if (!attempt([&] { LoadTableFile(m_table, toFsPath(*path)); })) return;
  m_sourceFiles = {toFsPath(*path)};
  refillLists(false);
  inform(QStringLiteral("Loading done. \r\n") + fromCoreText(escapeName(toFsPath(*path))));
  tableFilled();
}

void frmMain::cmdSaveClick() {
  const auto path = m_toolkit.saveFileName(
      this, tableFileDialog(QStringLiteral("Select the output *.cont file"), proposedTableName()));
  if (!path) return;
  txtLoadFile->setText(*path);
  if (!attempt([&] { SaveTableFile(m_table, toFsPath(*path)); })) return;
  rememberFolder(FileKind::TableFile, *path);
  inform(QStringLiteral("Saved %1 (%2 bytes).")
             .arg(*path, displayLocale().toString(QFileInfo(*path).size())));
}

ExportSources frmMain::exportSources() const { return {m_sourceFiles, m_register}; }

void frmMain::cmdLineClick() {
  keep(m_lineGraphs, PlotHourlyVol(m_toolkit, this, m_table, listSelection(),
                                   graphTypeIndex(*cmbGType), m_register.get()));
}

void frmMain::cmdDailyGraphClick() {
  keep(m_lineGraphs, PlotDailyVol(m_toolkit, this, m_table, listSelection(),
                                  graphTypeIndex(*cmbGType), m_register.get()));
}

void frmMain::cmdColorGridClick() {
  keep(m_colorGrids, PlotVolColorGrid(m_toolkit, this, m_table, listSelection(), m_register.get()));
}

void frmMain::cmdHistClick() {
  keep(m_histograms, PlotVolHistogram(m_toolkit, this, m_table, listSelection(), m_register.get()));
}

void frmMain::createDataChecksButton(QWidget* page) {
  cmdDataChecks = button(page, QStringLiteral("cmdDataChecks"), QStringLiteral("Data Checks"),
                         twips(600, 4560, 1935, 495));
  cmdDataChecks->setEnabled(false);
  connect(cmdDataChecks, &QPushButton::clicked, this, &frmMain::cmdDataChecksClick);
}

void frmMain::cmdDataChecksClick() {
  const PlotSelection selection = selectionFromLists(*lstSta, *lstDate);
  if (!checkSelectionOrWarn(m_toolkit, this, selection)) return;
  if (!m_checksWindow) {
    m_checksWindow = new frmDataChecks(m_toolkit);
    connect(m_checksWindow, &frmDataChecks::hourlyGraphRequested, this, &frmMain::plotDaysAround);
    connect(m_checksWindow, &frmDataChecks::episodeGraphRequested, this,
            [this](const std::string& station, const std::vector<DaySpan>& spans) {
              keep(m_lineGraphs, PlotHourlyVol(m_toolkit, this, m_table,
                                               selectionOverSpans(m_table, station, spans),
                                               graphTypeIndex(*cmbGType), m_register.get()));
            });
  }
  m_checksWindow->setExportAbout(
      aboutSelection(m_table, selection, m_sourceFiles, m_register.get()), m_register);
  m_checksWindow->ShowTable(m_table, selection, displayLocale());
  m_checksWindow->show();
  m_checksWindow->raise();
}

void frmMain::plotDaysAround(const std::string& station, DateNumber day) {
  keep(m_lineGraphs, PlotDaysAround(m_toolkit, this, m_table, station, day,
                                    graphTypeIndex(*cmbGType), m_register.get()));
}

void frmMain::cmdAnnualClick() {
  keep(m_annualWindows, ShowAnnualFigures(m_toolkit, this, m_table,
                                          selectionFromLists(*lstSta, *lstDate), exportSources()));
}

void frmMain::cmdReportClick() {
  const PlotSelection selection = listSelection();
  if (!checkSelectionOrWarn(m_toolkit, this, selection)) return;
  const FileDialogSettings settings{QStringLiteral("Select the report *.pdf file"),
                                    QStringLiteral("All files (*.*)|*.*|*.pdf files|*.pdf"),
                                    2,
                                    QStringLiteral("pdf"),
                                    DialogFlag::kPathMustExist | DialogFlag::kHideReadOnly |
                                        DialogFlag::kNoReadOnlyReturn |
                                        DialogFlag::kOverwritePrompt,
                                    inLastFolder(FileKind::Report, QStringLiteral("report.pdf"))};
  const auto path = m_toolkit.saveFileName(this, settings);
  if (!path) return;
  rememberFolder(FileKind::Report, *path);
  if (attempt([&] {
        writeStationReport(toFsPath(*path), m_table, selection, m_sourceFiles, m_register.get());
      })) {
    inform(QStringLiteral("Done."));
  }
}

void frmMain::cmdStationsClick() {
  const FileDialogSettings settings{
      QStringLiteral("Select a station register *.csv file"),
      QStringLiteral("All files (*.*)|*.*|*.csv files|*.csv"),
      2,
      QStringLiteral("csv"),
      kOpenFlags,
      QSettings(kSettingsOrganisation, kSettingsApplication).value(kRegisterKey).toString()};
  if (const auto path = m_toolkit.openFileName(this, settings)) LoadRegister(*path);
}

bool frmMain::LoadRegister(const QString& path) {
  std::shared_ptr<const StationRegister> loaded;
  if (!attempt([&] {
        loaded = std::make_shared<const StationRegister>(StationRegister::load(toFsPath(path)));
      })) {
    return false;
  }
  m_register = std::move(loaded);
  QSettings(kSettingsOrganisation, kSettingsApplication).setValue(kRegisterKey, path);
  rememberFolder(FileKind::Register, path);
  // A register that names stations sorts the list by name, unless the table's order was chosen.
  const bool named = std::any_of(m_register->entries().begin(), m_register->entries().end(),
                                 [](const StationEntry& e) { return !e.name.empty(); });
  if (named && cmbOrder->currentIndex() == 0) {
    cmbOrder->setCurrentIndex(1);  // applies the order
  } else if (stationListOrder() == StationOrder::Name) {
    applyListOrder();
  } else {
    showStationNames();
  }
  showTableSummary();
  return true;
}

void frmMain::showStationNames() {
  // Only the texts change: the entries keep their rows, so selections and filters stay.
  for (int i = 0; i < lstSta->count(); ++i) {
    QListWidgetItem& item = *lstSta->item(i);
    const QVariant kept = item.data(kStationIdRole);
    const QString id = kept.isValid() ? kept.toString() : item.text();
    const std::string_view name =
        m_register ? m_register->name(id.toLatin1().toStdString()) : std::string_view();
    item.setData(kStationIdRole, name.empty() ? QVariant() : QVariant(id));
    item.setText(name.empty() ? id : id + QStringLiteral("  ") + fromCoreText(std::string(name)));
  }
  m_staFilter->apply();
}

void frmMain::refillLists(bool selectFirst) {
  const ATRTable& table = m_table;
  lstSta->clear();
  for (const std::int32_t i : stationOrder(table, stationListOrder(), m_register.get())) {
    auto* item = new QListWidgetItem(stationText(table.StaNamebyIndex(i)), lstSta);
    item->setData(kTableIndexRole, i);
  }
  showStationNames();
  // Add picks the table's first entries, wherever the list shows them.
  const auto pickFirst = [](QListWidget& list) {
    for (int row = 0; row < list.count(); ++row) {
      if (tableIndexOf(list, row) == 0) list.setCurrentRow(row);
    }
  };
  if (selectFirst) pickFirst(*lstSta);

  const QLocale locale = displayLocale();
  lstDate->clear();
  for (const std::int32_t i : dateOrder(table, stationListOrder() != StationOrder::Table)) {
    const DateNumber date = table.DatebyIndex(i);
    auto* item = new QListWidgetItem(dateEntryText(date, locale), lstDate);
    const CivilDate civil = civilFromDate(date);
    item->setData(kEntryDateRole, QDate(civil.year, civil.month, civil.day));
    item->setData(kTableIndexRole, i);
  }
  if (selectFirst) pickFirst(*lstDate);
  m_staFilter->apply();
  m_dateFilter->apply();
  m_rangePick->reset(locale);

  cmbGType->setCurrentIndex(0);
}

void frmMain::tableFilled() {
  SSTab1->setTabEnabled(1, true);
  EnablePlotButtons();
  showTableSummary();
}

void frmMain::closeEvent(QCloseEvent* event) {
  m_table = ATRTable();
  // The other windows have no owner, so they would outlive this one and keep the program
  // running; close them in a fixed order, then this one.
  for (const auto* kind : {&m_histograms, &m_lineGraphs, &m_colorGrids}) {
    for (const QPointer<QWidget>& window : *kind) {
      if (window) window->close();
    }
  }
  if (m_statsWindow) m_statsWindow->close();
  if (m_checksWindow) m_checksWindow->close();
  for (const QPointer<QWidget>& window : m_annualWindows) {
    if (window) window->close();
  }
  event->accept();
}

}  // namespace ostrilo
