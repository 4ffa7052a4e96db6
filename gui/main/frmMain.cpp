#include "gui/main/frmMain.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <vector>

#include "core/register/StationRegister.h"
#include "core/table/ATRTable.h"
#include "gui/charts/Plots.h"
#include "gui/checks/frmDataChecks.h"
#include "gui/main/AppIcon.h"
#include "gui/main/DateField.h"
#include "gui/main/ListTools.h"
#include "gui/stats/frmLV.h"
#include "gui/toolkit/CaptionButton.h"
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

const QSize kDesignedSize(px(8115), px(6300));
const QRect kTabRect = twips(0, 720, 8055, 5535);  // SSTab1's, at kDesignedSize

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

  SSTab1 = place(new QTabWidget(this), QStringLiteral("SSTab1"), kTabRect);
  auto* firstPage = new QWidget;
  SSTab1->addTab(firstPage, QStringLiteral("Build or load data table from file"));
  SSTab1->addTab(new QWidget, QStringLiteral("Plots and statistics"));
  createFirstTab(firstPage);
  setTabOrder();
  addLayoutRules();
  setMinimumSize(kDesignedSize);

  // Start state: only the first tab can be brought to the front until a table exists, so the
  // second is only made when a table is filled (ensureSecondTab).
  SSTab1->setTabEnabled(1, false);
  SSTab1->setCurrentIndex(0);
  restoreHolidayChoice();
}

void frmMain::ensureSecondTab() {
  if (lstSta) return;
  QWidget* page = SSTab1->widget(1);
  createPickControls(page);
  createCommandButtons(page);
  createListTools(page);
  setTabOrder();
  addSecondTabLayoutRules();
  cmdLine->setEnabled(false);
  cmdHist->setEnabled(false);
  cmdStat->setEnabled(false);
  cmdAnnual->setEnabled(false);
  showHolidayChoice();
  // Made after the first showing, the page takes the places the others took then.
  if (m_pagesPlaced) {
    placePage(page);
    layoutControls();
  }
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

  // Right of "Add To Existing Table": how Build and Add read a TMG file's lanes.
  chkSumLanes = place(new QCheckBox(QStringLiteral("Sum lanes"), Frame1),
                      QStringLiteral("chkSumLanes"), twips(6240, 870, 1500, 300));
  chkSumLanes->setToolTip(QStringLiteral(
      "TMG files: add the lanes of a direction into one station; an hour counts only when every "
      "lane counted it"));

  connect(cmdATRBrowse, &QPushButton::clicked, this, &frmMain::cmdATRBrowseClick);
  connect(cmdBuildNew, &QPushButton::clicked, this, &frmMain::cmdBuildNewClick);
  connect(cmdAdd2Table, &QPushButton::clicked, this, &frmMain::cmdAdd2TableClick);
  connect(cmdLdBrowse, &QPushButton::clicked, this, &frmMain::cmdLdBrowseClick);
  connect(cmdSave, &QPushButton::clicked, this, &frmMain::cmdSaveClick);
  connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);
}

void frmMain::createPickControls(QWidget* page) {
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
  connect(cmdLine, &QPushButton::clicked, this, &frmMain::cmdLineClick);
  connect(cmdDailyGraph, &QPushButton::clicked, this, &frmMain::cmdDailyGraphClick);
  connect(cmdColorGrid, &QPushButton::clicked, this, &frmMain::cmdColorGridClick);
  connect(cmdHist, &QPushButton::clicked, this, &frmMain::cmdHistClick);
}

void frmMain::createCommandButtons(QWidget* page) {
  cmdStat = button(page, QStringLiteral("cmdStat"), QStringLiteral("Show Statistics"),
                   twips(600, 3960, 1935, 495));
  cmdExport = button(page, QStringLiteral("cmdExport"), QStringLiteral("Export csv file"),
                     twips(2760, 3960, 1935, 495));
  cmdAnnual = button(page, QStringLiteral("cmdAnnual"), QStringLiteral("Annual Figures"),
                     twips(2760, 4560, 1935, 495));

  cmdDataChecks = button(page, QStringLiteral("cmdDataChecks"), QStringLiteral("Data Checks"),
                         twips(600, 4560, 1935, 495));
  cmdDataChecks->setEnabled(false);

  connect(cmdStat, &QPushButton::clicked, this, &frmMain::cmdStatClick);
  connect(cmdExport, &QPushButton::clicked, this, &frmMain::cmdExportClick);
  connect(cmdAnnual, &QPushButton::clicked, this, &frmMain::cmdAnnualClick);
  connect(cmdDataChecks, &QPushButton::clicked, this, &frmMain::cmdDataChecksClick);

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

  // Left of the station list, between the holiday box and "Export Counts...".
  auto* weeklyProfile = button(page, QStringLiteral("cmdWeeklyProfile"),
                               QStringLiteral("Weekly Profile"), twips(120, 2130, 1020, 570));
  weeklyProfile->setToolTip(
      QStringLiteral("The mean hour of each day of week over the picked valid days"));
  connect(weeklyProfile, &QPushButton::clicked, this, &frmMain::cmdWeeklyProfileClick);
}

