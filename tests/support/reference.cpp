#include "support/reference.h"

#include <algorithm>
#include <map>
#include <sstream>

#include "support/temp_dir.h"

extern "C" {
#include <libdynamite.h>
}

namespace kv::test {

std::vector<std::uint8_t> DataFile(std::string_view relative) {
  return ReadBytes(std::string(KV_TEST_DATA_DIR) + "/" + std::string(relative));
}

std::vector<ImplodeVector> LoadImplodeVectors() {
  const std::vector<std::uint8_t> text = DataFile("implode/MANIFEST.tsv");
  std::istringstream manifest(std::string(text.begin(), text.end()));
  std::vector<ImplodeVector> vectors;
  std::string line;
  std::getline(manifest, line); // column names
  for (ImplodeVector v; std::getline(manifest, line);) {
    if (!(std::istringstream(line) >> v.name >> v.literal_mode >> v.dictionary_bits)) continue;
    v.stream = DataFile("implode/" + v.name + ".imp");
    v.raw = DataFile("implode/" + v.name + ".raw");
    vectors.push_back(v);
  }
  return vectors;
}

namespace {

// The input handed out in pieces (all that is left when `piece` is 0) and the output collected.
struct Pipe {
  std::span<const std::uint8_t> input;
  std::size_t piece = 0;
  std::vector<std::uint8_t> output;

  // Takes up to `most` bytes of the input; returns where they start and how many they are.
  std::span<const std::uint8_t> Take(std::size_t most) {
    const auto taken = input.first(std::min(input.size(), most));
    input = input.subspan(taken.size());
    return taken;
  }
};

std::size_t DynamiteRead(void* buffer, std::size_t size, void* cookie) {
  const auto taken = static_cast<Pipe*>(cookie)->Take(size);
  std::copy(taken.begin(), taken.end(), static_cast<std::uint8_t*>(buffer));
  return taken.size();
}

std::size_t DynamiteWrite(void* buffer, std::size_t size, void* cookie) {
  auto& output = static_cast<Pipe*>(cookie)->output;
  if (output.size() + size > (std::size_t{16} << 20)) return 0; // ends a decode that runs away
  output.insert(output.end(), static_cast<std::uint8_t*>(buffer), static_cast<std::uint8_t*>(buffer) + size);
  return size;
}

std::uint32_t PieceRead(void* cookie, const std::uint8_t** data) {
  auto& pipe = *static_cast<Pipe*>(cookie);
  const auto taken = pipe.Take(pipe.piece == 0 ? SIZE_MAX : pipe.piece);
  *data = taken.data();
  return static_cast<std::uint32_t>(taken.size());
}

int CollectWrite(void* cookie, const std::uint8_t* data, std::uint32_t length) {
  auto& output = static_cast<Pipe*>(cookie)->output;
  output.insert(output.end(), data, data + length);
  return 0;
}

} // namespace

std::optional<std::vector<std::uint8_t>> DynamiteExplode(std::span<const std::uint8_t> stream) {
  Pipe pipe{stream, 0, {}};
  if (dynamite_explode(DynamiteRead, DynamiteWrite, &pipe) != DYNAMITE_SUCCESS) return std::nullopt;
  return std::move(pipe.output);
}

ExplodeOutcome ExplodeCollect(std::span<const std::uint8_t> stream, std::size_t piece) {
  Pipe pipe{stream, piece, {}};
  const ExplodeResult result = ExplodeStream(PieceRead, &pipe, CollectWrite, &pipe);
  return {result, std::move(pipe.output)};
}

namespace {

// The three prefix codes, written compactly: each byte stands for (high nibble + 1) symbols whose
// codes have (low nibble) bits. Codes are canonical (shorter first, then by symbol) and stored with
// every bit inverted.
constexpr std::uint8_t kLiteralCompact[] = {
    11, 124, 8,  7,  28, 7,  188, 13,  76,  4,   10,  8,   12, 10, 12, 10, 8,  23, 8,  9,  7,  6,  7,  8,  7,
    6,  55,  8,  23, 24, 12, 11,  7,   9,   11,  12,  6,   7,  22, 5,  7,  24, 6,  11, 9,  6,  7,  22, 7,  11,
    38, 7,   9,  8,  25, 11, 8,   11,  9,   12,  8,   12,  5,  38, 5,  38, 5,  11, 7,  5,  6,  21, 6,  10, 53,
    8,  7,   24, 10, 27, 44, 253, 253, 253, 252, 252, 252, 13, 12, 45, 12, 45, 12, 61, 12, 45, 44, 173};
constexpr std::uint8_t kLengthCompact[] = {2, 35, 36, 53, 38, 23};
constexpr std::uint8_t kDistanceCompact[] = {2, 20, 53, 230, 247, 151, 248};
constexpr int kLengthBase[16] = {3, 2, 4, 5, 6, 7, 8, 9, 10, 12, 16, 24, 40, 72, 136, 264};
constexpr int kLengthExtra[16] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};

// Each code, as (length, value), with its symbol.
using PrefixCode = std::map<std::pair<int, int>, int>;

PrefixCode MakeCode(std::span<const std::uint8_t> compact) {
  std::vector<int> lengths;
  for (const std::uint8_t byte : compact)
    lengths.insert(lengths.end(), (byte >> 4) + 1, byte & 15);
  PrefixCode code;
  for (int bits = 1, next = 0; bits <= 13; ++bits, next <<= 1)
    for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol)
      if (lengths[symbol] == bits) code[{bits, next++}] = static_cast<int>(symbol);
  return code;
}

