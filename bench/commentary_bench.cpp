// The commentary on a game folder of 2,000 lines: reading and parsing
// COMMENT.TOK, building the name lists from the nine files, and exporting
// every line as a WAV file.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "commentary/commentary_catalogue.h"
#include "commentary/commentary_export.h"
#include "commentary/name_file_writer.h"
#include "commentary/name_lists.h"
#include "core/implode.h"
#include "wad/wad_writer.h"

namespace {

namespace fs = std::filesystem;
constexpr int kLines = 2000;

// Three characters from 0-9 and A-Z (entry names ignore case).
std::string EntryId(int n) {
  static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  n += 3 * 36 + 5; // the first is 035
  return {kDigits[n / 1296 % 36], kDigits[n / 36 % 36], kDigits[n % 36]};
}

void Write(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A game folder whose every line has two clips of its own and a team name.
const fs::path& GameFolder() {
  static const fs::path root = [] {
    const fs::path dir = fs::temp_directory_path() / "kv_commentary_bench";
    fs::create_directories(dir / "VOICE");
    std::string text = "<035>";
    std::vector<kv::WadInput> clips = {{"JBVKFU.SFX", std::vector<std::uint8_t>(3000, 0x80), {}}};
    for (int i = 0; i < kLines; ++i) {
      const std::string id = EntryId(i);
      text += (i == 0 ? std::string(" r") : "<" + id + "> r") + "%J%Tab%Bxy";
      for (const char* speaker : {"J", "B"})
        clips.push_back(
            {speaker + id + "A.SFX", std::vector<std::uint8_t>(2000, static_cast<std::uint8_t>(i)), {}});
    }
    Write(dir / "COMMENT.TOK", kv::ImplodeBlock(std::vector<std::uint8_t>(text.begin(), text.end())));
    Write(dir / "VOICE" / "VOICE.WAD", kv::BuildWadArchive(clips).image);
    kv::TeamFileText team{"Vortan", "Vipers", "BVK", {}};
    for (std::size_t i = 0; i < kv::kTeamPlayers; ++i)
      team.players[i] = {"Player", "Name", "BVK" + std::to_string(10 + i), "Detail text"};
    for (const char* name : kv::kTeamFiles)
      Write(dir / name, kv::ImplodeBlock(kv::WriteTeamFile(team)));
    Write(dir / kv::kAgentsFile, kv::ImplodeBlock(kv::WriteAgentsFile(std::vector<kv::PlayerRecordText>(
                                     300, {"Free", "Agent", "F001", "Detail text"}))));
    return dir;
  }();
  return root;
}

void BM_ReadAndParseCommentTok(benchmark::State& state) {
  const std::string path = (GameFolder() / "COMMENT.TOK").string();
  std::size_t lines = 0;
  for (auto _ : state) {
    const auto text = kv::ReadCommentaryText(path);
    lines = kv::ParseCommentaryText(*text).lines.size();
  }
  state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_ReadAndParseCommentTok)->Unit(benchmark::kMillisecond);

void BM_CreatePlayerList(benchmark::State& state) {
  const std::string folder = GameFolder().string() + "/";
  for (auto _ : state)
    benchmark::DoNotOptimize(kv::CreatePlayerList(folder));
  state.counters["entries"] = static_cast<double>(kv::NameListTable().size());
}
BENCHMARK(BM_CreatePlayerList)->Unit(benchmark::kMillisecond);

void BM_ExportEveryLine(benchmark::State& state) {
  const auto text = kv::ReadCommentaryText((GameFolder() / "COMMENT.TOK").string());
  const auto lines = kv::ParseCommentaryText(*text).lines;
  std::ifstream in(GameFolder() / "VOICE" / "VOICE.WAD", std::ios::binary);
  const std::vector<std::uint8_t> voice{std::istreambuf_iterator<char>(in), {}};
  const fs::path out = GameFolder() / "out";
  fs::create_directories(out);
  const fs::path saved = fs::current_path();
  fs::current_path(out);
  std::int64_t bytes = 0;
  for (auto _ : state) {
    kv::OutputRun run; // each pass is one export, over the files of the last
    for (const kv::CommentaryLine& line : lines)
      kv::ExportCommentaryLine(line, voice, kv::Overwrite, nullptr, run);
    bytes += static_cast<std::int64_t>(lines.size()) * (46 + 7000);
  }
  fs::current_path(saved);
  state.SetBytesProcessed(bytes);
  state.counters["lines"] = static_cast<double>(lines.size());
}
BENCHMARK(BM_ExportEveryLine)->Unit(benchmark::kMillisecond);

} // namespace
