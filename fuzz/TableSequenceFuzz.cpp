// libFuzzer target: a sequence of BuildTable, AddToTable, SaveToFile and LoadFromFile steps, with
// count files and table files made from the fuzzer's bytes. After every step the table keeps its
// invariants and holds what a plain model of it holds; a failed step changes nothing, and a
// failed save leaves the file it aimed at as it was.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "FuzzSupport.h"

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

// Saving into a folder that is not there must fail and leave everything else alone.
void saveAndCheck(const ATRTable& table, FuzzedDataProvider& in) {
  const Picture before = picture(table);
  if (in.ConsumeIntegralInRange(0, 7) == 0) {
    const std::string kept = readScratch(scratchFile("seq.cont"));
    try {
      table.SaveToFile(scratchFile("missing/seq.cont"));
      fail("a save into a missing folder succeeded");
    } catch (const ostrilo::Error&) {
    }
    check(readScratch(scratchFile("seq.cont")) == kept, "a failed save touched another file");
  } else {
    checkSavesAndLoadsBack(table, scratchFile("seq.cont"));
  }
  check(picture(table) == before, "saving changed the table");
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  std::remove(scratchFile("seq.cont").c_str());
  ATRTable table;
  for (int step = 0; step < 8 && in.remaining_bytes() > 0; ++step) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
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
    }
    checkInvariants(table);
  }
  return 0;
}
