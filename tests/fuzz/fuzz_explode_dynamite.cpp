// Differential decoding of mode-0 streams against libdynamite, which is not built with the sanitizers
// and does not notice the end of the input or a copy from before the start: it only sees streams that
// our decoder finished with Done.
//
// An input whose first byte is 0 or 1 is a stream (the seeds are), forced to literal mode 0 and a
// valid dictionary size. Any other input is a list of items, 3 bytes each, written as a valid stream
// by the encoder's writer (which the independent vectors and libdynamite pin).
#include "core/explode.h"
#include "core/implode_detail.h"
#include "support/reference.h"

#include <algorithm>

namespace {

// Bounds the work per input: libdynamite hands out its output a byte at a time.
constexpr std::size_t kMaxItems = 1000;
constexpr std::size_t kMaxOutput = std::size_t{1} << 18;

std::vector<std::uint8_t> StreamFromItems(const std::uint8_t* data, std::size_t size) {
  const int dictionary_bits = 4 + data[1] % 3;
  std::vector<kv::implode_detail::Token> tokens;
  std::size_t produced = 0;
  for (std::size_t i = 2; i + 3 <= std::min<std::size_t>(size, kMaxItems * 3); i += 3) {
    const std::uint8_t kind = data[i], a = data[i + 1], b = data[i + 2];
    if (produced == 0 || (kind & 1) == 0) {
      tokens.push_back({0, a});
      ++produced;
      continue;
    }
    // Mostly short copies, like real data; one in four may be as long as the format allows.
    const int length = (kind & 6) == 6 ? 2 + ((kind >> 3) << 8 | a) % 517 : 2 + a % 16;
    const int reach = length == 2 ? 256 : 64 << dictionary_bits;
    const int distance = 1 + static_cast<int>((b << 8 | kind) % std::min<std::size_t>(reach, produced));
    tokens.push_back({static_cast<std::uint16_t>(length), static_cast<std::uint16_t>(distance)});
    produced += static_cast<std::size_t>(length);
  }
  return kv::implode_detail::Emit(tokens, {kv::LiteralMode::Binary, dictionary_bits});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::vector<std::uint8_t> stream;
  if (data[0] <= 1) {
    stream.assign(data, data + size);
    stream[0] = 0;
    if (stream[1] < 4 || stream[1] > 6) stream[1] = static_cast<std::uint8_t>(4 + stream[1] % 3);
  } else {
    stream = StreamFromItems(data, size);
  }
  const kv::test::ExplodeOutcome ours = kv::test::ExplodeCollect(stream);
  if (data[0] > 1)
    if (ours.result != kv::Done) __builtin_trap();
  if (ours.result != kv::Done || ours.output.size() > kMaxOutput) return 0;
  const auto theirs = kv::test::DynamiteExplode(stream);
  if (!theirs || *theirs != ours.output) __builtin_trap();
  return 0;
}
