// Reading entries out of a WAD archive held in memory, and writing them as
// files into the current directory: ReadFromWad for the commentary and the
// remix, ExtractFromWad and the extract commands for the WAD viewer and the
// command line. Failures are told here, in message boxes captioned with the
// entry's name; callers learn only the result.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/file_services.h"
#include "core/output_run.h"
#include "platform/platform.h"
#include "wad/wad_archive.h"

namespace kv {

// The viewer's choices: its radio buttons and its conversion check box.
struct ExtractSettings {
  OverwriteMode mode = Ask;
  bool convert_sfx = true;
};

// The declared size of the first entry named `name` (ASCII case ignored), or
// 0 when there is none. Nothing is decoded and nothing is shown: a faulty
// entry gives 0, and is told about when it is decoded.
std::uint32_t ReadFromWad(WadImage image, std::string_view name);
// Tells about the first entry named `name` when it is faulty, as decoding
// it would ("Abort: ..."); true when it was.
bool ReportWadEntryFault(WadImage image, std::string_view name);

// Decodes the first entry named `name` into `buffer`, which must hold its
// declared size: the bytes produced, or 0 when there is no such entry
// (nothing shown), it is faulty, or fewer than 4 bytes came out (told).
std::uint32_t ReadFromWad(WadImage image, std::string_view name, std::span<std::uint8_t> buffer);

// True when the text after the first '.' of `name` is SFX, ASCII case
// ignored: the entries that extraction turns into WAV files (A.B.SFX is not
// one; a '.' at index 0 counts here, unlike in the listing's type).
bool IsSfxEntryName(std::string_view name);

// What extracting the readable record `entry` under `name` writes: its
// decoded bytes, their WAV image for an SFX name under `convert_sfx`, or,
// told with "Decompression Failed ...", its stored block as it is. None
// after telling that memory ran out.
struct ExtractedRecord {
  std::vector<std::uint8_t> decoded;    // or their WAV image
  std::span<const std::uint8_t> stored; // the image's block, when it did not decode
  bool as_wav = false;
  bool as_stored = false;
  std::span<const std::uint8_t> bytes() const {
    return as_stored ? stored : std::span<const std::uint8_t>(decoded);
  }
};
std::optional<ExtractedRecord> ExtractRecord(WadImage image, const WadEntry& entry, std::string_view name,
                                             bool convert_sfx);

// Writes every entry named `name` (ASCII case ignored) into the current
// directory, decompressed. An SFX entry under convert_sfx becomes a WAV file
// and `name` is changed to its new name (kick.sfx becomes kick.WAV); the rest
// of the walk looks for the changed name. Returns the result of the last
// write performed, false when none was. A name that is not a plain file name
// is refused with a message and nothing is written. Every write goes through
// `run`, so a record never replaces a file that an earlier one wrote.
bool ExtractFromWad(WadImage image, std::string& name, const ExtractSettings& settings, OutputRun& run);
// The same, the records found through `index`, made once for the archive:
// what a command that extracts many names calls.
bool ExtractFromWad(WadImage image, const WadIndex& index, std::string& name, const ExtractSettings& settings,
                    OutputRun& run);
// The same over CurrentWad; false when none is held.
bool ExtractFromWad(std::string& name, const ExtractSettings& settings, OutputRun& run);

// The names that one extraction has walked: the name asked for and the name
// it ended under (an SFX name turned WAV). A later row or argument of such
// a name has nothing to add, and would only meet the files already written.
class WadNamesCovered {
public:
  bool Has(const std::string& name) const;
  void Add(const std::string& asked, const std::string& ended);

private:
  std::unordered_set<std::string> names_;
};

// The viewer's choices as they are at the moment of asking: the user may
// change them while a question of the walk is open, and the rest of the walk
// follows the change.
class ExtractSettingsNow {
public:
  explicit ExtractSettingsNow(std::function<ExtractSettings()> read) : read_(std::move(read)) {}
  ExtractSettings operator()() const { return read_(); }

private:
  std::function<ExtractSettings()> read_;
};

// "Extract All" once the window has read its rows: `row_names` holds the Name
// cell of every row in row order. Asks for the output folder (owned by
// `owner`), extracts each row's name with the settings of that moment and
// shows the count of files written. Returns the count.
int ExtractAllRows(platform::WindowHandle owner, std::span<const std::string> row_names,
                   const ExtractSettingsNow& settings);
int ExtractAllRows(platform::WindowHandle owner, std::span<const std::string> row_names,
                   const ExtractSettings& settings);

// "Extract Selection": `selected_names` holds the Name cells of the selected
// rows in row order. The folder is asked for before the selection counts.
int ExtractSelectedRows(platform::WindowHandle owner, std::span<const std::string> selected_names,
                        const ExtractSettingsNow& settings);
int ExtractSelectedRows(platform::WindowHandle owner, std::span<const std::string> selected_names,
                        const ExtractSettings& settings);

namespace text {
inline constexpr const char* kReadDecompressionFailed = "Abort: Decompression Failed";
inline constexpr const char* kExtractAsIs = "Decompression Failed\n Extracting file \"as is\" ";
inline constexpr const char* kExtractFromWadCaption = "ExtractFromWad()";
inline constexpr const char* kNoWadLoaded = "No WAD file loaded";
inline constexpr const char* kExtractAllCaption = "ExtractAll()";
inline constexpr const char* kNoSelections = "There are no selections";
inline constexpr const char* kExtractSelectionCaption = "ExtractSelection()";
inline constexpr const char* kFilesExtractedCaption = "Files Extracted";
inline constexpr const char* kEntryFaultPrefix = "Failed: ";
inline constexpr const char* kNothingWritten = "; nothing was written";
} // namespace text

} // namespace kv
