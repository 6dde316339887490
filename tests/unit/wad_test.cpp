// WAD archives: the directory reader and its bounds, the writer's refusals,
// extraction into files, the check of names taken from an archive, and the
// viewer's column sort.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "core/implode.h"
#include "core/little_endian.h"
#include "core/safe_name.h"
#include "core/text_encoding.h"
#include "media/wav.h"
#include "support/cli_runner.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "support/wad_builder.h"
#include "wad/current_wad.h"
#include "wad/list_sort.h"
#include "wad/wad_archive.h"
#include "wad/wad_extract.h"
#include "wad/wad_writer.h"

namespace kv::test {
namespace {

// name|type|compressed size|size|data offset|fault, for comparing records whole.
std::string Row(const WadEntry& e) {
  return e.name + "|" + e.type + "|" + std::to_string(e.compressed_size) + "|" +
         (e.size ? std::to_string(*e.size) : "-") + "|" + std::to_string(e.data_offset) + "|" +
         std::to_string(static_cast<int>(e.fault));
}

// Types start at a '.' after index 0; lookups fold ASCII letters only and
// match whole names. (The worked example's record: the command line's listing.)
TEST(WadArchive, TypesAndLookupsFollowTheWholeName) {
  const auto archive = BuildWad({Member("VOICE1.SFX", Text("one!")), Member(".PROFILE", Text("dots")),
                                 Member("A.B.C", Text("abcd")), Member("voice1.sfx", Text("two!"))});
  EXPECT_EQ(ReadWadDirectory(archive).at(1).type + "|" + ReadWadDirectory(archive).at(2).type, "|B.C");
  EXPECT_EQ(FindWadEntry(archive, "Voice1.Sfx"), 0u);
  EXPECT_EQ(FindWadEntry(archive, "VOICE1.SFX", 1), 3u);
  EXPECT_EQ(FindWadEntry(archive, "VOICE1"), std::nullopt) << "a prefix is not a match";
  EXPECT_EQ(FindWadEntry(archive, std::string("A.B.C\0", 6)), std::nullopt);
  EXPECT_FALSE(WadNamesEqual("\xE4.SFX", "\xC4.SFX")) << "only ASCII letters fold";
  const WadIndex index(archive); // the index that extraction looks names up in answers the same
  for (const auto& [name, from] : {std::pair{"Voice1.Sfx", 0u},
                                   {"VOICE1.SFX", 1u},
                                   {"VOICE1.SFX", 3u},
                                   {"voice1.sfx", 4u},
                                   {"A.B.C", 0u}})
    EXPECT_EQ(index.Find(name, from), FindWadEntry(archive, name, from)) << name << " " << from;
}

// The largest count with every record present is read; a directory one byte
// short of its records is refused whole. (A short directory named by the
// command line: cli_test.)
TEST(WadArchive, AFullDirectoryIsReadAndOnePastTheEndRefusesTheWholeArchive) {
  Bytes full(2 + 22 * 65535, 0);
  StoreLE16(full, 0, 65535);
  std::copy_n("LAST", 4, full.end() - 22);
  EXPECT_EQ(ReadWadDirectory(full).size(), 65535u);
  EXPECT_EQ(FindWadEntry(full, "last"), 65534u);
  const WadIndex index(ReadWadDirectory(full)); // 65534 records of one (empty) name, and one other
  EXPECT_EQ(index.Find("last"), 65534u);
  EXPECT_EQ(index.Find("", 65533), 65533u);
  EXPECT_EQ(index.Find("", 65534), std::nullopt);
  const std::pair<Bytes, std::string> refused[] = {
      {{}, "the file of 0 bytes is too short to hold an entry count"},
      {{1}, "the file of 1 bytes is too short to hold an entry count"},
      {Bytes(full.begin(), full.end() - 1),
       "its directory of 65535 entries needs 1441772 bytes, but the file holds 1441771"}};
  for (const auto& [image, problem] : refused) // nothing of it is listed or found: the fuzz target checks
    EXPECT_EQ(WadDirectoryProblem(image), problem);
}

// The last three records point at the last 4 bytes, the declared size only:
// exactly inside, one byte more than there is, and one byte later. (That a
// faulty entry has no block, a readable one a block inside the file, is
// fuzz_wad's.)
TEST(WadArchive, FaultyRecordsAreListedWithWhatCanBeShownButNeverRead) {
  auto archive =
      BuildWad({Member("FOURTEENCHARS!", Text("abcd")), Member("FAR.TXT", Text("abcd")),
                Member("WRAP.TXT", Text("abcd")), Member("GOOD.TXT", Text("good")), Member("PAST", {}),
                Member("EDGE", {}), StoredMember("TAIL", BlockWithSize(7, {}))});
  StoreLE32(archive, 2 + 22 * 1 + 18, 0xFFFFFFF0u); // FAR.TXT's data offset
  StoreLE32(archive, 2 + 22 * 2 + 14, 0xFFFFFFFFu); // WRAP.TXT's compressed size
  const auto end = static_cast<std::uint32_t>(archive.size());
  StoreLE32(archive, 2 + 22 * 4 + 14, 5); // PAST: 5 bytes at end - 4
  StoreLE32(archive, 2 + 22 * 4 + 18, end - 4);
  StoreLE32(archive, 2 + 22 * 5 + 18, end - 3); // EDGE
  // Each row with what DecodeWadEntry gives.
  Strings rows;
  Bytes buffer(7);
  for (const WadEntry& entry : ReadWadDirectory(archive))
    rows.push_back(Row(entry) + "|" + std::to_string(DecodeWadEntry(archive, entry, buffer)));
  const std::string at = std::to_string(end - 4) + "|";
  EXPECT_EQ(rows, (Strings{"FOURTEENCHARS!||13|4|156|2|-1", "FAR.TXT|TXT|13|-|4294967280|3|-1",
                           "WRAP.TXT|TXT|4294967295|4|182|4|-1", "GOOD.TXT|TXT|13|4|195|0|4",
                           "PAST||5|7|" + at + "4|-1", "EDGE||8|-|" + std::to_string(end - 3) + "|3|-1",
                           "TAIL||4|7|" + at + "0|-1"}));
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 4), Text("good"));
}

