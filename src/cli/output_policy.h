// How the command line writes files: the overwrite mode from --overwrite, or
// by default Ask at a terminal and Skip otherwise (nothing is destroyed
// without being asked or told to).
#pragma once

#include <optional>
#include <span>
#include <string>

#include "cli/cli.h"
#include "cli/console_ui.h"
#include "core/file_services.h"

namespace kv::cli {

// nullopt when the text names no mode.
std::optional<OverwriteMode> ParseOverwriteMode(const std::string& text);
OverwriteMode DefaultOverwriteMode(bool interactive);

enum class SaveOutcome { Written, Skipped, Failed };

// SaveFile, telling a skip (nothing shown) from a failure (already told).
SaveOutcome SaveOutput(ConsoleUi& ui, const std::string& path, std::span<const std::uint8_t> data,
                       OverwriteMode mode);

// SaveOutput, then says what happened: "wrote PATH (DETAIL)" on the output
// stream, or that an existing file was kept on the error stream (a failure
// has been told already). DETAIL defaults to the size in bytes.
SaveOutcome SaveAndReport(ConsoleUi& ui, Streams streams, const std::string& path,
                          std::span<const std::uint8_t> data, OverwriteMode mode, std::string detail = {});

} // namespace kv::cli
