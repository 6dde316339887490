// The team and player name lists: the eight team files (*.ROP) and the
// free-agent file AGENTS.FRP turned into one flat table that the Set Names
// tree shows, each entry with the key that names its sounds in VOICE.WAD.
// The readers are pure; CreatePlayerList finds, loads and decodes the files
// and fills the process-wide table. Format notes are in name_lists.cpp.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kv {

// A key text such as "BVK" (a team) or "F037" (a player): the sounds of a
// team key K are J/B + K + "FU.SFX", of a player key J/B + K + ".SFX".
using NameKey = std::string;

struct NameListItem {
  bool isGroup = false;       // a team, or "Free Agents"
  std::string text;           // what the tree shows
  std::optional<NameKey> key; // none only for "Free Agents"
};

// The team files in the order the tree shows them.
inline constexpr std::array<const char*, 8> kTeamFiles = {"VORTAN.ROP",   "MELBROOK.ROP", "TASKO.ROP",
                                                          "PORVANE.ROP",  "LINDUM.ROP",   "SAXHOLME.ROP",
                                                          "BRUNAVIK.ROP", "KESTMOOR.ROP"};
inline constexpr const char* kAgentsFile = "AGENTS.FRP";

inline constexpr std::size_t kTeamHeaderSize = 74;
inline constexpr std::size_t kTeamPlayers = 16;
inline constexpr std::size_t kTeamRecordSize = 108;
inline constexpr std::size_t kAgentRecordSize = 128;
inline constexpr std::size_t kTeamFileSize = kTeamHeaderSize + kTeamPlayers * kTeamRecordSize;

// Where a text lies in its file or record: its offset and its field's length.
struct NameField {
  std::size_t offset;
  std::size_t length;
};
inline constexpr NameField kTeamPart1Field = {0, 16};
inline constexpr NameField kTeamPart2Field = {16, 54};
inline constexpr NameField kTeamKeyField = {70, 4};
inline constexpr NameField kPlayerPart1Field = {0, 16};
inline constexpr NameField kPlayerPart2Field = {16, 16};
inline constexpr NameField kPlayerKeyField = {32, 6};
inline constexpr NameField kPlayerDetailField = {38, 32};
inline constexpr std::size_t kAgentsCountSize = 2;

// The decoded bytes of one file.
using NameFileBytes = std::span<const std::uint8_t>;

// The text a player or free agent shows: "(KEY) PART1 PART2", padded with
// 25 blanks, and the detail text in a column from character 36.
std::string PlayerText(const std::string& key, const std::string& part1, const std::string& part2,
                       const std::string& detail);

// The team's group entry and its sixteen players; none when the bytes are
// shorter than a team file.
std::optional<std::vector<NameListItem>> ReadTeamFile(NameFileBytes bytes);

// The bytes that AGENTS.FRP's layout needs: its count and its records.
std::size_t AgentsFileSize(NameFileBytes bytes);

// The "Free Agents" group and one entry per record; none when the bytes are
// shorter than their count says.
std::optional<std::vector<NameListItem>> ReadAgentsFile(NameFileBytes bytes);

// Why a file's bytes are too short for its layout, naming `file_name`.
std::string ShortNameFileMessage(const std::string& file_name, std::size_t size, std::size_t needed);

// The process-wide table, in building order: each team and its players,
// then "Free Agents" and the agents. Empty when the lists could not be built.
const std::vector<NameListItem>& NameListTable();

// Builds the table from the game files in `folder` (ending in a separator);
// a file missing from it is asked for in an open dialog. True when all nine
// files were read; otherwise the user has been told why (or cancelled a
// dialog) and the table is empty.
bool CreatePlayerList(const std::string& folder);

namespace text {
inline constexpr const char* kCreatePlayerListCaption = "CreatePlayerList()";
inline constexpr const char* kNameListsNotBuilt = "The team and player lists were not built: ";
inline constexpr const char* kCouldNotBeRead = " could not be read.";
inline constexpr const char* kFreeAgents = "Free Agents";
inline constexpr const char* kSelectTeamFile = "Select *.ROP File";
inline constexpr const char* kSelectAgentsFile = "Select AGENTS.FRP file";
} // namespace text

} // namespace kv
