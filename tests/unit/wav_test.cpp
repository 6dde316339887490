#include <gtest/gtest.h>

#include "media/sound_clip.h"
#include "media/wav.h"
#include "platform/host/host_ui.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace kv::test {
namespace {

TEST(Wav, AnOddSizedImageIsHeaderPlusSamplesWithNoPadByte) {
  const Bytes golden = {'R', 'I', 'F',  'F',  41, 0, 0, 0,    'W',  'A', 'V', 'E',  'f',
                        'm', 't', ' ',  18,   0,  0, 0, 1,    0,    1,   0,   0x11, 0x2B,
                        0,   0,   0x11, 0x2B, 0,  0, 1, 0,    8,    0,   0,   0,    'd',
                        'a', 't', 'a',  3,    0,  0, 0, 0x80, 0x00, 0xFF};
  EXPECT_EQ(MakeWavImage(Bytes{0x80, 0x00, 0xFF}), golden);
  EXPECT_EQ(MakeWavImage({})->size(), 46u);
}

// Sees each platform call and what is held at that moment: the platform
// reads an image while it sounds, so it may go only after it was stopped.
struct PlaybackProbe final : ScriptedUi {
  Strings calls;
  void OnPlayWav(std::span<const std::uint8_t> image) override {
    EXPECT_EQ(image.data(), PlayingClip().data()) << "plays the image it holds, not a copy";
    calls.push_back("play " + std::to_string(image.size()));
  }
  void OnStopSound() override { calls.push_back("stop, holding " + std::to_string(PlayingClip().size())); }
};

TEST(Wav, PlaySoundClipReleasesAnImageOnlyAfterStoppingIt) {
  PlaybackProbe probe;
  PlaySoundClip(std::nullopt);
  PlaySoundClip(MakeWavImage(Bytes(10, 0x80)));
  PlaySoundClip(MakeWavImage(Bytes(20, 0x80)));
  EXPECT_EQ(PlayingClip().size(), 66u);
  PlaySoundClip(std::nullopt);
  EXPECT_EQ(probe.calls, (Strings{"stop, holding 0", "stop, holding 0", "play 56", "stop, holding 56",
                                  "play 66", "stop, holding 66"}));
  EXPECT_TRUE(PlayingClip().empty());
}

} // namespace
} // namespace kv::test