// What the writer stores reads back the same (fuzz_wad stores every readable
// entry again); here, what it refuses.
TEST(WadWriter, RefusesWhatTheReaderCouldNotGiveBack) {
  EXPECT_EQ(BuildWadArchive({}).image, (Bytes{0, 0}));
  // Each list of names with its size; the problem, or "" when accepted.
  const std::tuple<Strings, std::size_t, std::string> cases[] = {
      {{"ABCDEFGHI.TXT"}, 8, ""},
      {{"ABCDEFGHIJ.TXT"}, 8, "ABCDEFGHIJ.TXT: the name has 14 characters; an entry name holds at most 13"},
      {{"CON.TXT"}, 8, "CON.TXT: the name is reserved for a device"}, // every unsafe name: SafeName below
      {{"KICK.SFX", "kick.sfx"}, 8, "kick.sfx: the name is given twice"},
      {{"BIG"}, 65535, ""},
      {{"BIG"}, 65536, "BIG: the file has 65536 bytes; an entry holds at most 65535"},
      {{"TINY"}, 3, "TINY: the file has 3 bytes; an entry that decodes to fewer than 4"},
      {Strings(65536, "X"), 0, "65536 files are too many for one archive (at most 65535)"}};
  for (const auto& [names, size, problem] : cases) {
    std::vector<WadInput> entries;
    for (const std::string& name : names)
      entries.push_back({name, Pattern(size), std::nullopt});
    const WadBuild built = BuildWadArchive(entries);
    EXPECT_EQ(built.problem.substr(0, problem.size()), problem);
    EXPECT_EQ(built.image.empty(), !problem.empty()) << built.problem;
  }
  EXPECT_EQ(WadEntryNameFor("C:\\GAME\\Voice1.Sfx") + WadEntryNameFor("dir/\xE9t\xE9.txt"),
            "VOICE1.SFX\xE9T\xE9.TXT");
}

