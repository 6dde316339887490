// The column sort of every list of the program, computed from the texts of
// one column read once.
//
// The order is that of an insertion sort over the rows: row i, for i from 1
// on, moves in front of the first row above it whose text is greater
// (ascending) or smaller (descending); equal texts keep their order. Texts
// compare by their first 254 characters; a right-aligned (number) column
// takes a shorter text as the smaller one and compares texts of equal length
// like the others, character by character without regard to ASCII case
// (letters compare as lower case, bytes as unsigned).
//
// That insertion sort is a stable sort, and row i is moved by it exactly when
// some row above it compares greater (ascending) or smaller (descending):
// rows 0..i-1 are then the rows before it, and they are all that it is
// compared with. A moved row is re-inserted and loses its selection; rows
// that an insertion merely shifts keep theirs.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

inline constexpr std::size_t kSortTextRoom = 254;

struct ColumnSort {
  // order[k]: the index before the sort of the row that ends at position k.
  std::vector<std::size_t> order;
  // By index before the sort: the row is moved (and comes back unselected).
  std::vector<bool> moved_rows;
  // Whether any row moved; the first click on a sorted column moves none.
  bool moved = false;
};

// Negative, zero or positive as `a` sorts before, with or after `b`.
int CompareCellTexts(std::string_view a, std::string_view b, bool right_aligned);

// The sort of a column whose rows hold `texts`, in O(n log n).
ColumnSort PlanColumnSort(std::span<const std::string> texts, bool right_aligned, bool ascending);

} // namespace kv
