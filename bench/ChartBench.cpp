// ostrilo_chart_bench: times the charts of a full selection at the table's size limit (100
// stations x 327 dates, 784,800 hourly values): the chart content alone, the whole plot command
// up to the first image, and a pan of an open chart; and at year scale, with hours missing: the
// hourly graph of 20 stations and the colour grid of 231 stations over the 8,760 hours of 2023.
// Prints the ratios of the medians at the end. See bench/README.md.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <qcustomplot.h>
#include <unistd.h>

#include <QApplication>
#include <QPixmap>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "bench/BenchInputs.h"
#include "bench/MedianReporter.h"
#include "core/charts/ChartData.h"
#include "core/checks/DataChecks.h"
#include "core/selection/PlotSelection.h"
#include "core/table/ATRTable.h"
#include "gui/charts/ChartWindow.h"
#include "gui/charts/Plots.h"
#include "gui/charts/frmGraphH.h"
#include "gui/charts/frmGraphL.h"
#include "gui/charts/frmVolColorGrid.h"
#include "gui/toolkit/Toolkit.h"
#include "tools/countgen/CountGenerator.h"

namespace {

using ostrilo::ATRTable;
using ostrilo::ChartWindow;
using ostrilo::PlotSelection;

constexpr int kRepetitions = 9;
constexpr int kLineGraphType = 0;  // the graph-type box's first entry: lines
constexpr double kPanFraction = 0.1;
constexpr double kPanGoalMs = 50;
constexpr double kDataShareGoal = 0.1;
// The size of the line-graph window; the pans are drawn at it for both charts.
constexpr int kImageWidth = 571;
constexpr int kImageHeight = 313;

// A selection that passes the check never reaches the toolkit; this one keeps a surprise silent.
class SilentToolkit final : public ostrilo::Toolkit {
 public:
  void showMessage(QWidget*, const QString&, ostrilo::MessageIcon, const QString&) override {}
  std::optional<QString> openFileName(QWidget*, const ostrilo::FileDialogSettings&) override {
    return std::nullopt;
  }
  std::optional<QString> saveFileName(QWidget*, const ostrilo::FileDialogSettings&) override {
    return std::nullopt;
  }
};

// Every station and every date selected, the first of each current, as the lists give it.
PlotSelection selectEverything(const ATRTable& table) {
  PlotSelection selection;
  selection.stations.selected.assign(static_cast<std::size_t>(table.StaCount()), true);
  selection.dates.selected.assign(static_cast<std::size_t>(table.DateCount()), true);
  for (std::int32_t i = 0; i < table.StaCount(); ++i) {
    selection.stations.texts.push_back(table.StaNamebyIndex(i));
  }
  return selection;
}

// Page faults cost several microseconds each on this kind of virtual machine, so whether a
// chart's megabytes come from memory the allocator kept or from fresh pages can change a time
// tenfold, and glibc's own choice between the two depends on what ran before. Both are pinned
// instead: by default freed memory stays with the allocator (a chart drawn again), with --cold
// it goes back to the system before every iteration (the first chart in a fresh process). The
// application runs between the two.
bool g_cold = false;

void pinAllocator() {
  if (g_cold) return;
  // The largest threshold glibc accepts: the chart's biggest blocks (12.5 MB) stay in the heap.
  ::mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  ::mallopt(M_TRIM_THRESHOLD, 1 << 30);
}

// Called while the clock stands, after the previous iteration's memory was freed.
void settleMemory() {
  if (g_cold) ::malloc_trim(0);
}

// What the benchmarks share; lives until the end of main.
struct ChartInputs {
  ATRTable table;
  PlotSelection selection;
  ostrilo::CheckResults checks;  // of table, as the grid's command runs them before its data
  SilentToolkit toolkit;
  // A year of 20 stations, all selected, and the colour grid of a year of 231 stations.
  ATRTable yearTable;
  PlotSelection yearSelection;
  ostrilo::ColorGrid yearGrid;
};

constexpr int kYearDays = 365;
constexpr int kYearGraphStations = 20;
constexpr int kYearGridStations = 231;
// Stations per table of the grid: 77 x 365 = 28,105 records fit one table.
constexpr int kGridStationsPerTable = 77;

// A year (2023) of generated counts with hours missing as real counters lose them: one
// half-day line in 29 left out, and each station's whole 30 days from a day of its own, as an
// outage would be.
std::string yearWithGaps(int firstStation, int stations) {
  ostrilo::countgen::CountFileRequest request;
  request.firstDate = {2023, 1, 1};
  request.days = kYearDays;
  request.stationCount = stations;
  request.firstStation = firstStation;
  const std::string text = ostrilo::countgen::generateCountFile(request);
  std::string kept;
  kept.reserve(text.size());
  constexpr int kLinesPerStation = kYearDays * 2;
  std::size_t from = 0;
  for (int line = 0; from < text.size(); ++line) {
    const std::size_t end = text.find('\n', from) + 1;
    const int station = line / kLinesPerStation;
    const int day = line % kLinesPerStation / 2;
    const int outage = (station * 37) % (kYearDays - 30);
    if (line % 29 != 0 && (day < outage || day >= outage + 30)) {
      kept.append(text, from, end - from);
    }
    from = end;
  }
  return kept;
}

// A table of the counts, read in files below the line limit of a count file: built from the
// first, the others added.
ATRTable tableOf(const std::string& text) {
  constexpr int kLinesPerFile = 32000;
  const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                     ("ostrilo-chart-bench-" + std::to_string(::getpid()));
  ATRTable table;
  table.setInFile(file.string());
  std::size_t from = 0;
  try {
    while (from < text.size()) {
      std::size_t end = from;
      for (int n = 0; n < kLinesPerFile && end < text.size(); ++n) end = text.find('\n', end) + 1;
      std::ofstream out(file, std::ios::binary | std::ios::trunc);
      out.write(text.data() + from, static_cast<std::streamsize>(end - from));
      if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
      out.close();
      from == 0 ? table.BuildTable() : table.AddToTable();
      from = end;
    }
  } catch (...) {
    std::filesystem::remove(file);
    throw;
  }
  std::filesystem::remove(file);
  return table;
}

// The grid has more station-days than one table holds, so its rows come from several tables,
// each computed by volumeColorGrid with the checks of its table; only the row numbers shift.
ostrilo::ColorGrid yearColorGrid() {
  ostrilo::ColorGrid grid;
  bool first = true;
  for (int row = 0; row < kYearGridStations; row += kGridStationsPerTable) {
    const ATRTable part = tableOf(yearWithGaps(101 + row, kGridStationsPerTable));
    ostrilo::ColorGrid rows =
        ostrilo::volumeColorGrid(part, selectEverything(part), ostrilo::runDataChecks(part));
    for (ostrilo::GridCell& cell : rows.cells) cell.z += row;
    for (ostrilo::CriticalDay& day : rows.criticalDays) day.row += row;
    grid.cells.insert(grid.cells.end(), rows.cells.begin(), rows.cells.end());
    grid.criticalDays.insert(grid.criticalDays.end(), rows.criticalDays.begin(),
                             rows.criticalDays.end());
    grid.rowNames.insert(grid.rowNames.end(), rows.rowNames.begin(), rows.rowNames.end());
    grid.lowest = first ? rows.lowest : std::min(grid.lowest, rows.lowest);
    grid.highest = first ? rows.highest : std::max(grid.highest, rows.highest);
    if (first) {
      grid.title = rows.title;
      grid.caption = rows.caption;
      grid.leftAxisTitle = rows.leftAxisTitle;
      grid.bottomAxisFormat = rows.bottomAxisFormat;
    }
    first = false;
  }
  return grid;
}

// Deletes a window at once (closing it would only schedule that) and lets Qt finish what the
// window left queued, so that no iteration pays for the one before it.
void discard(ChartWindow* window) {
  delete window;
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
}

// What the user sees once the window has painted: the chart's buffers drawn into an image.
QPixmap shownImage(const ChartWindow& window) { return window.TChart1->grab(); }

// Runs body once per iteration; a thrown error ends the case with its message.
template <typename Body>
void timeLoop(benchmark::State& state, Body&& body) {
  try {
    for (auto _ : state) body(state);
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
}

// The whole plot command up to its first image; the window's deletion is not timed. Also
// reports the time QCustomPlot took for its last replot, the one at the window's size.
template <typename Plot>
void timeFirstDrawing(benchmark::State& state, Plot&& plot) {
  double replotMs = 0;
  timeLoop(state, [&](benchmark::State& s) {
    ChartWindow* window = plot();
    if (window == nullptr) throw std::runtime_error("the plot opened no window");
    QPixmap image = shownImage(*window);
    benchmark::DoNotOptimize(image.cacheKey());
    s.PauseTiming();
    replotMs += window->TChart1->replotTime();
    image = QPixmap();
    discard(window);
    settleMemory();
    s.ResumeTiming();
  });
  state.counters["replot_ms"] = benchmark::Counter(replotMs, benchmark::Counter::kAvgIterations);
}

// Pans an open chart along its time axis by a tenth of the range shown, back and forth, and
// draws it again as a drag does: a replot, then the widget painted from the fresh buffers.
template <typename Plot>
void timePan(benchmark::State& state, Plot&& plot) {
  ChartWindow* window = plot();
  if (window == nullptr) {
    state.SkipWithError("the plot opened no window");
    return;
  }
  // Resizing replots at once, so the first timed pan starts from a drawn window.
  window->resize(kImageWidth, kImageHeight);
  QCoreApplication::processEvents();
  QCustomPlot& chart = *window->TChart1;
  if (chart.width() != kImageWidth || chart.height() != kImageHeight) {
    state.SkipWithError("the chart did not take the image size");
    discard(window);
    return;
  }
  QCPAxis* timeAxis = chart.axisRect()->rangeDragAxis(Qt::Horizontal);
  if (timeAxis == nullptr) timeAxis = chart.axisRect()->rangeDragAxis(Qt::Vertical);
  const double step = timeAxis->range().size() * kPanFraction;
  double direction = 1;
  timeLoop(state, [&](benchmark::State&) {
    timeAxis->moveRange(direction * step);
    direction = -direction;
    chart.replot(QCustomPlot::rpImmediateRefresh);
    const QPixmap image = shownImage(*window);
    benchmark::DoNotOptimize(image.cacheKey());
  });
  discard(window);
}

// Collects the median real and CPU times of each case while printing as usual.
class RatioReporter : public ostrilo::bench::MedianReporter {
 public:
  void printSummary() const {
    std::string lines;
    lines += share("Data/HourlyChart", "Draw/HourlyFirst");
    lines += share("Data/ColorGrid", "Draw/ColorGridFirst");
    lines += share("Data/Histogram", "Draw/HistogramFirst");
    if (!lines.empty()) {
      std::printf("\nChart data / first drawing, medians in ms (goal: below %.2f):\n%s",
                  kDataShareGoal, lines.c_str());
    }
    lines = pan("Redraw/HourlyPan") + pan("Redraw/ColorGridPan") + pan("Year/HourlyFirst") +
            pan("Year/HourlyPan") + pan("Year/ColorGridFirst") + pan("Year/ColorGridPan");
    if (!lines.empty()) {
      std::printf(
          "\nPans and the year's first drawings, medians in ms (goal: below %.0f ms real "
          "time):\n%s",
          kPanGoalMs, lines.c_str());
    }
    std::fflush(stdout);
  }

 private:
  [[nodiscard]] std::string share(const std::string& data, const std::string& first) const {
    const Times* d = find(data);
    const Times* f = find(first);
    if (d == nullptr || f == nullptr || f->real <= 0 || f->cpu <= 0) return {};
    char line[240];
    std::snprintf(line, sizeof line,
                  "  %-16s / %-19s real %7.2f/%7.2f = %5.3f   CPU %7.2f/%7.2f = %5.3f   %s\n",
                  data.c_str(), first.c_str(), d->real, f->real, d->real / f->real, d->cpu, f->cpu,
                  d->cpu / f->cpu, d->real / f->real < kDataShareGoal ? "met" : "MISSED");
    return line;
  }

  [[nodiscard]] std::string pan(const std::string& name) const {
    const Times* t = find(name);
    if (t == nullptr) return {};
    char line[200];
    std::snprintf(line, sizeof line, "  %-19s real %7.2f   CPU %7.2f   %s\n", name.c_str(), t->real,
                  t->cpu, t->real < kPanGoalMs ? "met" : "MISSED");
    return line;
  }
};

// Every chart computed and opened once before any timing, so that the heap has grown to its
// working size and Qt has loaded its fonts, whichever cases a filter leaves.
void warmUp(ChartInputs& in) {
  (void)ostrilo::hourlyVolumeChart(in.table, in.selection, ostrilo::SeriesKind::Line);
  (void)ostrilo::volumeColorGrid(in.table, in.selection, in.checks);
  (void)ostrilo::volumeHistogram(in.table, in.selection);
  discard(ostrilo::PlotHourlyVol(in.toolkit, nullptr, in.table, in.selection, kLineGraphType));
  discard(ostrilo::PlotVolColorGrid(in.toolkit, nullptr, in.table, in.selection));
  discard(ostrilo::PlotVolHistogram(in.toolkit, nullptr, in.table, in.selection));
  discard(
      ostrilo::PlotHourlyVol(in.toolkit, nullptr, in.yearTable, in.yearSelection, kLineGraphType));
  auto* grid = new ostrilo::frmVolColorGrid(in.toolkit);
  grid->fill(in.yearGrid);
  discard(grid);
}

void registerCases(ChartInputs& in) {
  const auto add = [](const char* name, auto fn) {
    benchmark::RegisterBenchmark(name, fn)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true);
  };
  const ATRTable& table = in.table;
  const PlotSelection& selection = in.selection;
  ostrilo::Toolkit& toolkit = in.toolkit;

  // The results are freed while the clock stands: only computing them is timed.
  add("Data/HourlyChart", [&](benchmark::State& state) {
    timeLoop(state, [&](benchmark::State& s) {
      auto chart = std::make_unique<ostrilo::LineChart>(
          ostrilo::hourlyVolumeChart(table, selection, ostrilo::SeriesKind::Line));
      benchmark::DoNotOptimize(chart->series.data());
      s.PauseTiming();
      chart.reset();
      settleMemory();
      s.ResumeTiming();
    });
  });
  add("Data/ColorGrid", [&](benchmark::State& state) {
    timeLoop(state, [&](benchmark::State& s) {
      auto grid = std::make_unique<ostrilo::ColorGrid>(
          ostrilo::volumeColorGrid(table, selection, in.checks));
      benchmark::DoNotOptimize(grid->cells.data());
      s.PauseTiming();
      grid.reset();
      settleMemory();
      s.ResumeTiming();
    });
  });
  add("Data/Histogram", [&](benchmark::State& state) {
    timeLoop(state, [&](benchmark::State& s) {
      {
        const ostrilo::Histogram histogram = ostrilo::volumeHistogram(table, selection);
        benchmark::DoNotOptimize(histogram.bars.data());
      }
      s.PauseTiming();
      settleMemory();
      s.ResumeTiming();
    });
  });

  const auto hourly = [&]() -> ChartWindow* {
    return ostrilo::PlotHourlyVol(toolkit, nullptr, table, selection, kLineGraphType);
  };
  const auto colorGrid = [&]() -> ChartWindow* {
    return ostrilo::PlotVolColorGrid(toolkit, nullptr, table, selection);
  };
  const auto histogram = [&]() -> ChartWindow* {
    return ostrilo::PlotVolHistogram(toolkit, nullptr, table, selection);
  };
  add("Draw/HourlyFirst", [=](benchmark::State& state) { timeFirstDrawing(state, hourly); });
  add("Draw/ColorGridFirst", [=](benchmark::State& state) { timeFirstDrawing(state, colorGrid); });
  add("Draw/HistogramFirst", [=](benchmark::State& state) { timeFirstDrawing(state, histogram); });
  add("Redraw/HourlyPan", [=](benchmark::State& state) { timePan(state, hourly); });
  add("Redraw/ColorGridPan", [=](benchmark::State& state) { timePan(state, colorGrid); });

  // At year scale: the hourly graph by its command; the grid from its data, as the command
  // would draw it once one table holds the year.
  const auto yearHourly = [&]() -> ChartWindow* {
    return ostrilo::PlotHourlyVol(toolkit, nullptr, in.yearTable, in.yearSelection, kLineGraphType);
  };
  const auto yearGrid = [&]() -> ChartWindow* {
    auto* window = new ostrilo::frmVolColorGrid(toolkit);
    window->fill(in.yearGrid);
    window->show();
    return window;
  };
  add("Year/HourlyFirst", [=](benchmark::State& state) { timeFirstDrawing(state, yearHourly); });
  add("Year/HourlyPan", [=](benchmark::State& state) { timePan(state, yearHourly); });
  add("Year/ColorGridFirst", [=](benchmark::State& state) { timeFirstDrawing(state, yearGrid); });
  add("Year/ColorGridPan", [=](benchmark::State& state) { timePan(state, yearGrid); });
}

}  // namespace