// Literal mode 7 does not exist: this stream never decodes.
const Bytes kFaultyStream = {0x07, 0x06, 0x00, 0x00};

class WadExtract : public InFreshFolder {
protected:
  ~WadExtract() override { ReleaseCurrentWad(); }

  // Extracts `name` and returns the name it ended under.
  std::string Extract(const Bytes& archive, std::string name, ExtractSettings settings = {},
                      bool written = true) {
    OutputRun run;
    EXPECT_EQ(ExtractFromWad(archive, name, settings, run), written) << name;
    return name;
  }

  ScriptedUi ui;
};

// (An SFX entry kept as it is when WAV files are not asked for: the command
// line's "wad extract --no-wav".)
TEST_F(WadExtract, EntriesAreWrittenDecodedSfxBecomesWavAndNoRecordReplacesTheFileOfAnEarlierOne) {
  const auto samples = Pattern(1001);
  const auto archive = BuildWad({Member("DRUM.SFX", samples), Member("A.B.SFX", samples),
                                 Member("TWICE.TXT", Text("first")), Member("twice.txt", Text("second"))});
  EXPECT_EQ(Extract(archive, "drum.sfx"), "drum.WAV");
  EXPECT_EQ(ReadBytes("drum.WAV"), *MakeWavImage(samples));
  EXPECT_EQ(Extract(archive, "A.B.SFX"), "A.B.SFX") << "only the text after the first '.' decides";
  Extract(archive, "NOPE.TXT", {}, false);
  ui.Told();
  WriteBytes("TWICE.TXT", Text("first")); // (a later record of the same run: cli_test)
  ui.Answer(platform::kAnswerNo);
  ui.Answer(platform::kAnswerYes);
  Extract(archive, "TWICE.TXT", {Ask, true});
  EXPECT_EQ(ReadBytes("TWICE.TXT"), Text("second"));
  EXPECT_EQ(ui.Told().size(), 2u) << "one question for each record: an earlier run wrote the file";
  // The first KICK.SFX becomes KICK.WAV; the walk then looks for KICK.WAV, so
  // the second KICK.SFX is passed over, and the entry KICK.WAV, even under
  // Overwrite, does not replace the file that the run has just written.
  const auto kicks = BuildWad({Member("KICK.SFX", Pattern(10)), Member("KICK.SFX", Pattern(20)),
                               Member("KICK.WAV", Text("a wav entry"))});
  EXPECT_EQ(Extract(kicks, "KICK.SFX", {Overwrite, true}, false), "KICK.WAV");
  EXPECT_EQ(ReadBytes("KICK.WAV"), *MakeWavImage(Pattern(10)));
  EXPECT_EQ(ui.Told(), Strings{"KICK.WAV: Not written: it would replace KICK.WAV written by KICK.SFX"});
  EXPECT_FALSE(std::filesystem::exists("KICK.SFX"));
}

