// Which commentary lines the user has left out, and the writing of one
// line's WAV file; the window's Export and the command line share both.
#pragma once

#include "commentary/comment_tok.h"
#include "core/file_services.h"
#include "core/output_run.h"
#include "platform/platform.h"
#include "wad/wad_archive.h"

namespace kv {

// The three kinds of names a line may speak, and whether each is included
// (the window's check boxes; all included when the mode opens).
struct CommentaryFilter {
  bool teamNames = true;
  bool starPlayerNames = true;
  bool throwerNames = true;
};

// True when the line speaks a kind of name that the filter leaves out.
bool IsLineExcluded(const CommentaryLine& line, const CommentaryFilter& filter);

// Builds the line's sound and writes it under its output name into the
// current directory with `mode`. A name that is not a plain file name is
// refused with a message under it and nothing is written, and so is a name
// that an earlier line of `run` wrote. True when the file was written.
bool ExportCommentaryLine(const CommentaryLine& line, WadImage voice, OverwriteMode mode,
                          platform::WindowHandle owner, OutputRun& run);

namespace text {
inline constexpr const char* kExportedFiles = "Exported: %u files";
inline constexpr const char* kExportCaption = "Success?";
} // namespace text

} // namespace kv
