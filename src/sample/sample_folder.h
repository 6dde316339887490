// The sample game folder: a synthetic set of the game's files with which
// every function of the tool can be tried without the game. Nothing in it
// comes from the game; every byte is made here, the same on every run and
// platform (no time stamps, no randomness but fixed seeds, integer drawing).
//
// Each file is made by one small function of a list in sample_folder.cpp;
// the commentary files (COMMENT.TOK, VOICE\VOICE.WAD, the team files,
// REMIX.TXT) join that list when the commentary can read them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

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

// The speech clips, in archive order.
std::vector<SampleClip> SampleSpeechClips();

// Drawn in sample_pictures.cpp: TITLE.CEL and its palette TITLE.PAL.
std::vector<std::uint8_t> MakeTitleCel();
std::vector<std::uint8_t> MakeTitlePal();

} // namespace kv
