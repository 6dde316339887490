// Referees for the implode decoder: the vectors made by an independent encoder, libdynamite
// (mode-0 streams only) and a plain decoder that takes one bit at a time, against which the
// table-driven one is checked.
#pragma once

#include "core/explode.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kv::test {

// The whole file at `path`; fails the current test (and returns nothing) when it can't be read.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

// A path inside tests/data, e.g. DataPath("implode/MANIFEST.tsv").
std::string DataPath(std::string_view relative);

// A CompressedBlock: `size` as 4 bytes little-endian, then `stream`.
std::vector<std::uint8_t> MakeBlock(std::span<const std::uint8_t> stream, std::uint32_t size);

// One row of implode/MANIFEST.tsv with its two files loaded.
struct ImplodeVector {
  std::string name;
  int literal_mode = 0;
  int dictionary_bits = 0;
  std::vector<std::uint8_t> stream; // bare: mode byte, dictionary byte, bit stream
  std::vector<std::uint8_t> raw;    // what it decodes to
};
std::vector<ImplodeVector> LoadImplodeVectors();

// Decodes a bare stream with libdynamite. Only for well-formed mode-0 streams: it does not notice
// the end of the input nor a copy from before the start. Output is capped at 16 MiB. Nothing when
// it reports a failure.
std::optional<std::vector<std::uint8_t>> DynamiteExplode(std::span<const std::uint8_t> stream);

// What a decode handed to its output callback, and its result code.
struct ExplodeOutcome {
  ExplodeResult result = Done;
  std::vector<std::uint8_t> output;
  bool operator==(const ExplodeOutcome&) const = default;
};

// ExplodeStream over `stream` with the input handed over in pieces of `piece` bytes (0: one piece)
// and the output collected without bound.
ExplodeOutcome ExplodeCollect(std::span<const std::uint8_t> stream, std::size_t piece = 0);

// A decoder that reads one bit at a time and unwinds with an exception when the input runs out:
// the plainest reading of the format, to check the fast decoder against.
ExplodeOutcome ReferenceExplode(std::span<const std::uint8_t> stream);

struct CodeWords;

// Writes a bare stream item by item, for crafted cases: the header, literals, copies, the end code.
// Copies are written as asked, whether or not they reach back before the start.
class StreamWriter {
public:
  StreamWriter(int literal_mode, int dictionary_bits);
  StreamWriter& Literal(std::uint8_t byte);
  StreamWriter& Literals(std::string_view text);
  // length 2..518; distance 1..256 for length 2, else 1..64 << dictionary bits.
  StreamWriter& Copy(int length, int distance);
  StreamWriter& End();
  // The stream so far, its last byte padded with zero bits.
  std::vector<std::uint8_t> Bytes() const;

private:
  void Bits(std::uint32_t value, int n);
  void Code(const CodeWords& code, int symbol);
  int literal_mode_;
  int dictionary_bits_;
  std::vector<std::uint8_t> bytes_;
  int used_ = 8; // bits used in the last byte
};

} // namespace kv::test
