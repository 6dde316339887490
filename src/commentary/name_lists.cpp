// Format notes: the team files (*.ROP) and AGENTS.FRP, both CompressedBlocks.
//
// Team file, decoded:
//   0    16        team name part 1, zero-terminated
//   16   to 70     team name part 2, zero-terminated
//   70   4         team key (at most 3 characters), zero-terminated
//   74   16 x 108  sixteen player records
// AGENTS.FRP, decoded: a 16-bit little-endian count at 0, then that many
// player records of 128 bytes from offset 2.
// Player record (the bytes after 70 are not read):
//   0    16        name part 1        32   6         key (at most 5 characters)
//   16   16        name part 2        38   32        detail text
//
// Every text ends at its zero or at its field's end, whichever comes first,
// so a text that is not terminated never runs into the next field. A file
// shorter than its layout is refused whole.
#include "commentary/name_lists.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/compressed_block.h"
#include "core/file_services.h"
#include "platform/platform.h"

namespace kv {
namespace {

// Rooms of the texts, their terminating zero included.
constexpr std::size_t kTeamTextRoom = 32;
constexpr std::size_t kPlayerFirstRoom = 70;
constexpr std::size_t kDetailColumn = 36;
constexpr std::size_t kDetailRoom = 33;
constexpr std::size_t kPadding = 25;

// The caller has checked that the whole field lies inside `record`.
std::string FieldText(NameFileBytes record, NameField field) {
  const auto bytes = record.subspan(field.offset, field.length);
  const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  return std::string(bytes.begin(), end);
}

// What snprintf leaves of `text` in a room of `room` bytes.
std::string Fit(std::string text, std::size_t room) {
  if (text.size() >= room) text.resize(room - 1);
  return text;
}

NameListItem PlayerItem(NameFileBytes record) {
  const std::string key = FieldText(record, kPlayerKeyField);
  return {false,
          PlayerText(key, FieldText(record, kPlayerPart1Field), FieldText(record, kPlayerPart2Field),
                     FieldText(record, kPlayerDetailField)),
          key};
}

std::vector<NameListItem>& Table() {
  static std::vector<NameListItem> table;
  return table;
}

// The file named `name` in `folder`, or the one the user picks instead.
std::optional<std::string> FindNameFile(const std::string& folder, const char* name, const char* title,
                                        std::vector<platform::FileFilter> filters) {
  if (auto found = platform::SearchFolder(folder, name)) return found;
  platform::FileDialog dialog;
  dialog.title = title;
  dialog.path = name;
  dialog.filters = std::move(filters);
  dialog.flags = platform::kOfnExplorer | platform::kOfnFileMustExist;
  return platform::ShowOpenDialog(dialog);
}

// The decoded bytes of the file at `path`; none after the user has been told.
std::optional<std::vector<std::uint8_t>> ReadNameFile(const std::string& path) {
  std::optional<LoadedFile> loaded = LoadFile(path);
  if (!loaded) return std::nullopt;
  BlockResult block = DecompressBlock(loaded->bytes(), platform::FileNameOf(path));
  if (block.kind == BlockResult::Failed) return std::nullopt;
  if (block.kind == BlockResult::Skipped)
    return std::vector<std::uint8_t>(loaded->bytes().begin(), loaded->bytes().end());
  return std::move(block.data);
}

enum class Step { Done, Cancelled, Failed };

Step AddNameFile(std::vector<NameListItem>& table, const std::string& folder, const char* name, bool agents) {
  const auto path =
      agents ? FindNameFile(folder, name, text::kSelectAgentsFile,
                            {{kAgentsFile, kAgentsFile}, {"All Files", "*"}})
             : FindNameFile(folder, name, text::kSelectTeamFile, {{"*.ROP", "*.ROP"}, {"All Files", "*"}});
  if (!path) return Step::Cancelled;
  const auto bytes = ReadNameFile(*path);
  if (!bytes) {
    ShowSystemError(text::kCreatePlayerListCaption, {},
                    text::kNameListsNotBuilt + platform::FileNameOf(*path) + text::kCouldNotBeRead);
    return Step::Failed;
  }
  auto items = agents ? ReadAgentsFile(*bytes) : ReadTeamFile(*bytes);
  if (!items) {
    const std::size_t needed = agents ? AgentsFileSize(*bytes) : kTeamFileSize;
    platform::ShowMessage(nullptr, ShortNameFileMessage(platform::FileNameOf(*path), bytes->size(), needed),
                          text::kCreatePlayerListCaption, platform::Buttons::Ok);
    return Step::Failed;
  }
  table.insert(table.end(), std::make_move_iterator(items->begin()), std::make_move_iterator(items->end()));
  return Step::Done;
}

} // namespace

std::string PlayerText(const std::string& key, const std::string& part1, const std::string& part2,
                       const std::string& detail) {
  std::string text =
      Fit("(" + key + ") " + part1 + " " + part2 + std::string(kPadding, ' '), kPlayerFirstRoom);
  // The detail is written from character 36 on; behind a shorter first part
  // it stands after the text's end and is not shown.
  if (text.size() >= kDetailColumn) text = text.substr(0, kDetailColumn) + Fit(" " + detail, kDetailRoom);
  return text;
}

std::optional<std::vector<NameListItem>> ReadTeamFile(NameFileBytes bytes) {
  if (bytes.size() < kTeamFileSize) return std::nullopt;
  std::vector<NameListItem> items;
  items.reserve(1 + kTeamPlayers);
  items.push_back(
      {true, Fit(FieldText(bytes, kTeamPart1Field) + " " + FieldText(bytes, kTeamPart2Field), kTeamTextRoom),
       FieldText(bytes, kTeamKeyField)});
  for (std::size_t i = 0; i < kTeamPlayers; ++i)
    items.push_back(PlayerItem(bytes.subspan(kTeamHeaderSize + i * kTeamRecordSize, kTeamRecordSize)));
  return items;
}

std::size_t AgentsFileSize(NameFileBytes bytes) {
  const std::size_t count = bytes.size() < kAgentsCountSize ? 0 : bytes[0] | bytes[1] << 8;
  return kAgentsCountSize + count * kAgentRecordSize;
}

std::optional<std::vector<NameListItem>> ReadAgentsFile(NameFileBytes bytes) {
  if (bytes.size() < AgentsFileSize(bytes)) return std::nullopt;
  const std::size_t count = (AgentsFileSize(bytes) - kAgentsCountSize) / kAgentRecordSize;
  std::vector<NameListItem> items;
  items.reserve(1 + count);
  items.push_back({true, text::kFreeAgents, std::nullopt});
  for (std::size_t i = 0; i < count; ++i)
    items.push_back(PlayerItem(bytes.subspan(kAgentsCountSize + i * kAgentRecordSize, kAgentRecordSize)));
  return items;
}

std::string ShortNameFileMessage(const std::string& file_name, std::size_t size, std::size_t needed) {
  return "Failed: " + file_name + " holds " + std::to_string(size) +
         " bytes once decoded; its layout needs " + std::to_string(needed);
}

const std::vector<NameListItem>& NameListTable() {
  return Table();
}

bool CreatePlayerList(const std::string& folder) {
  Table().clear();
  std::vector<NameListItem> table;
  try {
    for (const char* name : kTeamFiles) {
      if (AddNameFile(table, folder, name, false) != Step::Done) return false;
    }
    if (AddNameFile(table, folder, kAgentsFile, true) != Step::Done) return false;
  } catch (const std::bad_alloc&) {
    platform::SetLastError(platform::kErrorNotEnoughMemory);
    ShowSystemError(text::kCreatePlayerListCaption);
    return false;
  }
  Table() = std::move(table);
  return true;
}

} // namespace kv
