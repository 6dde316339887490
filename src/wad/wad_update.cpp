// The new archive is written in the layout of wad_writer.cpp: the count, the
// directory, then the blocks in directory order. A kept record keeps its 14
// name bytes as they are (whatever follows the name's zero included) and
// its stored block; records that pointed at one block point at its one copy.
#include "wad/wad_update.h"

#include <algorithm>
#include <limits>
#include <unordered_map>

#include "core/little_endian.h"
#include "core/text_encoding.h"
#include "wad/wad_writer.h"

namespace kv {
namespace {

struct Record {
  const std::uint8_t* stored_name = nullptr;        // a kept record's 14 name bytes
  std::string name;                                 // a new or renamed record's name
  WadEntry entry;                                   // a kept record's place in the old image
  const std::vector<std::uint8_t>* block = nullptr; // a new block, else the stored one
  bool removed = false;
};

WadUpdate Refuse(std::string problem) {
  WadUpdate update;
  update.problem = std::move(problem);
  return update;
}

// The live records of each name (ASCII case ignored), in directory order.
using NameIndex = std::unordered_map<std::string, std::vector<std::size_t>>;

// Empty when `name` may be given to a record that the index does not hold
// under it.
std::string NewNameProblem(const std::string& name, const NameIndex& index) {
  if (std::string problem = WadEntryNameProblem(name); !problem.empty()) return name + ": " + problem;
  if (index.count(FoldAsciiCase(name)) != 0)
    return name + ": an entry of this name is in the archive already (names are compared without regard "
                  "to case)";
  return {};
}

// Applies one change to the records; empty, or why it cannot be made.
std::string Apply(const WadChange& change, std::vector<Record>& records, NameIndex& index) {
  const std::string key = FoldAsciiCase(change.name);
  if (change.kind == WadChange::Add) {
    if (std::string problem = NewNameProblem(change.name, index); !problem.empty()) return problem;
    records.push_back({nullptr, change.name, {}, &change.block});
    index[key].push_back(records.size() - 1);
    return {};
  }
  const auto found = index.find(key);
  if (found == index.end()) return change.name + ": no entry of the archive has this name";
  const std::size_t first = found->second.front();
  switch (change.kind) {
  case WadChange::Replace: records[first].block = &change.block; break;
  case WadChange::Remove:
    for (const std::size_t record : found->second)
      records[record].removed = true;
    index.erase(found);
    break;
  case WadChange::Rename: {
    const std::string new_key = FoldAsciiCase(change.new_name);
    if (new_key == key) {
      if (std::string problem = WadEntryNameProblem(change.new_name); !problem.empty())
        return change.new_name + ": " + problem;
    } else {
      if (std::string problem = NewNameProblem(change.new_name, index); !problem.empty()) return problem;
      found->second.erase(found->second.begin());
      if (found->second.empty()) index.erase(found);
      index[new_key].push_back(first);
    }
    records[first].name = change.new_name;
    records[first].stored_name = nullptr;
    break;
  }
  case WadChange::Add: break;
  }
  return {};
}

} // namespace

WadUpdate UpdateWadArchive(WadImage image, std::span<const WadChange> changes) {
  if (std::string problem = WadDirectoryProblem(image); !problem.empty()) return Refuse(problem);
  std::vector<Record> records;
  NameIndex index;
  const std::uint32_t count = WadEntryCount(image);
  records.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    Record record;
    record.entry = ReadWadEntry(image, i);
    record.stored_name = image.data() + kWadCountSize + kWadRecordSize * i;
    index[FoldAsciiCase(record.entry.name)].push_back(i);
    records.push_back(std::move(record));
  }
  for (const WadChange& change : changes)
    if (std::string problem = Apply(change, records, index); !problem.empty()) return Refuse(problem);
  std::erase_if(records, [](const Record& record) { return record.removed; });
  if (records.size() > kMaxWadEntries)
    return Refuse("the archive would have " + std::to_string(records.size()) + " entries; it holds at most " +
                  std::to_string(kMaxWadEntries));

  // Where each block goes: a stored block once, at the place of its first record.
  std::unordered_map<std::uint64_t, std::uint32_t> placed; // data offset << 32 | size, to its new offset
  std::vector<std::uint32_t> offsets(records.size());
  std::uint64_t end = kWadCountSize + kWadRecordSize * records.size();
  for (std::size_t i = 0; i < records.size(); ++i) {
    const Record& record = records[i];
    const WadEntry& entry = record.entry;
    const std::uint64_t size = record.block ? record.block->size() : entry.compressed_size;
    const std::uint64_t key = std::uint64_t{entry.data_offset} << 32 | entry.compressed_size;
    if (!record.block) {
      if (entry.compressed_size > image.size() || entry.data_offset > image.size() - entry.compressed_size) {
        return Refuse(entry.name +
                      ": its stored bytes cannot be copied: " + WadEntryFaultText(entry, image.size()));
      }
      if (const auto found = placed.find(key); found != placed.end()) {
        offsets[i] = found->second;
        continue;
      }
    }
    if (end + size > std::numeric_limits<std::uint32_t>::max()) return Refuse("the archive would pass 4 GiB");
    offsets[i] = static_cast<std::uint32_t>(end);
    if (!record.block) placed.emplace(key, offsets[i]);
    end += size;
  }

  WadUpdate update;
  update.size = end;
  update.directory.resize(kWadCountSize + kWadRecordSize * records.size(), 0);
  StoreLE16(update.directory, 0, static_cast<std::uint32_t>(records.size()));
  std::uint64_t written = update.directory.size();
  for (std::size_t i = 0; i < records.size(); ++i) {
    const Record& record = records[i];
    const std::span<const std::uint8_t> block =
        record.block ? std::span<const std::uint8_t>(*record.block)
                     : image.subspan(record.entry.data_offset, record.entry.compressed_size);
    const std::string_view name =
        record.stored_name ? std::string_view(reinterpret_cast<const char*>(record.stored_name), kWadNameRoom)
                           : std::string_view(record.name);
    StoreWadRecord(update.directory.data() + kWadCountSize + kWadRecordSize * i, name,
                   static_cast<std::uint32_t>(block.size()), offsets[i]);
    if (offsets[i] != written) continue; // a block placed before, shared
    written += block.size();
    // Blocks that lay back to back stay one piece.
    std::vector<std::span<const std::uint8_t>>& blocks = update.blocks;
    if (!blocks.empty() && blocks.back().data() + blocks.back().size() == block.data() && !block.empty()) {
      blocks.back() = {blocks.back().data(), blocks.back().size() + block.size()};
    } else {
      blocks.push_back(block);
    }
  }
  return update;
}

std::vector<std::span<const std::uint8_t>> WadUpdate::Pieces() const {
  std::vector<std::span<const std::uint8_t>> pieces = {directory};
  pieces.insert(pieces.end(), blocks.begin(), blocks.end());
  return pieces;
}

std::vector<std::uint8_t> WadUpdate::Joined() const {
  std::vector<std::uint8_t> image;
  image.reserve(static_cast<std::size_t>(size));
  for (const std::span<const std::uint8_t> piece : Pieces())
    image.insert(image.end(), piece.begin(), piece.end());
  return image;
}

} // namespace kv
