#include "tools/countgen/CountGenerator.h"

#include <algorithm>
#include <charconv>
#include <random>
#include <set>
#include <stdexcept>

namespace ostrilo::countgen {

namespace {

using Shape = std::array<int, 24>;  // per mille of the weekday peak hour

// Weekday traffic is a daytime plateau plus a morning and an evening bump, so that a station's
// two peak strengths can be set apart (a road into town peaks in the morning, out of town in the
// evening). Base plus full bumps reaches 1000 at 08:00 and 17:00.
constexpr Shape kTownBase = {60,  35,  25,  25,  40,  100, 230, 400, 500, 540, 570, 600,
                             630, 620, 620, 620, 600, 580, 520, 420, 340, 270, 190, 110};
constexpr Shape kTownMorning = {0, 0, 0, 0, 0, 20, 150, 420, 500, 260, 60, 0,
                                0, 0, 0, 0, 0, 0,  0,   0,   0,   0,   0,  0};
constexpr Shape kTownEvening = {0, 0, 0,  0,   0,   0,   0,   0,   0,  0, 0, 0,
                                0, 0, 40, 160, 320, 420, 300, 120, 20, 0, 0, 0};
// Freeways carry more at night and peak an hour earlier in the morning.
constexpr Shape kFreewayBase = {140, 100, 80,  80,  120, 260, 430, 500, 520, 530, 540, 550,
                                560, 570, 590, 610, 620, 600, 540, 460, 400, 350, 280, 200};
constexpr Shape kFreewayMorning = {0, 0, 0, 0, 0, 60, 320, 500, 460, 250, 60, 0,
                                   0, 0, 0, 0, 0, 0,  0,   0,   0,   0,   0,  0};
constexpr Shape kFreewayEvening = {0, 0, 0,  0,   0,   0,   0,   0,   0, 0, 0, 0,
                                   0, 0, 60, 220, 360, 400, 280, 100, 0, 0, 0, 0};
// Weekends: no commuter peaks, one broad midday hump, busier small hours after a night out.
constexpr Shape kSaturday = {150, 110, 80,  55,  45,  60,  110, 190, 300, 420, 540, 620,
                             660, 670, 660, 640, 610, 570, 500, 420, 350, 300, 250, 190};
constexpr Shape kSunday = {190, 150, 110, 75,  50,  50,  80,  130, 210, 330, 450, 540,
                           600, 620, 620, 610, 590, 560, 500, 430, 360, 290, 220, 150};

constexpr int kSundayDow = 1;  // weekday() numbering
constexpr int kFridayDow = 6;
constexpr int kSaturdayDow = 7;
constexpr int kMaxVolume = 32767;

// Only the raw engine output is used: the std distributions may differ between standard
// libraries, and the files must be byte-identical everywhere. Integer arithmetic only, for the
// same reason.
class Noise {
 public:
  explicit Noise(std::uint64_t seed) : m_engine(static_cast<std::uint32_t>(seed ^ (seed >> 32))) {}

  // An integer in [lo, hi]; the bias of the multiply-shift mapping is far below what matters.
  int between(int lo, int hi) {
    const auto span = static_cast<std::uint64_t>(hi - lo) + 1;
    return lo + static_cast<int>((static_cast<std::uint64_t>(m_engine()) * span) >> 32);
  }

  // Bell-shaped in [-spread, spread] with a standard deviation of about spread / 3: the mean of
  // three uniform draws.
  int bell(int spread) {
    const int sum = between(-spread, spread) + between(-spread, spread) + between(-spread, spread);
    return sum / 3;
  }