int main(int argc, char** argv) {
  // Runs without a display unless the caller chose a platform.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Qt sees no arguments, so that it takes none of the benchmark's flags.
  int qtArgCount = 1;
  char* qtArgs[] = {argv[0], nullptr};
  QApplication app(qtArgCount, qtArgs);

  // On a shared machine a burst of other work would otherwise hit all repetitions of one case
  // and skew its ratio; interleaved, it spreads over all cases. A flag given later overrides it.
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  std::vector<char*> args = {argv[0], interleave.data()};
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--cold") {
      g_cold = true;
    } else {
      args.push_back(argv[i]);
    }
  }
  int argCount = static_cast<int>(args.size());
  args.push_back(nullptr);
  benchmark::Initialize(&argCount, args.data());
  if (benchmark::ReportUnrecognizedArguments(argCount, args.data())) return 1;
  pinAllocator();
  try {
    ChartInputs in;
    {
      const ostrilo::bench::BenchInputs files(ostrilo::bench::InputSet::FullLimit);
      in.table.setInFile(files.firstFile());
      in.table.BuildTable();
      in.table.setInFile(files.secondFile());
      in.table.AddToTable();
    }
    if (in.table.StaCount() != ostrilo::bench::kStations ||
        in.table.DateCount() != ostrilo::bench::kLimitDays) {
      std::fprintf(stderr, "ostrilo_chart_bench: the generated files gave %d stations x %d dates\n",
                   in.table.StaCount(), in.table.DateCount());
      return 1;
    }
    in.selection = selectEverything(in.table);
    in.checks = ostrilo::runDataChecks(in.table);
    in.yearTable = tableOf(yearWithGaps(101, kYearGraphStations));
    in.yearSelection = selectEverything(in.yearTable);
    in.yearGrid = yearColorGrid();
    std::printf(
        "Year: hourly graph of %d stations x %d dates, colour grid of %zu rows x %zu cells, "
        "%zu critical days\n",
        in.yearTable.StaCount(), in.yearTable.DateCount(), in.yearGrid.rowNames.size(),
        in.yearGrid.cells.size(), in.yearGrid.criticalDays.size());
    std::printf(
        "Table: %d stations x %d dates = %d records, %d hourly values selected, %d critical "
        "days\n",
        in.table.StaCount(), in.table.DateCount(), in.table.StaCount() * in.table.DateCount(),
        in.table.StaCount() * in.table.DateCount() * ostrilo::kHoursPerDay,
        in.checks.criticalDayCount());

    std::printf("Freed memory %s\n", g_cold
                                         ? "goes back to the system before every iteration (--cold)"
                                         : "stays with the allocator");
    warmUp(in);
    registerCases(in);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printSummary();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ostrilo_chart_bench: %s\n", e.what());
    return 1;
  }
  benchmark::Shutdown();
  return 0;
}
