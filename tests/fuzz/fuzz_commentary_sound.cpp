// BuildCommentarySound over an arbitrary VOICE.WAD: the first bytes choose
// the line's pieces among the archive's names and the placeholders; the
// image always says its own size, and what no clip filled is silence.
#include <cstddef>
#include <cstdint>

#include "commentary/commentary_sound.h"
#include "commentary/name_slots.h"
#include "core/little_endian.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t count = data[0] % 17;
  const kv::WadImage voice(data + 1, size - 1);
  const auto entries = kv::ReadWadDirectory(voice);
  kv::CommentaryLine line;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t pick = data[(1 + i) % size];
    if (pick < 0x40 || entries.empty()) {
      line.pieces.push_back(std::string{'*', 'J', static_cast<char>('A' + pick % 6)});
    } else {
      line.pieces.push_back(entries[pick % entries.size()].name);
    }
  }
  kv::ResetNameSlots();
  const auto image = kv::BuildCommentarySound(line, voice, nullptr);
  if (image && (image->size() < 92 || kv::LoadLE32(image->data() + 42) != image->size() - 46))
    __builtin_trap();
  return 0;
}
