#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/table/DateNumber.h"

namespace ostrilo {

// What a date list's filter box asks for: blank-separated words that a date must all match.
// A word is a day "2023-04-05", a month "2023-04", a year "2023", a day of the week (two or
// more letters of its English name: "mo", "Tue", "saturday", case ignored) or a range
// "2023-03-01..2023-03-31" whose ends are days or months (a month end takes the whole month;
// an end left out is open). A word that is none of these must begin a word of the entry's
// text (split at blanks and commas), case ignored: "1/2" finds 1/2/2023, never 11/2/2023.
class DateFilter {
 public:
  explicit DateFilter(std::string_view text);

  // A date with a time of day counts as its calendar day; an empty filter matches everything.
  [[nodiscard]] bool matches(DateNumber date, std::string_view entryText) const;

 private:
  struct Term {
    double first = 0, last = 0;  // whole date numbers, both inclusive
    int weekday = 0;             // 1 = Sunday .. 7 = Saturday; 0: not a weekday term
    std::string text;            // not empty: matched against the entry's text
  };
  std::vector<Term> m_terms;
};

}  // namespace ostrilo