// Entries that do not decode are read as nothing and told; extracted, they
// are written as stored. A name that would reach another folder is not written at all.
TEST_F(WadExtract, FailedDecodesAreToldAndWrittenAsStoredAndANameReachingAnotherFolderNotAtAll) {
  const std::pair<std::string, Bytes> as_is[] = {
      {"BIG.SFX", BlockWithSize(70000, ImplodeStream(Text("abcd")))},
      {"BAD.SFX", BlockWithSize(900, kFaultyStream)},
      {"HUGE.SFX", BlockWithSize(0xFFFFFFFFu, kFaultyStream)},
      {"ONE.SFX", BlockWithSize(1, ImplodeStream(Text("a")))}}; // a block that decodes to 1 byte
  std::vector<WadMember> members = {Member("ABAB.TXT", Text("ABAB")), Member("OUT", Text("lost"))};
  for (const auto& [name, stored] : as_is)
    members.push_back(StoredMember(name, stored));
  // (CON, and a name without its zero: cli_test and the viewer's journey; every unsafe name: SafeName below.)
  members.push_back(Member("../UP.TXT", Text("data")));
  auto archive = BuildWad(members);
  StoreLE32(archive, 2 + 22 * 1 + 18, 5000); // OUT's data offset
  Bytes buffer(900);
  EXPECT_EQ(ReadFromWad(archive, "abab.txt", buffer), 4u);
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 4), Text("ABAB"));
  EXPECT_EQ(ReadFromWad(archive, "ABAB", buffer), 0u) << "an absent entry is not told";
  EXPECT_EQ(ReadFromWad(archive, "bad.sfx"), 900u) << "sizes are answered without decoding";
  for (const char* name : {"bad.sfx", "one.sfx", "out"})
    EXPECT_EQ(ReadFromWad(archive, name, buffer), 0u) << name;
  EXPECT_EQ(ui.Told(),
            (Strings{"bad.sfx: Abort: Decompression Failed", "one.sfx: Abort: Decompression Failed",
                     "out: Abort: the entry's data offset 5000 lies outside the archive of " +
                         std::to_string(archive.size()) + " bytes"}));
  for (const auto& [name, stored] : as_is) {
    EXPECT_EQ(Extract(archive, name), name);
    EXPECT_EQ(ReadBytes(name), stored) << name;
    EXPECT_EQ(ui.Told(), Strings{name + ": Decompression Failed\n Extracting file \"as is\" "});
  }
  Extract(archive, "../UP.TXT", {}, false);
  EXPECT_EQ(ui.Told(),
            Strings{"../UP.TXT: Refused: the name contains '\\', '/' or ':' and would reach another "
                    "folder; nothing was written"});
  EXPECT_EQ(FilesIn(dir.path()).size(), std::size(as_is));
  EXPECT_FALSE(std::filesystem::exists(dir.path().parent_path() / "UP.TXT"));
}

// (Extract All with no rows to extract: the viewer's journey, on an archive of no entries.)
TEST_F(WadExtract, ExtractAllAndSelectionAskForAFolderAndCountWhatWasWritten) {
  std::string name = "ABAB.TXT";
  OutputRun run;
  EXPECT_FALSE(ExtractFromWad(name, {}, run)) << "no archive is held";
  const auto archive = BuildWad({Member("ABAB.TXT", Text("ABAB")), Member("D.SFX", Pattern(9))});
  LoadedFile held(static_cast<std::uint32_t>(archive.size()));
  std::copy(archive.begin(), archive.end(), held.data());
  SetCurrentWad(std::move(held), "TEST.WAD");
  TempDir out;
  for (const std::string& folder : {out.path().string(), out.path().string(), std::string(),
                                    dir.path().string(), dir.path().string(), dir.path().string()})
    ui.ChooseFolder(folder);
  EXPECT_EQ(ExtractAllRows(nullptr, Strings{"ABAB.TXT", "D.SFX"}, {}), 2);
  EXPECT_EQ(FilesIn(out.path()), (Strings{"ABAB.TXT", "D.WAV"}));
  // The settings are read for every entry: Ask, declined, then a switch to
  // "Overwrite without prompt" made while the question was open.
  int entries = 0;
  ui.Answer(platform::kAnswerNo);
  EXPECT_EQ(ExtractAllRows(nullptr, Strings{"ABAB.TXT", "D.SFX"}, ExtractSettingsNow([&] {
                             return ExtractSettings{entries++ == 0 ? Ask : Overwrite, true};
                           })),
            1);
  EXPECT_EQ(ExtractAllRows(nullptr, Strings{"ABAB.TXT"}, {}), 0) << "a cancelled chooser ends quietly";
  for (const Strings& rows : {Strings{}, Strings{"ABAB.TXT"}, Strings{"ABAB.TXT"}})
    ExtractSelectedRows(nullptr, rows, {Skip, true}); // the folder is asked for before the selection counts
  EXPECT_EQ(ui.Told(), (Strings{"Files Extracted: 2",
                                "ABAB.TXT: File Already Exist!\nDo you wish to overwrite it? [Yes/No]",
                                "Files Extracted: 1", "ExtractSelection(): There are no selections",
                                "Files Extracted: 1", "ExtractSelection(): There are no selections"}));
}

