#include <gtest/gtest.h>

#include <QLocale>
#include <QStringList>

#include "GuiTestSupport.h"
#include "app/TextFormats.h"
#include "table/DateNumber.h"
#include "toolkit/Toolkit.h"

namespace ostrilo::test {
namespace {

// The window's own tests cover the common locales; these are the year's edge cases.
TEST(DateEntryText, YearIsWidenedToFourDigitsExactlyOnce) {
  EXPECT_EQ(dateEntryText(dateFromCivil({1999, 12, 31}), unitedStates()), "12/31/1999,Fr");
  EXPECT_EQ(dateEntryText(dateFromCivil({2003, 3, 5}), unitedStates()), "3/5/2003,We");
  // British short dates already carry "yyyy".
  EXPECT_EQ(
      dateEntryText(dateFromCivil({2003, 3, 5}), QLocale(QLocale::English, QLocale::UnitedKingdom)),
      "05/03/2003,We");
}

TEST(ReplaceExtension, OnlyAFinalDatIsReplaced) {
  const auto cont = [](const char* path) {
    return replaceExtension(QString::fromUtf8(path), ".dat", ".cont");
  };
  EXPECT_EQ(cont("x.DAT"), "x.cont");
  EXPECT_EQ(cont("D:\\data\\x.dat"), "D:\\data\\x.cont");
  EXPECT_EQ(cont("update.dat"), "update.cont");
  EXPECT_EQ(cont("/home/dat/ATR20050103w1.Dat"), "/home/dat/ATR20050103w1.cont");
  EXPECT_EQ(cont("update"), "update.cont");
  EXPECT_EQ(cont("x.data"), "x.data.cont");
  EXPECT_EQ(cont(""), "");
}

TEST(NameFiltersFor, PairsBecomeNameFiltersAndStarDotStarMatchesEverything) {
  EXPECT_EQ(nameFiltersFor("All files (*.*)|*.*|ATR*.dat files|ATR*.dat"),
            QStringList({"All files (*.*) (*)", "ATR*.dat files (ATR*.dat)"}));
  EXPECT_EQ(nameFiltersFor("All files (*.*)|*.*|*.cont files|*.cont"),
            QStringList({"All files (*.*) (*)", "*.cont files (*.cont)"}));
}

}  // namespace
}  // namespace ostrilo::test
