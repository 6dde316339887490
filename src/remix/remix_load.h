// The remix mode's work with the user and the files: REMIX.TXT and VOICE.WAD
// chosen and read, the script turned into entries, and one entry written as
// a WAV file. The window and the command line share them.
#pragma once

#include <optional>
#include <vector>

#include "core/file_services.h"
#include "core/output_run.h"
#include "remix/remix_script.h"

namespace kv {

// Asks for REMIX.TXT, finds VOICE.WAD beside it (or along the search order,
// or by asking), reads both and the script. The entries in script order, or
// none when a dialog was cancelled, a file could not be read or the script
// is in error (the user has been told).
std::optional<std::vector<RemixEntry>> LoadRemixScript();

// Writes the entry's image as its name + ".wav" into the current directory
// with `mode`; a name that is not a plain file name is refused with a
// message under it and nothing is written, and so is a name that an earlier
// entry of `run` wrote. True when the file was written.
bool ExportRemixEntry(const RemixEntry& entry, OverwriteMode mode, OutputRun& run);

namespace text {
inline constexpr const char* kSelectRemixFile = "Select REMIX file";
inline constexpr const char* kRemixFileName = "REMIX.TXT";
inline constexpr const char* kNoEntries = "Error: No Entries";
inline constexpr const char* kExtractRemixCaption = "ExtractRemix()";
inline constexpr const char* kFilesExtracted = "Files Extracted";
} // namespace text

} // namespace kv
