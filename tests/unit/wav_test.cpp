#include <gtest/gtest.h>

#include "media/sound_clip.h"
#include "media/wav.h"
#include "platform/host/host_ui.h"

namespace kv {
namespace {

TEST(WavTest, AnOddSizedImageIsHeaderPlusSamplesWithNoPadByte) {
  const std::vector<std::uint8_t> golden = {'R', 'I', 'F',  'F',  41, 0, 0, 0,    'W',  'A', 'V', 'E',  'f',
                                            'm', 't', ' ',  18,   0,  0, 0, 1,    0,    1,   0,   0x11, 0x2B,
                                            0,   0,   0x11, 0x2B, 0,  0, 1, 0,    8,    0,   0,   0,    'd',
                                            'a', 't', 'a',  3,    0,  0, 0, 0x80, 0x00, 0xFF};
  EXPECT_EQ(MakeWavImage(std::vector<std::uint8_t>{0x80, 0x00, 0xFF}), golden);
  EXPECT_EQ(MakeWavImage({})->size(), 46u);
}

// Sees each platform call and what is held at that moment.
class PlaybackProbe final : public platform::HostUi {
public:
  PlaybackProbe() : previous_(platform::InstallHostUi(this)) {}
  ~PlaybackProbe() override { platform::InstallHostUi(previous_); }
  std::vector<std::string> calls;

  int OnMessage(const platform::MessageShown&) override { return platform::kAnswerOk; }
  std::optional<std::string> OnFileDialog(platform::DialogKind, const platform::FileDialog&) override {
    return std::nullopt;
  }
  std::string OnChooseFolder(platform::WindowHandle, const std::string&) override { return {}; }
  void OnPlayWav(std::span<const std::uint8_t> image) override {
    EXPECT_EQ(image.data(), PlayingClip().data()) << "plays the image it holds, not a copy";
    calls.push_back("play " + std::to_string(image.size()));
  }
  void OnStopSound() override { calls.push_back("stop, holding " + std::to_string(PlayingClip().size())); }

private:
  platform::HostUi* previous_;
};

TEST(WavTest, PlaySoundClipReleasesAnImageOnlyAfterStoppingIt) {
  PlaybackProbe probe;
  PlaySoundClip(std::nullopt);
  PlaySoundClip(MakeWavImage(std::vector<std::uint8_t>(10, 0x80)));
  PlaySoundClip(MakeWavImage(std::vector<std::uint8_t>(20, 0x80)));
  EXPECT_EQ(PlayingClip().size(), 66u);
  PlaySoundClip(std::nullopt);
  EXPECT_EQ(probe.calls, (std::vector<std::string>{"stop, holding 0", "stop, holding 0", "play 56",
                                                   "stop, holding 56", "play 66", "stop, holding 66"}));
  EXPECT_TRUE(PlayingClip().empty());
}

} // namespace
} // namespace kv