struct OutOfInput {};

} // namespace

ExplodeOutcome ReferenceExplode(std::span<const std::uint8_t> stream) {
  static const PrefixCode literals = MakeCode(kLiteralCompact), lengths = MakeCode(kLengthCompact),
                          distances = MakeCode(kDistanceCompact);
  std::size_t at = 0; // the next bit, counted from the start
  const auto bits = [&](int n) {
    int value = 0;
    for (int i = 0; i < n; ++i, ++at) {
      if (at / 8 == stream.size()) throw OutOfInput{};
      value |= (stream[at / 8] >> (at % 8) & 1) << i;
    }
    return value;
  };
  const auto symbol = [&](const PrefixCode& code) {
    for (int length = 1, value = 0;; ++length) { // the codes are complete: a symbol comes by 13 bits
      value = value << 1 | (bits(1) ^ 1);
      if (const auto found = code.find({length, value}); found != code.end()) return found->second;
    }
  };
  ExplodeOutcome outcome;
  std::vector<std::uint8_t>& out = outcome.output;
  const auto decode = [&]() -> ExplodeResult {
    const int literal_mode = bits(8);
    if (literal_mode > 1) return BadLiteralMode;
    const int dictionary_bits = bits(8);
    if (dictionary_bits < 4 || dictionary_bits > 6) return BadDictionarySize;
    for (;;) {
      if (bits(1) == 0) {
        out.push_back(static_cast<std::uint8_t>(literal_mode == 0 ? bits(8) : symbol(literals)));
        continue;
      }
      const int code = symbol(lengths);
      const int length = kLengthBase[code] + bits(kLengthExtra[code]);
      if (length == 519) return Done;
      const int low_bits = length == 2 ? 2 : dictionary_bits;
      const int high = symbol(distances);
      const auto distance = static_cast<std::size_t>((high << low_bits) + bits(low_bits) + 1);
      if (distance > out.size()) return DistanceTooFar;
      for (int i = 0; i < length; ++i)
        out.push_back(out[out.size() - distance]);
    }
  };
  try {
    outcome.result = decode();
  } catch (const OutOfInput&) {
    outcome.result = InputExhausted;
  }
  return outcome;
}

} // namespace kv::test
