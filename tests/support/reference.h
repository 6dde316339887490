// Referees for the implode decoder: the vectors of an independent encoder
// (tests/data/implode), libdynamite (mode-0 streams only) and a plain decoder
// that takes one bit at a time, against which the table-driven one is checked.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/explode.h"

namespace kv::test {

// A file under tests/data, e.g. DataFile("implode/damaged/x.imp").
std::vector<std::uint8_t> DataFile(std::string_view relative);

// One row of tests/data/implode/MANIFEST.tsv with its two files loaded.
struct ImplodeVector {
  std::string name;
  int literal_mode = 0;
  int dictionary_bits = 0;
  std::vector<std::uint8_t> stream; // bare: mode byte, dictionary byte, bit stream
  std::vector<std::uint8_t> raw;    // what it decodes to
};
std::vector<ImplodeVector> LoadImplodeVectors();

// Decodes a bare stream with libdynamite. Only for well-formed mode-0
// streams: it does not notice the end of the input nor a copy from before the
// start. Output is capped at 16 MiB. Nothing when it reports a failure.
std::optional<std::vector<std::uint8_t>> DynamiteExplode(std::span<const std::uint8_t> stream);

// What a decode handed to its output callback, and its result code.
struct ExplodeOutcome {
  ExplodeResult result = Done;
  std::vector<std::uint8_t> output;
  bool operator==(const ExplodeOutcome&) const = default;
};

// ExplodeStream over `stream` handed over in pieces of `piece` bytes (0: one
// piece), the output collected without bound.
ExplodeOutcome ExplodeCollect(std::span<const std::uint8_t> stream, std::size_t piece = 0);

// The plainest reading of the format: one bit at a time, unwinding with an
// exception when the input runs out.
ExplodeOutcome ReferenceExplode(std::span<const std::uint8_t> stream);

} // namespace kv::test
