#include <random>

#include <gtest/gtest.h>

#include "wad/list_sort.h"

namespace kv {
namespace {

// The column sort as the list performs it on its rows, move by move: row i
// goes in front of the first row j < i that it compares strictly smaller
// (ascending) or greater (descending) than; the moved row is inserted anew
// and the row it came from deleted.
struct Row {
  std::size_t id;
  std::string text;
};

int ReferenceCompare(std::string_view a_text, std::string_view b_text, bool right_aligned) {
  const std::string_view a = a_text.substr(0, 254);
  const std::string_view b = b_text.substr(0, 254);
  if (right_aligned && a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (std::size_t k = 0;; ++k) {
    const int ca = k < a.size() ? std::tolower(static_cast<unsigned char>(a[k])) : 0;
    const int cb = k < b.size() ? std::tolower(static_cast<unsigned char>(b[k])) : 0;
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
}

ColumnSort ReferenceSort(const std::vector<std::string>& texts, bool right_aligned, bool ascending) {
  std::vector<Row> rows;
  for (std::size_t i = 0; i < texts.size(); ++i)
    rows.push_back({i, texts[i]});
  ColumnSort result;
  result.moved_rows.assign(texts.size(), false);
  for (std::size_t i = 1; i < rows.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      const int order = ReferenceCompare(rows[i].text, rows[j].text, right_aligned);
      if (order == 0) continue;
      if ((ascending && order < 0) || (!ascending && order > 0)) {
        const Row moving = rows[i];
        rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(j), moving);
        rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        result.moved_rows[moving.id] = true;
        result.moved = true;
        break;
      }
    }
  }
  for (const Row& row : rows)
    result.order.push_back(row.id);
  return result;
}

void ExpectSameAsReference(const std::vector<std::string>& texts, bool right_aligned, bool ascending) {
  const ColumnSort fast = PlanColumnSort(texts, right_aligned, ascending);
  const ColumnSort slow = ReferenceSort(texts, right_aligned, ascending);
  ASSERT_EQ(fast.order, slow.order) << "right_aligned " << right_aligned << " ascending " << ascending;
  ASSERT_EQ(fast.moved_rows, slow.moved_rows)
      << "right_aligned " << right_aligned << " ascending " << ascending;
  ASSERT_EQ(fast.moved, slow.moved);
}

std::vector<std::string> Apply(const std::vector<std::string>& texts, const ColumnSort& sort) {
  std::vector<std::string> sorted;
  for (const std::size_t id : sort.order)
    sorted.push_back(texts[id]);
  return sorted;
}

// The main window's click: ascending, or descending when that moves nothing.
std::vector<std::string> Click(const std::vector<std::string>& texts, bool right_aligned) {
  ColumnSort sort = PlanColumnSort(texts, right_aligned, true);
  if (!sort.moved) sort = PlanColumnSort(texts, right_aligned, false);
  return Apply(texts, sort);
}

TEST(ListSortTest, NumberColumnsSortNumericallyAndRepeatedClicksAlternate) {
  const std::vector<std::string> sizes = {"100", "9", "10", "0", "65535"};
  const auto first = Click(sizes, true);
  EXPECT_EQ(first, (std::vector<std::string>{"0", "9", "10", "100", "65535"}));
  const auto second = Click(first, true);
  EXPECT_EQ(second, (std::vector<std::string>{"65535", "100", "10", "9", "0"}));
  EXPECT_EQ(Click(second, true), first);
  EXPECT_EQ(Click(sizes, false), (std::vector<std::string>{"0", "10", "100", "65535", "9"}))
      << "a left-aligned column compares as text";
}

TEST(ListSortTest, EqualTextsKeepTheirOrderAndMoveNothing) {
  const std::vector<std::string> names = {"kick.sfx", "DRUM.SFX", "KICK.SFX", "drum.sfx"};
  const ColumnSort sort = PlanColumnSort(names, false, true);
  EXPECT_EQ(sort.order, (std::vector<std::size_t>{1, 3, 0, 2}));
  EXPECT_EQ(sort.moved_rows, (std::vector<bool>{false, true, false, true}));

  const std::vector<std::string> same = {"TXT", "txt", "Txt"};
  for (const bool ascending : {true, false}) {
    const ColumnSort none = PlanColumnSort(same, false, ascending);
    EXPECT_FALSE(none.moved);
    EXPECT_EQ(none.order, (std::vector<std::size_t>{0, 1, 2}));
  }
  EXPECT_FALSE(PlanColumnSort({}, true, true).moved);
}

TEST(ListSortTest, OnlyTheFirst254CharactersCount) {
  const std::string prefix(254, 'x');
  EXPECT_EQ(CompareCellTexts(prefix + "b", prefix + "a", false), 0);
  EXPECT_EQ(CompareCellTexts(prefix + "bbb", prefix, true), 0) << "lengths are counted after the cut";
  EXPECT_LT(CompareCellTexts("_", "a", false), 0) << "letters compare as lower case";
  EXPECT_GT(CompareCellTexts("Z", "a", false), 0) << "Z and a compare as z and a";
  EXPECT_LT(CompareCellTexts("z", "\xE4", false), 0) << "bytes compare as unsigned";
}

// Random lists of three kinds: short texts over a few letters (many ties and case differences),
// number columns with a stray text among them, and long texts that differ around the 254th character;
// each also sorted again both ways.
TEST(ListSortTest, MatchesTheRowByRowInsertionSortOnRandomAndSortedLists) {
  std::mt19937 random(20240611);
  const std::vector<std::string> pieces = {"a", "A", "b", "B", "_", "[", "9", " ", "\xE4", "z"};
  for (int round = 0; round < 600; ++round) {
    const int kind = round % 3;
    std::vector<std::string> texts(random() % (kind == 2 ? 16 : 40));
    for (std::string& text : texts) {
      if (kind == 1) text = std::to_string(random() % 1200 / (random() % 3 == 0 ? 100 : 1));
      if (kind == 2) text = std::string(252, 'q');
      for (std::size_t k = random() % (kind == 2 ? 6 : 4); k > 0 && (kind != 1 || random() % 17 == 0); --k)
        text += pieces[random() % (kind == 2 ? 4 : pieces.size())];
    }
    for (const bool right_aligned : {false, true}) {
      for (const bool ascending : {true, false}) {
        ExpectSameAsReference(texts, right_aligned, ascending);
        const auto sorted = Apply(texts, PlanColumnSort(texts, right_aligned, ascending));
        EXPECT_FALSE(PlanColumnSort(sorted, right_aligned, ascending).moved);
        ExpectSameAsReference(sorted, right_aligned, !ascending);
        if (HasFatalFailure()) return;
      }
    }
  }
}

} // namespace
} // namespace kv
