#include "commentary/commentary_sound.h"

#include <algorithm>
#include <new>
#include <vector>

#include "commentary/name_slots.h"
#include "core/explode.h"
#include "core/file_services.h"
#include "wad/wad_extract.h"

namespace kv {
namespace {

// Silence in 8-bit unsigned samples.
constexpr std::uint8_t kSilence = 0x80;

// A clip's declared size as it counts in a line: one above the largest a
// compressed block can hold cannot decode, so it counts nothing.
std::uint32_t CountedSize(WadImage voice, const std::string& name) {
  const std::uint32_t size = ReadFromWad(voice, name);
  return size > kMaxDecompressedSize ? 0 : size;
}

// The clip of declared size `size` decoded into `image` from `at` on; the
// bytes it produced.
std::uint32_t DecodeClip(WadImage voice, const std::string& name, std::uint32_t size, WavImage& image,
                         std::size_t at) {
  const std::size_t room = std::min<std::size_t>(size, image.size() - at);
  return ReadFromWad(voice, name, std::span<std::uint8_t>(image.data() + at, room));
}

std::optional<WavImage> NewImage(std::uint64_t data_size) {
  if (data_size > kMaxWavDataSize) {
    platform::SetLastError(platform::kErrorNotEnoughMemory);
    return std::nullopt;
  }
  try {
    WavImage image(WavHeader::kSize + data_size, kSilence);
    BuildWavHeader(std::span<std::uint8_t, WavHeader::kSize>(image.data(), WavHeader::kSize),
                   static_cast<std::uint32_t>(data_size));
    return image;
  } catch (const std::bad_alloc&) {
    platform::SetLastError(platform::kErrorNotEnoughMemory);
    return std::nullopt;
  }
}

} // namespace

std::string ResolvePieceName(std::string_view piece) {
  if (piece.empty() || piece[0] != '*') return std::string(piece);
  const char speaker = piece.size() > 1 ? piece[1] : '\0';
  const auto slot = NameSlotOfLetter(piece.size() > 2 ? piece[2] : '\0');
  if (!slot) return {};
  return speaker + NameSlotKey(*slot) + (NameSlotInfoOf(*slot).team ? "FU.SFX" : ".SFX");
}

std::optional<WavImage> BuildCommentarySound(const CommentaryLine& line, WadImage voice,
                                             platform::WindowHandle owner) {
  struct Clip {
    std::string name;
    std::uint32_t size;
  };
  std::vector<Clip> clips;
  std::uint64_t total = 0;
  for (const std::string& piece : line.pieces) {
    std::string name = ResolvePieceName(piece);
    const std::uint32_t size = CountedSize(voice, name);
    clips.push_back({std::move(name), size});
    total += size;
  }
  if (total < WavHeader::kSize) {
    platform::ShowMessage(owner, text::kUnknownError, text::kBuildSoundCaption, platform::Buttons::Ok);
    return std::nullopt;
  }
  std::optional<WavImage> image = NewImage(total);
  if (!image) {
    ShowSystemError(text::kBuildSoundCaption);
    return std::nullopt;
  }
  // A clip that decodes short moves the ones behind it up; what no clip
  // filled stays silence, and the header keeps the declared total.
  std::size_t at = WavHeader::kSize;
  for (const Clip& clip : clips)
    at += DecodeClip(voice, clip.name, clip.size, *image, at);
  std::fill(image->begin() + static_cast<std::ptrdiff_t>(at), image->end(), kSilence);
  return image;
}

std::optional<WavImage> BuildNameSound(const NameKey& key, WadImage voice) {
  std::string name = "J" + key + "FU.SFX";
  if (ReadFromWad(voice, name) == 0) name = "B" + key + ".SFX";
  const std::uint32_t size = CountedSize(voice, name);
  if (size == 0) return std::nullopt;
  std::optional<WavImage> image = NewImage(size);
  if (!image) return std::nullopt;
  const std::uint32_t produced = DecodeClip(voice, name, size, *image, WavHeader::kSize);
  std::fill(image->begin() + static_cast<std::ptrdiff_t>(WavHeader::kSize + produced), image->end(),
            kSilence);
  return image;
}

} // namespace kv
