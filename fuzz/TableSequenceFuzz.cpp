// libFuzzer target: a sequence of BuildTable, AddToTable, SaveToFile, LoadFromFile and statistics
// export steps, with count files, table files and picks made from the fuzzer's bytes. After every
// step the table keeps its invariants and holds what a plain model of it holds; a failed step
// changes nothing, and a failed save leaves the file it aimed at as it was.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "FuzzSupport.h"
#include "core/export/TableExports.h"
#include "core/selection/PlotSelection.h"
#include "core/stats/StationStats.h"
#include "core/table/OutputFile.h"
#include "core/table/TableFile.h"

namespace {

using ostrilo::ATRTable;
using namespace ostrilo::fuzz;

// Mostly well-formed lines from small pools of stations and dates, so that steps meet each
// other's pairs; now and then a field the reader must reject or round.
std::string countText(FuzzedDataProvider& in) {
  static constexpr const char* kDates[] = {"010305", "010405", " 10405", "123199", "022900",
                                           "022804", "070403", "010130", "123129"};
  static constexpr const char* kNames[] = {"0101", "0102", "AAAA",
                                           "    ", "ab c", "\xe9\xe9\xe9\xe9"};
  static constexpr const char* kOddFields[] = {"  1.5", "  2.5",  " -0.5",  "32767",
                                               "32768", "-32768", "-32769", "  +7 ",
                                               "     ", " 1e3",   "  .5"};
  std::string text;
  const int lines = in.ConsumeIntegralInRange(0, 12);
  for (int n = 0; n < lines && in.remaining_bytes() > 0; ++n) {
    switch (in.ConsumeIntegralInRange(0, 29)) {
      case 0:  // free text, as broken as the fuzzer likes
        text += in.ConsumeRandomLengthString(80);
        break;
      case 1:
        text += in.PickValueInArray({"", "   "});
        break;
      case 2: {  // many stations or dates at once, to reach the table's size limit
        const int stations = in.ConsumeIntegralInRange(1, 400);
        const int days = in.ConsumeIntegralInRange(1, 12 * 28);
        for (int i = 0; i < std::max(stations, days); ++i) {
          char head[16];
          std::snprintf(head, sizeof head, "31%02d%02d05 %04d", 1 + (i % days) / 28,
                        1 + (i % days) % 28, i % stations);
          text += head;
          for (int k = 0; k < 12; ++k) text += "    1";
          text += '\n';
        }
        break;
      }
      default: {
        std::string line = "3";
        line += in.ConsumeBool() ? '1' : '2';
        line += in.PickValueInArray(kDates);
        line += ' ';
        line += in.PickValueInArray(kNames);
        for (int k = 0; k < 12; ++k) {
          if (in.ConsumeIntegralInRange(0, 15) == 0) {
            line += in.PickValueInArray(kOddFields);
          } else {
            char field[8];
            std::snprintf(field, sizeof field, "%5d", in.ConsumeIntegralInRange(0, 32767));
            line += field;
          }
        }
        text += line;
      }
    }
    text += in.ConsumeBool() ? "\r\n" : "\n";
  }
  return text;
}

// Saving into a folder that is not there must fail and leave everything else alone. (Saving
// cannot change the table: SaveToFile is const.)
void saveAndCheck(const ATRTable& table, FuzzedDataProvider& in) {
  if (in.ConsumeIntegralInRange(0, 7) != 0) {
    checkSavesAndLoadsBack(table, scratchFile("seq.cont"));
    return;
  }
  const std::string kept = readScratch(scratchFile("seq.cont"));
  try {
    table.SaveToFile(scratchFile("missing/seq.cont"));
    fail("a save into a missing folder succeeded");
  } catch (const ostrilo::Error&) {
  }
  check(readScratch(scratchFile("seq.cont")) == kept, "a failed save touched another file");
}

void loadAndCheck(ATRTable& table, FuzzedDataProvider& in) {
  std::string path = scratchFile("seq.cont");
  if (in.ConsumeBool()) {
    path = writeScratch("raw.cont", in.ConsumeRandomLengthString(512));
  }
  const Picture before = picture(table);
  ATRTable fresh;
  try {
    fresh.LoadFromFile(path);
  } catch (const ostrilo::Error&) {
  }
  try {
    table.LoadFromFile(path);
  } catch (const ostrilo::Error&) {
    check(picture(table) == before, "a failed load changed the table");
    return;
  }
  checkInvariants(table);
  // Loading replaces everything: what the table held before must not show through.
  check(picture(table) == picture(fresh), "a load kept something of the table before it");
}

// The export of a picked part of the table: one record per picked station whose figures lie
// where the picked daily totals say, written whole to its file.
void exportAndCheck(const ATRTable& table, FuzzedDataProvider& in) {
  ostrilo::PlotSelection selection;
  const bool all = in.ConsumeBool();
  for (std::int32_t s = 0; s < table.StaCount(); ++s) {
    selection.stations.selected.push_back(all || in.ConsumeBool());
    selection.stations.texts.push_back(table.StaNamebyIndex(s));
  }
  for (std::int32_t d = 0; d < table.DateCount(); ++d) {
    selection.dates.selected.push_back(all || in.ConsumeBool());
  }
  if (ostrilo::CheckPlotSelection(selection)) return;

  const ostrilo::StatResults rows = ostrilo::ComputeStationStats(table, selection);
  const std::vector<std::int32_t> stations = selection.stations.picked();
  const std::vector<std::int32_t> dates = selection.dates.picked();
  check(rows.size() == stations.size(), "not one record per picked station");
  for (std::size_t k = 0; k < rows.size(); ++k) {
    // Only complete days count: their totals bound every figure, and without one all are empty.
    std::int32_t low = INT32_MAX;
    std::int32_t high = INT32_MIN;
    std::int32_t days = 0;
    for (const std::int32_t d : dates) {
      const std::optional<std::int32_t> total = table.CompleteDailyVol(d, stations[k]);
      if (!total) continue;
      ++days;
      low = std::min(low, *total);
      high = std::max(high, *total);
    }
    const ostrilo::StationStat& row = rows[k];
    check(row.AtrId == table.StaNamebyIndex(stations[k]), "a record names another station");
    check(row.Days == days, "Days is not the number of complete picked days");
    if (days == 0) {
      check(!row.ADT && !row.MinDT && !row.MaxDT && !row.SD, "a figure over no day is not empty");
      continue;
    }
    check(row.MinDT == low && row.MaxDT == high, "minimum or maximum is not a picked total");
    check(low <= *row.ADT && *row.ADT <= high, "the mean lies outside the picked totals");
    check(*row.SD >= 0 && *row.SD <= std::int64_t{high} - low, "the deviation exceeds the range");
  }
  const std::string text = ostrilo::BuildStatsCsvText(rows);
  check(text.starts_with("ATR ID, ADT, Min DT, Max DT, SD, AWDDT, AWEDT, Days\r\n") &&
            text.ends_with("\r\n"),
        "the statistics file lacks its header or its last line end");
  ostrilo::writeOutputFile(scratchFile("seq.csv"), text);
  check(readScratch(scratchFile("seq.csv")) == text, "the statistics file was not written whole");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  std::remove(scratchFile("seq.cont").c_str());
  ATRTable table;
  for (int step = 0; step < 8 && in.remaining_bytes() > 0; ++step) {
    switch (in.ConsumeIntegralInRange(0, 4)) {
      case 0:
      case 1: {
        const std::string text = countText(in);
        fillAndCheck(table, writeScratch("seq.dat", text), text, in.ConsumeBool());
        break;
      }
      case 2:
        saveAndCheck(table, in);
        break;
      case 3:
        loadAndCheck(table, in);
        break;
      case 4:
        exportAndCheck(table, in);
        break;
    }
  }
  return 0;
}
