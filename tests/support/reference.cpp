#include "support/reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <sstream>

extern "C" {
#include <libdynamite.h>
}

namespace kv::test {

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    ADD_FAILURE() << "cannot read " << path;
    return {};
  }
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string DataPath(std::string_view relative) {
  return std::string(KV_TEST_DATA_DIR) + "/" + std::string(relative);
}

std::vector<std::uint8_t> MakeBlock(std::span<const std::uint8_t> stream, std::uint32_t size) {
  std::vector<std::uint8_t> block(4 + stream.size());
  for (int i = 0; i < 4; ++i)
    block[i] = static_cast<std::uint8_t>(size >> (8 * i));
  std::copy(stream.begin(), stream.end(), block.begin() + 4);
  return block;
}

std::vector<ImplodeVector> LoadImplodeVectors() {
  const std::string folder = DataPath("implode/");
  std::ifstream manifest(folder + "MANIFEST.tsv");
  if (!manifest) ADD_FAILURE() << "cannot read " << folder << "MANIFEST.tsv";
  std::vector<ImplodeVector> vectors;
  std::string line;
  std::getline(manifest, line); // column names
  while (std::getline(manifest, line)) {
    if (line.empty()) continue;
    std::istringstream fields(line);
    ImplodeVector vector;
    fields >> vector.name >> vector.literal_mode >> vector.dictionary_bits;
    vector.stream = ReadFileBytes(folder + vector.name + ".imp");
    vector.raw = ReadFileBytes(folder + vector.name + ".raw");
    vectors.push_back(std::move(vector));
  }
  return vectors;
}

namespace {

struct DynamiteContext {
  std::span<const std::uint8_t> input;
  std::size_t position = 0;
  std::vector<std::uint8_t> output;
};
constexpr std::size_t kDynamiteOutputCap = std::size_t{16} << 20;

std::size_t DynamiteRead(void* buffer, std::size_t size, void* cookie) {
  auto& context = *static_cast<DynamiteContext*>(cookie);
  const std::size_t count = std::min(size, context.input.size() - context.position);
  std::copy_n(context.input.begin() + static_cast<std::ptrdiff_t>(context.position), count,
              static_cast<std::uint8_t*>(buffer));
  context.position += count;
  return count;
}

std::size_t DynamiteWrite(void* buffer, std::size_t size, void* cookie) {
  auto& context = *static_cast<DynamiteContext*>(cookie);
  if (context.output.size() + size > kDynamiteOutputCap) return 0; // ends a decode that runs away
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  context.output.insert(context.output.end(), bytes, bytes + size);
  return size;
}

} // namespace

std::optional<std::vector<std::uint8_t>> DynamiteExplode(std::span<const std::uint8_t> stream) {
  DynamiteContext context;
  context.input = stream;
  if (dynamite_explode(DynamiteRead, DynamiteWrite, &context) != DYNAMITE_SUCCESS) return std::nullopt;
  return std::move(context.output);
}

namespace {

struct PieceInput {
  std::span<const std::uint8_t> data;
  std::size_t piece = 0;
  std::size_t position = 0;
};

std::uint32_t PieceRead(void* context, const std::uint8_t** data) {
  auto& in = *static_cast<PieceInput*>(context);
  const std::size_t left = in.data.size() - in.position;
  const std::size_t count = in.piece == 0 ? left : std::min(left, in.piece);
  *data = in.data.data() + in.position;
  in.position += count;
  return static_cast<std::uint32_t>(count);
}

int CollectWrite(void* context, const std::uint8_t* data, std::uint32_t length) {
  auto& out = *static_cast<std::vector<std::uint8_t>*>(context);
  out.insert(out.end(), data, data + length);
  return 0;
}

} // namespace

ExplodeOutcome ExplodeCollect(std::span<const std::uint8_t> stream, std::size_t piece) {
  PieceInput in{stream, piece};
  ExplodeOutcome outcome;
  outcome.result = ExplodeStream(PieceRead, &in, CollectWrite, &outcome.output);
  return outcome;
}

namespace {

const std::initializer_list<int> kLiteralCompact = {
    11, 124, 8,  7,  28, 7,  188, 13,  76,  4,   10,  8,   12, 10, 12, 10, 8,  23, 8,  9,  7,  6,  7,  8,  7,
    6,  55,  8,  23, 24, 12, 11,  7,   9,   11,  12,  6,   7,  22, 5,  7,  24, 6,  11, 9,  6,  7,  22, 7,  11,
    38, 7,   9,  8,  25, 11, 8,   11,  9,   12,  8,   12,  5,  38, 5,  38, 5,  11, 7,  5,  6,  21, 6,  10, 53,
    8,  7,   24, 10, 27, 44, 253, 253, 253, 252, 252, 252, 13, 12, 45, 12, 45, 12, 61, 12, 45, 44, 173};
const std::initializer_list<int> kLengthCompact = {2, 35, 36, 53, 38, 23};
const std::initializer_list<int> kDistanceCompact = {2, 20, 53, 230, 247, 151, 248};
constexpr int kBase[16] = {3, 2, 4, 5, 6, 7, 8, 9, 10, 12, 16, 24, 40, 72, 136, 264};
constexpr int kExtra[16] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};

} // namespace

// A prefix code from its compact table: each byte stands for (high nibble + 1) symbols whose codes
// have (low nibble) bits. The codes are canonical: shorter first, then by symbol. For the reference
// decoder, the symbols in that order and how many codes each length has.
struct CodeWords {
  std::vector<int> code;
  std::vector<int> length;
  std::array<int, 14> count{};
  std::vector<int> sorted;
  explicit CodeWords(std::initializer_list<int> compact) {
    for (const int byte : compact)
      length.insert(length.end(), (byte >> 4) + 1, byte & 15);
    code.resize(length.size());
    int next = 0;
    for (int bits = 1; bits <= 13; ++bits) {
      for (std::size_t symbol = 0; symbol < length.size(); ++symbol) {
        if (length[symbol] != bits) continue;
        code[symbol] = next++;
        ++count[bits];
        sorted.push_back(static_cast<int>(symbol));
      }
      next <<= 1;
    }
  }
};

