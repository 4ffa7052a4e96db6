#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "core/table/Checked.h"
#include "core/table/DateNumber.h"
#include "core/table/Error.h"

namespace ostrilo {

namespace detail {
// Lets a list of texts be searched with a std::string_view without building a std::string.
struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const noexcept {
    return std::hash<std::string_view>{}(s);
  }
};
template <typename T>
struct ListHash {
  using type = std::hash<T>;
  using equal = std::equal_to<T>;
};
template <>
struct ListHash<std::string> {
  using type = TextHash;
  using equal = std::equal_to<>;
};
}  // namespace detail

// An ordered set: each distinct value once, at the position where it was first added. Positions
// are 32-bit, so the list holds at most 2^31 - 1 values. Texts compare byte for byte (case and
// blanks matter); dates compare by their numbers. A hash index beside the ordered values keeps
// Index and Add at constant time, so filling a list is linear in the number of values.
template <typename T>
class UniqueList {
 public:
  using Item = std::variant<T, std::int32_t>;

  [[nodiscard]] std::int32_t Count() const noexcept {
    return static_cast<std::int32_t>(m_items.size());
  }

  // The value at position i; past the end the 16-bit integer -1. A negative i is an
  // out-of-range error.
  [[nodiscard]] Item GetItem(std::int32_t i) const {
    if (i < 0) {
      throw Error(ErrorKind::OutOfRange,
                  "Subscript out of range: list position " + std::to_string(i));
    }
    if (i >= Count()) return std::int32_t{-1};
    return m_items[static_cast<std::size_t>(i)];
  }

  // The value at a position known to be held (0 <= i < Count()).
  [[nodiscard]] const T& at(std::int32_t i) const {
    return m_items.at(static_cast<std::size_t>(i));
  }
  [[nodiscard]] const std::vector<T>& values() const noexcept { return m_items; }

  // Appends the value unless an equal one is held; true when it was appended. A list that
  // already holds 2^31 - 1 values cannot grow: an overflow error.
  bool Add(const T& item) {
    if (Index(item) >= 0) return false;
    const std::int32_t position =
        checkedNarrow<std::int32_t>(std::int64_t{Count()} + 1, "list position") - 1;
    m_items.push_back(item);
    try {
      m_index.emplace(item, position);
    } catch (...) {
      m_items.pop_back();
      throw;
    }
    return true;
  }

  // The position of the held value equal to item, -1 when none is.
  template <typename Key>
  [[nodiscard]] std::int32_t Index(const Key& item) const {
    const auto found = m_index.find(item);
    return found == m_index.end() ? std::int32_t{-1} : found->second;
  }

  // Drops the values from position count on, undoing the Adds that put them there.
  void truncate(std::int32_t count) noexcept {
    while (Count() > count) {
      m_index.erase(m_items.back());
      m_items.pop_back();
    }
  }

  void reserve(std::size_t n) {
    m_items.reserve(n);
    m_index.reserve(n);
  }

 private:
  std::vector<T> m_items;
  std::unordered_map<T, std::int32_t, typename detail::ListHash<T>::type,
                     typename detail::ListHash<T>::equal>
      m_index;
};

using NameList = UniqueList<std::string>;
using DateList = UniqueList<DateNumber>;

}  // namespace ostrilo