 private:
  std::mt19937 m_engine;
};

std::uint64_t splitMix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return x ^ (x >> 31);
}

std::uint64_t mix(std::uint64_t a, std::uint64_t b) { return splitMix(a ^ splitMix(b)); }

// FNV-1a: std::hash is not the same across standard libraries.
std::uint64_t nameHash(std::string_view name) {
  std::uint64_t h = 0xCBF29CE484222325ULL;
  for (const char c : name) {
    h ^= static_cast<unsigned char>(c);
    h *= 0x100000001B3ULL;
  }
  return h;
}

constexpr std::uint64_t kProfileSalt = 0x70726F66696C65ULL;

std::uint64_t stationSeed(std::string_view name, std::uint32_t seed) {
  return mix(seed, nameHash(name));
}

int scale(long long value, long long perMille) { return static_cast<int>(value * perMille / 1000); }

int integerSqrt(int v) {
  int r = 0;
  while ((r + 1) * (r + 1) <= v) ++r;
  return r;
}

void checkYear(const CivilDate& d) {
  if (d.year < 1930 || d.year > 2029) {
    throw std::invalid_argument("dates must lie in 1930-2029 (two-digit years in the file); " +
                                std::to_string(d.year) + " does not");
  }
}

void appendTwoDigits(std::string& out, int v) {
  out += static_cast<char>('0' + v / 10 % 10);
  out += static_cast<char>('0' + v % 10);
}

void appendField(std::string& out, int v) {
  char digits[12];
  const auto end = std::to_chars(digits, digits + sizeof digits, v).ptr;
  const auto len = static_cast<std::size_t>(end - digits);
  out.append(len < 5 ? 5 - len : 0, ' ');
  out.append(digits, len);
}

}  // namespace

std::vector<std::string> stationNames(const CountFileRequest& request) {
  std::vector<std::string> names;
  if (request.stations.empty()) {
    if (request.stationCount < 1) throw std::invalid_argument("at least one station is needed");
    if (request.stationCount > 10000 || request.firstStation < 0 ||
        request.firstStation > 10000 - request.stationCount) {
      throw std::invalid_argument("stations are numbered 0000 to 9999");
    }
    for (int i = 0; i < request.stationCount; ++i) {
      const int number = request.firstStation + i;
      std::string name;
      appendTwoDigits(name, number / 100);
      appendTwoDigits(name, number % 100);
      names.push_back(std::move(name));
    }
    return names;
  }
  std::set<std::string> seen;
  for (const auto& name : request.stations) {
    if (name.size() != 4 || name.find_first_of("\r\n") != std::string::npos) {
      throw std::invalid_argument("a station name is 4 bytes without line breaks: \"" + name +
                                  "\"");
    }
    if (!seen.insert(name).second) {
      throw std::invalid_argument("station \"" + name + "\" is listed twice");
    }
  }
  return request.stations;
}

StationProfile stationProfile(std::string_view name, std::uint32_t seed) {
  Noise noise(mix(stationSeed(name, seed), kProfileSalt));
  StationProfile p;
  const int kind = noise.between(0, 11);
  // About one station in six is a freeway, one in three a local street.
  if (kind < 2) {
    p.kind = StationKind::Freeway;
    p.peakVolume = noise.between(3200, 5200);
    p.weekendPerMille = noise.between(1050, 1250);
  } else if (kind < 6) {
    p.kind = StationKind::Local;
    p.peakVolume = noise.between(100, 450);
    p.weekendPerMille = noise.between(950, 1150);
  } else {
    p.kind = StationKind::Arterial;
    p.peakVolume = noise.between(500, 1800);
    p.weekendPerMille = noise.between(900, 1100);
  }
  if (p.kind == StationKind::Local) {
    p.morningPerMille = noise.between(300, 700);
    p.eveningPerMille = noise.between(300, 700);
  } else {
    // One direction dominates: the other peak is weaker.
    const int weaker = noise.between(p.kind == StationKind::Freeway ? 700 : 600, 1000);
    const bool morningDominates = noise.between(0, 1) == 0;
    p.morningPerMille = morningDominates ? 1000 : weaker;
    p.eveningPerMille = morningDominates ? weaker : 1000;
  }
  return p;
}