TEST(SafeName, PlainNamesPassAndNamesThatLeaveTheFolderOrReachADeviceAreRefused) {
  for (const char* name :
       {"KICK.SFX", "kick.WAV", "README", ".hidden", "A.B.SFX", "CONSOLE.TXT", "CON_1", "COM10", "LPT0.BIN",
        "NULL", "COM", " lead.txt", "x..y", "\xC4RGER.TXT", "caf\xC3\xA9.txt", "COM\xC2\xB4"})
    EXPECT_EQ(UnsafeFileNameReason(name), "") << name;
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"empty", {""}},
      {"another folder", {"..\\WIN.INI", "../etc", "C:BOOT.INI", "name:stream"}},
      {"folder", {".", ".."}},
      {"drops", {"...", "KICK.", "KICK ", "CON ."}},
      {"control", {"A\x01.TXT", "LF\n", "X\x1F"}},
      {"Windows does not allow", {"WHAT?.SFX", "A*", "\"Q\"", "<x>", "a|b"}},
      {"device",
       {"CON", "Nul.txt", "AUX.SFX", "prn", "CON .TXT", "COM1", "com9.sfx", "LPT1", "COM\xB9", "LPT\xB2.TXT",
        "CONIN$", "conout$.x", SystemText("COM\xB9"), SystemText("lpt\xB3.txt")}},
  };
  for (const auto& [reason_part, names] : cases) {
    for (const std::string& name : names) {
      const std::string reason = UnsafeFileNameReason(name);
      EXPECT_NE(reason.find(reason_part), std::string::npos)
          << "\"" << name << "\" gave \"" << reason << "\"";
    }
  }
}

// The column sort as the list should perform it, said another way: a stable
// sort, in which a row has moved when a row above it in the list compared
// strictly greater (ascending) or smaller (descending). Texts compare on their
// first 254 characters, number columns by length first, letters as lower
// case, bytes unsigned.
ColumnSort ReferenceSort(const Strings& texts, bool right_aligned, bool ascending) {
  const auto before = [&](std::size_t x, std::size_t y) {
    std::string_view a = std::string_view(texts[x]).substr(0, 254),
                     b = std::string_view(texts[y]).substr(0, 254);
    if (!ascending) std::swap(a, b);
    if (right_aligned && a.size() != b.size()) return a.size() < b.size();
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](unsigned char p, unsigned char q) { return std::tolower(p) < std::tolower(q); });
  };
  ColumnSort result{std::vector<std::size_t>(texts.size()), std::vector<bool>(texts.size()), false};
  std::iota(result.order.begin(), result.order.end(), 0);
  std::stable_sort(result.order.begin(), result.order.end(), before);
  for (std::size_t row = 0; row < texts.size(); ++row)
    for (std::size_t above = 0; above < row; ++above)
      if (before(row, above)) result.moved_rows[row] = result.moved = true;
  return result;
}

// Random lists of three kinds: short texts over a few letters (many ties and
// case differences), number columns with a stray text among them, and long
// texts that differ around the 254th character; each also sorted again.
TEST(ListSort, MatchesAStableSortOnRandomAndSortedLists) {
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
