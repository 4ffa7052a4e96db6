#include <gtest/gtest.h>
#include <qcustomplot.h>
#include <time.h>

#include "GuiTestSupport.h"
#include "plot/ChartFormat.h"
#include "plot/ChartStyle.h"

namespace ostrilo::test {
namespace {

TEST(ChartFormat, TimeKeysCountUtcSecondsOnTheLinearDayScale) {
  EXPECT_EQ(timeKey(25569.0), 0.0);
  EXPECT_EQ(timeKey(dateFromCivil({2005, 1, 3}) + 5.0 / 24), 1104710400.0 + 5 * 3600);
  // Before 30 December 1899 the fraction counts forward from the whole day: -1.25 is
  // 29 December 1899, 06:00.
  EXPECT_EQ(timeKey(-1.25) - timeKey(-1.0), 6 * 3600.0);
  // Hours stay exactly an hour apart however the fraction rounds.
  const DateNumber day = dateFromCivil({2022, 1, 10});
  for (int h = 0; h < 24; ++h) EXPECT_EQ(timeKey(day + h / 24.0), timeKey(day) + h * 3600.0);
}

TEST(ChartFormat, StoredLabelFormatsBecomeQtFormats) {
  const struct {
    const char* stored;
    bool multiLine;
    const char* qt;
  } cases[] = {
      {"hh:mm m/d/yy", true, "hh:mm\nM/d/yy"},
      {"hh:mm m/d/yy", false, "hh:mm M/d/yy"},
      {"m/d/yy", false, "M/d/yy"},
      {"dd/mm/yyyy hh:nn", false, "dd/MM/yyyy hh:mm"},
      {"hh m/d", false, "hh M/d"},      // a blank ends the time: the month stays a month
      {"hh:nn z", false, "hh:mm 'z'"},  // Qt would read z as milliseconds
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(qtDateTimeFormat(c.stored, c.multiLine), QString::fromLatin1(c.qt));
  }
  EXPECT_TRUE(showsHours("hh:mm m/d/yy"));
  EXPECT_FALSE(showsHours("m/d/yy"));
}

// A local time zone with daylight saving must not move labels or tooltips.
class ZoneGuard {
 public:
  explicit ZoneGuard(const char* zone)
      : m_saved(qgetenv("TZ")), m_had(qEnvironmentVariableIsSet("TZ")) {
    qputenv("TZ", zone);
    tzset();
  }
  ~ZoneGuard() {
    if (m_had) {
      qputenv("TZ", m_saved);
    } else {
      qunsetenv("TZ");
    }
    tzset();
  }

 private:
  QByteArray m_saved;
  bool m_had;
};

TEST(ChartFormat, LabelsAndTooltipsReadTheKeyInUtc) {
  ZoneGuard zone("America/New_York");
  QCustomPlot plot;
  setDateTimeAxis(*plot.xAxis, qtDateTimeFormat("hh:mm m/d/yy", true), 5);
  // 3 April 2005 was the day New York went to summer time.
  const double key = timeKey(dateFromCivil({2005, 4, 3}) + 5.0 / 24);
  QVector<double> ticks;
  QVector<QString> labels;
  plot.xAxis->ticker()->generate(QCPRange(key - 3600, key + 3600), QLocale::c(), QLatin1Char('g'),
                                 6, ticks, nullptr, &labels);
  const auto at = ticks.indexOf(key);
  ASSERT_GE(at, 0);
  EXPECT_EQ(labels.at(at), "05:00\n4/3/05");

  EXPECT_EQ(keyText(key, true), "4/3/2005 05:00");
  EXPECT_EQ(keyText(key, false), "4/3/2005");
  EXPECT_EQ(volumeToolTip("0101", key, true, 1234, unitedStates()),
            "0101\n4/3/2005 05:00\nVolume: 1,234");
}

TEST(ChartFormat, BinTooltipNamesTheVolumesTheBinHolds) {
  EXPECT_EQ(binToolTip(80, 8, 12, unitedStates()), "Volumes 80 to 87\nCount: 12");
  EXPECT_EQ(binToolTip(-3, 1, 0, unitedStates()), "Volume -3\nCount: 0");
}

}  // namespace
}  // namespace ostrilo::test
