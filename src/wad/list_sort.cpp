#include "wad/list_sort.h"

#include <algorithm>
#include <numeric>

namespace kv {
namespace {

char FoldCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The text as it is compared: its first 254 characters, folded to lower case.
std::string SortKey(std::string_view text) {
  std::string key(text.substr(0, kSortTextRoom));
  std::transform(key.begin(), key.end(), key.begin(), FoldCase);
  return key;
}

int CompareKeys(const std::string& a, const std::string& b, bool right_aligned) {
  if (right_aligned && a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  // char_traits<char> compares as unsigned char.
  const int order = a.compare(b);
  return order < 0 ? -1 : order > 0 ? 1 : 0;
}

} // namespace

int CompareCellTexts(std::string_view a, std::string_view b, bool right_aligned) {
  return CompareKeys(SortKey(a), SortKey(b), right_aligned);
}

ColumnSort PlanColumnSort(std::span<const std::string> texts, bool right_aligned, bool ascending) {
  const std::size_t n = texts.size();
  std::vector<std::string> keys;
  keys.reserve(n);
  for (const std::string& text : texts)
    keys.push_back(SortKey(text));
  // Positive when `a` belongs strictly before `b` in the sort's direction.
  const auto before = [&](std::size_t a, std::size_t b) {
    const int order = CompareKeys(keys[a], keys[b], right_aligned);
    return ascending ? order < 0 : order > 0;
  };

  ColumnSort sort;
  sort.order.resize(n);
  std::iota(sort.order.begin(), sort.order.end(), std::size_t{0});
  std::stable_sort(sort.order.begin(), sort.order.end(), before);

  // Row i moves when some row above it belongs strictly after it, that is
  // when the row above it that sorts last does.
  sort.moved_rows.assign(n, false);
  std::size_t last = 0;
  for (std::size_t i = 1; i < n; ++i) {
    if (before(i, last)) {
      sort.moved_rows[i] = true;
      sort.moved = true;
    } else {
      last = i;
    }
  }
  return sort;
}

} // namespace kv