void frmMain::setTabOrder() {
  // The designed controls keep their order; those added since follow them. Until the second
  // tab is made, its controls are left out (null).
  std::vector<QWidget*> order = {
      SSTab1,        cmdExit,      cmdLine,     cmdHist,      txtATRfileName, cmdATRBrowse,
      cmdBuildNew,   cmdAdd2Table, cmdSave,     txtLoadFile,  cmdLdBrowse,    cmdExport,
      lstDate,       lstSta,       cmbGType,    cmdColorGrid, cmdDailyGraph,  cmdStat,
      cmdDataChecks, cmdAnnual,    cmdStations, cmdReport,    cmbOrder};
  if (m_rangePick) {
    for (const ListFilter* filter : {m_staFilter.get(), m_dateFilter.get()}) {
      order.insert(order.end(), {filter->text, filter->all, filter->none});
    }
    const DateRangePick& range = *m_rangePick;
    order.insert(order.end(), {range.from, range.to});
    order.insert(order.end(), range.days.begin(), range.days.end());
    order.insert(order.end(), {range.pickButton, cmdExportCounts, cmbHolidays});
  }
  order.push_back(chkSumLanes);
  order.push_back(findChild<QPushButton*>(QStringLiteral("cmdWeeklyProfile")));
  std::erase(order, nullptr);
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
  for (int i = 0; i < SSTab1->count(); ++i) placePage(SSTab1->widget(i));
  layoutControls();
}

void frmMain::placePage(const QWidget* page) {
  // The design places the pages' controls relative to the whole tab control, tab strip
  // included; a page starts below the strip, so its controls move up by the page's offset.
  m_layout.shiftChildrenOf(page, -page->mapTo(SSTab1, QPoint(0, 0)));
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
  lblHolidays = label(page, QStringLiteral("lblHolidays"), QStringLiteral("Holidays"),
                      twips(120, 1440, 1020, 255));
  cmbHolidays = new QComboBox(page);
  cmbHolidays->setObjectName(QStringLiteral("cmbHolidays"));
  cmbHolidays->addItem(QStringLiteral("None"), QString());
  cmbHolidays->addItem(QStringLiteral("United States"), QStringLiteral("us"));
  cmbHolidays->addItem(QStringLiteral("Germany \u2013 Berlin"), QStringLiteral("de-be"));
  cmbHolidays->addItem(QStringLiteral("Holiday file..."), QStringLiteral("?"));
  cmbHolidays->view()->setMinimumWidth(px(2400));  // the closed box is narrower than its names
  cmbHolidays->setGeometry(px(120), px(1680), px(1020), cmbHolidays->sizeHint().height());
  connect(cmbHolidays, &QComboBox::activated, this, &frmMain::cmbHolidaysActivated);

  // Under everything, the whole width: the right of the row of "Show Statistics" is kept free
  // for further commands.
  m_summary =
      label(page, QStringLiteral("lblTableSummary"), QString(), twips(120, 5100, 7815, 390));
  m_summary->setWordWrap(true);
  m_summary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void frmMain::addLayoutRules() {
  const std::pair<QWidget*, Edges> rules[] = {
      {Label4, kTopLeft},       {SSTab1, kGrow},           {Frame1, kWiden},
      {txtATRfileName, kWiden}, {cmdATRBrowse, kTopRight}, {cmdBuildNew, kTopLeft},
      {cmdAdd2Table, kTopLeft}, {Frame2, kTopLeft},        {cmdSave, kTopLeft},
      {cmdExit, kTopRight},     {Frame4, kWiden},          {txtLoadFile, kWiden},
      {cmdLdBrowse, kTopRight},
  };
  for (const auto& [control, edges] : rules) m_layout.add(control, edges);
  keepToCorners(SSTab1->widget(0));
}

void frmMain::addSecondTabLayoutRules() {
  constexpr Edges kStationSide{0, 0, 0.5, 0};
  constexpr Edges kSplit{0.5, 0, 0.5, 0};
  constexpr Edges kDateSide{0.5, 0, 1, 0};
  const std::pair<QWidget*, Edges> rules[] = {
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
  keepToCorners(SSTab1->widget(1));
}

void frmMain::keepToCorners(const QWidget* page) {
  // Every other control of a page keeps to the corner it sits in.
  for (QWidget* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (!m_layout.holds(child))
      m_layout.add(child, nearestCorner(child->geometry(), kTabRect.size()));
  }
}

void frmMain::EnablePlotButtons() {
  ensureSecondTab();
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

void frmMain::closeEvent(QCloseEvent* event) {
  m_table = ATRTable();
  m_analysis.invalidate();
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
