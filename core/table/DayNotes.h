#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "core/table/DateNumber.h"

namespace ostrilo {

// What a TMG volume record says about its day beside the volumes: its restriction code and the
// day of the week it states where that contradicts the date. A table keeps these in memory for
// the checks only; a table file does not carry them.
struct DayNote {
  int restriction = 0;    // 0 none, 1-5 as the TMG lists them (2: counting-device problem)
  int statedWeekday = 0;  // 1 = Sunday .. 7 = Saturday when it contradicts the date, else 0
  friend bool operator==(const DayNote&, const DayNote&) = default;
};

// The notes of the days that have one, by station name and date.
class DayNotes {
 public:
  [[nodiscard]] bool empty() const noexcept { return m_notes.empty(); }
  [[nodiscard]] std::size_t size() const noexcept { return m_notes.size(); }
  // Null where the day has no note.
  [[nodiscard]] const DayNote* find(std::string_view station, DateNumber date) const {
    const auto found = m_notes.find(std::pair(station, date));
    return found == m_notes.end() ? nullptr : &found->second;
  }
  // A note with nothing to say removes the day's note.
  void set(std::string_view station, DateNumber date, const DayNote& note) {
    const auto found = m_notes.find(std::pair(station, date));
    if (note == DayNote{}) {
      if (found != m_notes.end()) m_notes.erase(found);
    } else if (found != m_notes.end()) {
      found->second = note;
    } else {
      m_notes.emplace(std::pair(std::string(station), date), note);
    }
  }
  void clear() noexcept { m_notes.clear(); }
  [[nodiscard]] auto begin() const { return m_notes.begin(); }
  [[nodiscard]] auto end() const { return m_notes.end(); }

 private:
  struct Less {
    using is_transparent = void;
    template <typename A, typename B>
    bool operator()(const A& a, const B& b) const {
      return std::string_view(a.first) < std::string_view(b.first) ||
             (std::string_view(a.first) == std::string_view(b.first) && a.second < b.second);
    }
  };
  std::map<std::pair<std::string, DateNumber>, DayNote, Less> m_notes;
};

}  // namespace ostrilo