namespace {

std::array<int, 24> volumesOf(const StationProfile& p, std::uint64_t seedOfStation,
                              const CivilDate& day) {
  const DateNumber date = dateFromCivil(day);
  const int dow = weekday(date);
  Noise noise(mix(seedOfStation, static_cast<std::uint64_t>(static_cast<long long>(date))));

  const bool freeway = p.kind == StationKind::Freeway;
  const Shape& base = freeway ? kFreewayBase : kTownBase;
  const Shape& morning = freeway ? kFreewayMorning : kTownMorning;
  const Shape& evening = freeway ? kFreewayEvening : kTownEvening;

  // Weather, events and the like move a whole day up or down together.
  const int dayFactor = 1000 + noise.bell(120);
  std::array<int, 24> volumes{};
  for (int h = 0; h < 24; ++h) {
    const auto hour = static_cast<std::size_t>(h);
    long long shape = 0;  // per mille of the peak
    if (dow == kSaturdayDow) {
      shape = scale(kSaturday[hour], p.weekendPerMille);
    } else if (dow == kSundayDow) {
      shape = scale(scale(kSunday[hour], p.weekendPerMille), 900);
    } else {
      int eveningPerMille = p.eveningPerMille;
      shape = base[hour] + scale(morning[hour], p.morningPerMille);
      if (dow == kFridayDow) {
        // Friday: the weekend starts in the afternoon.
        eveningPerMille = scale(eveningPerMille, 1150);
        if (h >= 19) shape = scale(shape, 1150);
      }
      shape += scale(evening[hour], eveningPerMille);
    }
    long long v = static_cast<long long>(p.peakVolume) * shape / 1000;
    v = v * dayFactor / 1000;
    v = v * (1000 + noise.bell(150)) / 1000;
    // Counting noise, roughly Poisson: relatively larger on quiet hours.
    const int spread = 3 * integerSqrt(static_cast<int>(std::min<long long>(v, kMaxVolume))) / 2;
    v += noise.bell(spread);
    volumes[hour] = static_cast<int>(std::clamp<long long>(v, 0, kMaxVolume));
  }
  return volumes;
}

}  // namespace

std::array<int, 24> dayVolumes(std::string_view name, const CivilDate& day, std::uint32_t seed) {
  return volumesOf(stationProfile(name, seed), stationSeed(name, seed), day);
}

std::string generateCountFile(const CountFileRequest& request) {
  if (request.days < 1 || request.days > 36600) {
    throw std::invalid_argument("days must be 1 to 36600");
  }
  const CivilDate& first = request.firstDate;
  if (!isValidCivilDate(first.year, first.month, first.day)) {
    throw std::invalid_argument("the first date is not a calendar date");
  }
  const DateNumber firstNumber = dateFromCivil(first);
  std::vector<CivilDate> dates;
  dates.reserve(static_cast<std::size_t>(request.days));
  for (int i = 0; i < request.days; ++i) dates.push_back(civilFromDate(firstNumber + i));
  checkYear(dates.front());
  checkYear(dates.back());

  const std::vector<std::string> names = stationNames(request);
  const std::string_view eol = request.lineEnding == LineEnding::CrLf ? "\r\n" : "\n";
  std::string out;
  out.reserve(names.size() * dates.size() * 2 * (73 + eol.size()));
  for (const auto& name : names) {
    const StationProfile profile = stationProfile(name, request.seed);
    const std::uint64_t seed = stationSeed(name, request.seed);
    for (const auto& d : dates) {
      const std::array<int, 24> volumes = volumesOf(profile, seed, d);
      for (int half = 0; half < 2; ++half) {
        out += '3';
        out += half == 0 ? '1' : '2';
        appendTwoDigits(out, d.month);
        appendTwoDigits(out, d.day);
        appendTwoDigits(out, d.year % 100);
        out += ' ';
        out += name;
        for (int k = 0; k < 12; ++k)
          appendField(out, volumes[static_cast<std::size_t>(half * 12 + k)]);
        out += eol;
      }
    }
  }
  return out;
}

std::string countFileName(const CivilDate& firstDate) {
  std::string name = "ATR" + std::to_string(firstDate.year);
  appendTwoDigits(name, firstDate.month);
  appendTwoDigits(name, firstDate.day);
  return name + "w" + std::to_string((firstDate.day - 1) / 7 + 1) + ".dat";
}

}  // namespace ostrilo::countgen