namespace {
const CodeWords& LiteralWords() {
  static const CodeWords words(kLiteralCompact);
  return words;
}
const CodeWords& LengthWords() {
  static const CodeWords words(kLengthCompact);
  return words;
}
const CodeWords& DistanceWords() {
  static const CodeWords words(kDistanceCompact);
  return words;
}

struct OutOfInput {};

class BitReader {
public:
  explicit BitReader(std::span<const std::uint8_t> data) : data_(data) {}

  int Bit() {
    if (count_ == 0) {
      if (position_ == data_.size()) throw OutOfInput{};
      buffer_ = data_[position_++];
      count_ = 8;
    }
    const int bit = buffer_ & 1;
    buffer_ >>= 1;
    --count_;
    return bit;
  }

  int Bits(int n) {
    int value = 0;
    for (int i = 0; i < n; ++i)
      value |= Bit() << i;
    return value;
  }

  int Symbol(const CodeWords& huffman) {
    int code = 0, first = 0, index = 0;
    for (int length = 1; length <= 13; ++length) {
      code |= Bit() ^ 1;
      const int count = huffman.count[length];
      if (code - first < count) return huffman.sorted[index + code - first];
      index += count;
      first = (first + count) << 1;
      code <<= 1;
    }
    return -9;
  }

private:
  std::span<const std::uint8_t> data_;
  std::size_t position_ = 0;
  int buffer_ = 0;
  int count_ = 0;
};

ExplodeResult ReferenceDecode(BitReader& in, std::vector<std::uint8_t>& out) {
  const CodeWords& literal_code = LiteralWords();
  const CodeWords& length_code = LengthWords();
  const CodeWords& distance_code = DistanceWords();

  const int literal_mode = in.Bits(8);
  if (literal_mode > 1) return BadLiteralMode;
  const int dictionary_bits = in.Bits(8);
  if (dictionary_bits < 4 || dictionary_bits > 6) return BadDictionarySize;
  for (;;) {
    if (in.Bit() == 0) {
      out.push_back(static_cast<std::uint8_t>(literal_mode == 0 ? in.Bits(8) : in.Symbol(literal_code)));
      continue;
    }
    const int symbol = in.Symbol(length_code);
    const int length = kBase[symbol] + in.Bits(kExtra[symbol]);
    if (length == 519) return Done;
    const int low_bits = length == 2 ? 2 : dictionary_bits;
    const int distance_symbol = in.Symbol(distance_code);
    const std::size_t distance = (distance_symbol << low_bits) + in.Bits(low_bits) + 1;
    if (distance > out.size()) return DistanceTooFar;
    for (int i = 0; i < length; ++i) {
      const std::uint8_t byte = out[out.size() - distance];
      out.push_back(byte);
    }
  }
}

} // namespace

ExplodeOutcome ReferenceExplode(std::span<const std::uint8_t> stream) {
  BitReader in(stream);
  ExplodeOutcome outcome;
  try {
    outcome.result = ReferenceDecode(in, outcome.output);
  } catch (const OutOfInput&) {
    outcome.result = InputExhausted;
  }
  return outcome;
}

StreamWriter::StreamWriter(int literal_mode, int dictionary_bits)
    : literal_mode_(literal_mode), dictionary_bits_(dictionary_bits) {
  bytes_ = {static_cast<std::uint8_t>(literal_mode), static_cast<std::uint8_t>(dictionary_bits)};
}

void StreamWriter::Bits(std::uint32_t value, int n) {
  for (int i = 0; i < n; ++i) {
    if (used_ == 8) {
      bytes_.push_back(0);
      used_ = 0;
    }
    bytes_.back() |= static_cast<std::uint8_t>(((value >> i) & 1) << used_++);
  }
}

void StreamWriter::Code(const CodeWords& code, int symbol) {
  for (int i = code.length[symbol] - 1; i >= 0; --i)
    Bits(((code.code[symbol] >> i) & 1) ^ 1, 1);
}

StreamWriter& StreamWriter::Literal(std::uint8_t byte) {
  Bits(0, 1);
  if (literal_mode_ == 0) {
    Bits(byte, 8);
  } else {
    Code(LiteralWords(), byte);
  }
  return *this;
}

StreamWriter& StreamWriter::Literals(std::string_view text) {
  for (const char c : text)
    Literal(static_cast<std::uint8_t>(c));
  return *this;
}

StreamWriter& StreamWriter::Copy(int length, int distance) {
  int symbol = 0;
  while (!(kBase[symbol] <= length && length < kBase[symbol] + (1 << kExtra[symbol])))
    ++symbol;
  Bits(1, 1);
  Code(LengthWords(), symbol);
  Bits(static_cast<std::uint32_t>(length - kBase[symbol]), kExtra[symbol]);
  if (length == 519) return *this;
  const int low_bits = length == 2 ? 2 : dictionary_bits_;
  Code(DistanceWords(), (distance - 1) >> low_bits);
  Bits(static_cast<std::uint32_t>(distance - 1) & ((1u << low_bits) - 1), low_bits);
  return *this;
}

StreamWriter& StreamWriter::End() {
  return Copy(519, 0);
}

std::vector<std::uint8_t> StreamWriter::Bytes() const {
  return bytes_;
}

} // namespace kv::test
