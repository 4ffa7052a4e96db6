#include "core/order/DateFilter.h"

#include <array>
#include <cctype>
#include <charconv>
#include <limits>
#include <optional>

namespace ostrilo {

namespace {

constexpr double kOpen = std::numeric_limits<double>::infinity();

struct DaySpan {
  double first, last;
};

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::optional<int> number(std::string_view text, std::size_t digits) {
  if (text.size() != digits) return std::nullopt;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// A day, a month or a year written the ISO way, as the whole days it covers.
std::optional<DaySpan> isoSpan(std::string_view word) {
  const auto year = number(word.substr(0, 4), 4);
  if (!year || *year < 100) return std::nullopt;
  if (word.size() == 4) {
    return DaySpan{dateFromCivil({*year, 1, 1}), dateFromCivil({*year, 12, 31})};
  }
  if (word.size() < 7 || word[4] != '-') return std::nullopt;
  const auto month = number(word.substr(5, 2), 2);
  if (!month || *month < 1 || *month > 12) return std::nullopt;
  if (word.size() == 7) {
    const CivilDate next =
        *month == 12 ? CivilDate{*year + 1, 1, 1} : CivilDate{*year, *month + 1, 1};
    return DaySpan{dateFromCivil({*year, *month, 1}), dateFromCivil(next) - 1};
  }
  const auto day = parseIsoDate(word);
  if (!day) return std::nullopt;
  return DaySpan{*day, *day};
}

std::optional<DaySpan> rangeSpan(std::string_view word) {
  const std::size_t dots = word.find("..");
  if (dots == std::string_view::npos) return isoSpan(word);
  const std::string_view from = word.substr(0, dots), to = word.substr(dots + 2);
  if (from.empty() && to.empty()) return std::nullopt;
  const auto first = from.empty() ? DaySpan{-kOpen, -kOpen} : isoSpan(from);
  const auto last = to.empty() ? DaySpan{kOpen, kOpen} : isoSpan(to);
  if (!first || !last) return std::nullopt;
  return DaySpan{first->first, last->last};
}

int weekdayNamed(std::string_view word) {
  static constexpr std::array<std::string_view, 7> kNames = {
      "sunday", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday"};
  if (word.size() < 2) return 0;
  const std::string w = lower(word);
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (kNames[i].starts_with(w)) return static_cast<int>(i) + 1;
  }
  return 0;
}

// A word of the entry's text (split at blanks and commas) starts with the word: "1/2" finds
// "1/2/2023,Mo" but not "11/2/2023,Th".
bool startsAToken(std::string_view text, std::string_view word) {
  for (std::size_t at = 0; at <= text.size();) {
    const std::size_t end = std::min(text.find_first_of(" ,", at), text.size());
    if (text.substr(at, end - at).starts_with(word)) return true;
    at = end + 1;
  }
  return false;
}

}  // namespace

DateFilter::DateFilter(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find(' ', at), text.size());
    const std::string_view word = text.substr(at, end - at);
    at = end + 1;
    if (word.empty()) continue;
    Term term;
    if (const auto span = rangeSpan(word)) {
      term.first = span->first;
      term.last = span->last;
    } else if (const int day = weekdayNamed(word); day != 0) {
      term.weekday = day;
    } else {
      term.text = lower(word);
    }
    m_terms.push_back(std::move(term));
  }
}

bool DateFilter::matches(DateNumber date, std::string_view entryText) const {
  const double day = dateFromCivil(civilFromDate(date));
  for (const Term& term : m_terms) {
    if (!term.text.empty()) {
      if (!startsAToken(lower(entryText), term.text)) return false;
    } else if (term.weekday != 0) {
      if (weekday(day) != term.weekday) return false;
    } else if (day < term.first || day > term.last) {
      return false;
    }
  }
  return true;
}

}  // namespace ostrilo
