// The CompressedBlock framing (a 4-byte little-endian decompressed size, then
// an implode stream) and the "Decompress Non-WAD File" command.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kv {

// Byte 5 (the stream's dictionary bits) equal to 6 is the test of whether
// data are compressed.
inline constexpr std::size_t kCompressedMarkOffset = 5;
inline constexpr std::uint8_t kCompressedMark = 6;
// A block shorter than this holds no stream and never looks compressed.
inline constexpr std::size_t kMinBlockSize = 6;

bool LooksCompressed(std::span<const std::uint8_t> block);

struct BlockResult {
  enum Kind {
    Failed,       // the user has been told
    Decompressed, // `data` holds the decompressed bytes
    Skipped,      // the user chose to use the block as it is
  };
  Kind kind = Failed;
  std::vector<std::uint8_t> data;
};

// Decompresses a whole block after its plausibility checks, with every
// message box captioned `caption` (the name of the file that held it).
BlockResult DecompressBlock(std::span<const std::uint8_t> block, const std::string& caption);

// The main menu's "Decompress Non-WAD File": one loose file chosen by the
// user, decompressed into a file chosen by the user.
void DecompressFile();

// True when `path`'s extension (after its last dot) is "WAD" in any case.
bool HasWadExtension(const std::string& path);

namespace text {
inline constexpr const char* kNotCompressedQuestion =
    "Data doesn't appear to be compressed\n Skip Decompression?";
inline constexpr const char* kBadDecompressedSize = "Failed: unexpected value as decompressed size";
inline constexpr const char* kDecompressionFailed = "Decompression Failed";
inline constexpr const char* kDecompressionSuccess = "Decompression Success";
inline constexpr const char* kWadRefused = "Error: can not be used on a *.WAD file";
} // namespace text

} // namespace kv
