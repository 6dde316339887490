// The sample game folder: a synthetic set of the game's files with which
// every function of the tool can be tried without the game. Nothing in it
// comes from the game; every byte is made here, the same on every run and
// platform (no time stamps, no randomness but fixed seeds, integer drawing).
//
// The files of the WAD viewer and the converters are made in
// sample_folder.cpp and sample_pictures.cpp, those of the two commentary
// modes in sample_commentary.cpp.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sample/embedded_assets.h"

namespace kv {

// One file of the sample folder.
struct SampleFile {
  // Its path inside the folder: a bare name, or "FOLDER/NAME" for a file
  // that the game keeps in a subfolder.
  std::string name;
  std::string description; // one line for the listing
  std::vector<std::uint8_t> bytes;
};

// Every file, in the order in which they are written.
std::vector<SampleFile> BuildSampleFolder();

// One speech clip of SOUNDS.WAD.
struct SampleClip {
  std::string entry_name; // NAME.SFX
  std::string text;       // what it says
  std::span<const std::uint8_t> samples;
};

// The speech clips of SOUNDS.WAD, in archive order.
std::vector<SampleClip> SampleSpeechClips();

// The clips of VOICE\VOICE.WAD, in archive order: the pieces of the
// commentary lines, then the names of the teams and players.
std::vector<SampleClip> SampleCommentaryClips();

// COMMENT.TOK, VOICE/VOICE.WAD, the team files, AGENTS.FRP and REMIX.TXT.
std::vector<SampleFile> SampleCommentaryFiles();

// Each commentary line's file name and what it says, for the README.
std::string SampleCommentaryLines();

// The clips that the phrases.txt of `assets` lists ("NAME SPEAKER TEXT"
// lines, '#' starting a comment), each NAME.raw of the same folder.
std::vector<SampleClip> ClipsOf(std::span<const EmbeddedFile> assets);

// `text` with CR LF line ends, as the game's own texts have.
std::vector<std::uint8_t> DosText(std::string_view text);

// Drawn in sample_pictures.cpp: TITLE.CEL and its palette TITLE.PAL.
std::vector<std::uint8_t> MakeTitleCel();
std::vector<std::uint8_t> MakeTitlePal();

} // namespace kv
