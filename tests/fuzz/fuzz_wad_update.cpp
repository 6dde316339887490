// UpdateWadArchive on arbitrary bytes taken as an archive: every record of
// the first entry's name removed and a new entry added. When the update is
// made, the new archive reads back whole, every kept record in its old
// order with its own 14 name bytes and stored bytes, and the new entry last.
#include <algorithm>
#include <cstring>
#include <vector>

#include "support/wad_builder.h"
#include "wad/wad_archive.h"
#include "wad/wad_update.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> file(data, data + size);
  const std::vector<kv::WadEntry> entries = kv::ReadWadDirectory(file);
  std::vector<kv::WadChange> changes = {{kv::WadChange::Add, "ADDED.TXT", {}, kv::test::kAbabBlock}};
  if (!entries.empty()) changes.insert(changes.begin(), {kv::WadChange::Remove, entries[0].name, {}, {}});
  const kv::WadUpdate update = kv::UpdateWadArchive(file, changes);
  if (!update.ok()) return 0;
  const std::vector<std::uint8_t> image = update.Joined();
  if (image.size() != update.size) __builtin_trap();
  const std::vector<kv::WadEntry> after = kv::ReadWadDirectory(image);
  std::size_t next = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (kv::WadNamesEqual(entries[i].name, entries[0].name)) continue;
    if (next >= after.size() ||
        (after[next].fault != kv::WadEntryFault::None && after[next].fault != entries[i].fault) ||
        std::memcmp(image.data() + 2 + 22 * next, file.data() + 2 + 22 * i, 14) != 0)
      __builtin_trap();
    // A name without its zero makes a faulty entry whose block is read as stored here.
    const kv::WadEntry& kept = after[next];
    if (kept.compressed_size != entries[i].compressed_size || kept.compressed_size > image.size() ||
        kept.data_offset > image.size() - kept.compressed_size ||
        !std::equal(file.begin() + entries[i].data_offset,
                    file.begin() + entries[i].data_offset + entries[i].compressed_size,
                    image.begin() + kept.data_offset))
      __builtin_trap();
    ++next;
  }
  if (after.size() != next + 1 || after[next].name != "ADDED.TXT" ||
      !std::ranges::equal(kv::WadEntryBlock(image, after[next]), kv::test::kAbabBlock))
    __builtin_trap();
  return 0;
}
