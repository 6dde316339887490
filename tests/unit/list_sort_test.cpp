#include <gtest/gtest.h>

#include <numeric>
#include <random>

#include "support/temp_dir.h"
#include "wad/list_sort.h"

namespace kv::test {
namespace {

// The column sort as the list performs it, move by move: row i goes in front
// of the first row j < i that it compares strictly smaller (ascending) or
// greater (descending) than. Texts compare on their first 254 characters,
// number columns by length first, letters as lower case, bytes unsigned.
ColumnSort ReferenceSort(const Strings& texts, bool right_aligned, bool ascending) {
  const auto compare = [&](std::string_view a, std::string_view b) {
    a = a.substr(0, 254), b = b.substr(0, 254);
    if (right_aligned && a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (std::size_t k = 0;; ++k) {
      const int ca = k < a.size() ? std::tolower(static_cast<unsigned char>(a[k])) : 0;
      const int cb = k < b.size() ? std::tolower(static_cast<unsigned char>(b[k])) : 0;
      if (ca != cb || ca == 0) return ca < cb ? -1 : ca > cb ? 1 : 0;
    }
  };
  ColumnSort result{std::vector<std::size_t>(texts.size()), std::vector<bool>(texts.size()), false};
  std::iota(result.order.begin(), result.order.end(), 0);
  std::vector<std::size_t>& rows = result.order;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      const int order = compare(texts[rows[i]], texts[rows[j]]);
      if (order == 0 || (order < 0) != ascending) continue;
      const std::size_t moving = rows[i];
      rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(i));
      rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(j), moving);
      result.moved_rows[moving] = result.moved = true;
      break;
    }
  }
  return result;
}

// Random lists of three kinds: short texts over a few letters (many ties and
// case differences), number columns with a stray text among them, and long
// texts that differ around the 254th character; each also sorted again.
TEST(ListSort, MatchesTheRowByRowInsertionSortOnRandomAndSortedLists) {
  std::mt19937 random(20240611);
  const Strings pieces = {"a", "A", "b", "B", "_", "[", "9", " ", "\xE4", "z"};
  for (int round = 0; round < 600 && !HasFailure(); ++round) {
    const int kind = round % 3;
    Strings texts(random() % (kind == 2 ? 16 : 40));
    for (std::string& text : texts) {
      if (kind == 1) text = std::to_string(random() % 1200 / (random() % 3 == 0 ? 100 : 1));
      if (kind == 2) text = std::string(252, 'q');
      for (std::size_t k = random() % (kind == 2 ? 6 : 4); k > 0 && (kind != 1 || random() % 17 == 0); --k)
        text += pieces[random() % (kind == 2 ? 4 : pieces.size())];
    }
    for (const bool right_aligned : {false, true}) {
      for (const bool ascending : {true, false}) {
        Strings sorted;
        for (const std::size_t id : PlanColumnSort(texts, right_aligned, ascending).order)
          sorted.push_back(texts[id]);
        for (const auto& [list, direction] :
             {std::pair(texts, ascending), std::pair(sorted, !ascending), std::pair(sorted, ascending)}) {
          const ColumnSort fast = PlanColumnSort(list, right_aligned, direction);
          const ColumnSort slow = ReferenceSort(list, right_aligned, direction);
          EXPECT_TRUE(fast.order == slow.order && fast.moved_rows == slow.moved_rows &&
                      fast.moved == slow.moved)
              << "round " << round << " right_aligned " << right_aligned << " ascending " << direction;
        }
      }
    }
  }
}

} // namespace
} // namespace kv::test
