// The way back into the game's files: WAV files made into clips (held
// against sox), BMP pictures made into CEL images, archives changed in place
// (atomically, even when the disk fills), and a modder's journey on the
// sample game.
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/implode.h"
#include "media/bmp_reader.h"
#include "media/cel_image.h"
#include "media/cel_writer.h"
#include "media/sound_import.h"
#include "media/wav_reader.h"
#include "support/cel_builder.h"
#include "support/cli_runner.h"
#include "support/wad_builder.h"
#include "wad/wad_archive.h"

namespace kv::test {
namespace {

using Modding = InFreshFolder;

void Shell(const std::string& command) {
  ASSERT_EQ(std::system(command.c_str()), 0) << command << ": sox and espeak-ng are needed";
}

Bytes& operator+=(Bytes& bytes, const std::string& text) {
  bytes.insert(bytes.end(), text.begin(), text.end());
  return bytes;
}

Bytes& Le(Bytes& bytes, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i)
    bytes.push_back(static_cast<std::uint8_t>(value >> 8 * i));
  return bytes;
}

// A WAV file with an odd-sized chunk before its data; `sub_tag` makes the
// format extensible.
Bytes Wav(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
          const Bytes& data, std::uint16_t sub_tag = 0) {
  Bytes fmt;
  Le(Le(Le(Le(Le(Le(fmt, sub_tag ? 0xFFFE : tag, 2), channels, 2), rate, 4), 0, 4), channels * bits / 8, 2),
     bits, 2);
  if (sub_tag)
    Le(Le(Le(Le(fmt, 22, 2), bits, 2), 0, 4), sub_tag, 2) +=
        std::string("\0\0\0\0\x10\0\x80\0\0\xAA\0\x38\x9B\x71", 14);
  Bytes file;
  Le(file += "RIFF", 0, 4) += "WAVEfmt ";
  Le(file, static_cast<std::uint32_t>(fmt.size()), 4).insert(file.end(), fmt.begin(), fmt.end());
  Le(file += "note", 3, 4) += std::string("abc\0", 4);
  Le(file += "data", static_cast<std::uint32_t>(data.size()), 4).insert(file.end(), data.begin(), data.end());
  return file;
}

TEST(SoundAndPictureReaders, EveryFormOfOneSoundMixesAlikeAndEachBrokenFileIsToldWhy) {
  const std::vector<float> expected = {0, 0.5f, -0.5f, -0.75f};
  const Bytes f32 = [] { // left 0.25 above, right 0.25 below each value
    Bytes data;
    for (const float value : {0.0f, 0.5f, -0.5f, -0.75f})
      for (const float sample : {value + 0.25f, value - 0.25f})
        Le(data, std::bit_cast<std::uint32_t>(sample), 4);
    return data;
  }();
  const Bytes forms[] = {
      Wav(1, 1, 8000, 8, {128, 192, 64, 32}),
      Wav(1, 2, 8000, 16, {0, 0, 0, 0, 0, 0x40, 0, 0x40, 0, 0xC0, 0, 0xC0, 0, 0xA0, 0, 0xA0}),
      Wav(0, 1, 8000, 24, {0, 0, 0, 0, 0, 0x40, 0, 0, 0xC0, 0, 0, 0xA0}, 1),
      Wav(1, 1, 8000, 32, {0, 0, 0, 0, 0, 0, 0, 0x40, 0, 0, 0, 0xC0, 0, 0, 0, 0xA0}),
      Wav(0, 2, 8000, 32, f32, 3)};
  for (const Bytes& form : forms) {
    const WavReading reading = ReadWav(form);
    ASSERT_TRUE(reading.sound) << reading.problem;
    EXPECT_EQ(MixToMono(*reading.sound), expected);
  }
  Bytes cut = Wav(1, 1, 8000, 16, {1, 2, 3, 4}), no_data = Wav(1, 1, 8000, 8, {});
  cut.pop_back();
  no_data.resize(no_data.size() - 8);
  const std::pair<Bytes, std::string> broken[] = {{Text("RIFX\0\0\0\0WAVE"), "not a WAV file"},
                                                  {Wav(2, 1, 8000, 4, {1}), "coded (format 2)"},
                                                  {Wav(1, 1, 8000, 12, {1, 2}), "12-bit PCM"},
                                                  {Wav(3, 1, 8000, 64, {}), "64-bit float"},
                                                  {Wav(1, 0, 8000, 8, {}), "no channels"},
                                                  {Wav(1, 1, 0, 8, {}), "rate of 0"},
                                                  {cut, "the file is cut short"},
                                                  {no_data, "no data chunk"}};
  for (const auto& [file, problem] : broken)
    EXPECT_TRUE(Has(ReadWav(file).problem, problem)) << problem << ": " << ReadWav(file).problem;

  const Bytes cel = BuildCel({AsymmetricPicture("W", 5, 3)}), pal = TestPalette();
  const Bytes bmp = BuildBmp(cel, ReadCel(cel).images[0], Palette(pal.data(), kPalSize));
  const std::tuple<std::size_t, std::uint32_t, std::string> refused[] = {{28, 24, "24 bits per pixel"},
                                                                         {30, 1, "compressed (method 1)"},
                                                                         {18, 70000, "at most 65535 x 65535"},
                                                                         {10, 1079, "past the end"}};
  for (const auto& [at, value, problem] : refused) {
    Bytes broken_bmp = bmp;
    for (int i = 0; i < (at == 28 ? 2 : 4); ++i)
      broken_bmp[at + i] = static_cast<std::uint8_t>(value >> 8 * i);
    EXPECT_TRUE(Has(ReadBmp(broken_bmp).problem, problem)) << problem;
  }
}

// sox, an independent resampler, does the same conversion: the difference
// between the two is noise 30 dB or more below the signal. The speech is
// levelled as a game's voice clips are, loud for their 8 bits: two
// independent dithers alone put the noise at half a step squared, 24 dB
// below espeak-ng's own quiet level (-21 dBFS RMS).
TEST_F(Modding, ClipsOfSpeechAndOfASweepAreWithin30DbOfSoxAndAnExtractedClipComesBackAsItWas) {
  Shell("espeak-ng -w raw.wav 'Vortan Vipers take the field, and what a night this will be'");
  Shell("sox -R raw.wav speech.wav compand 0.005,0.05 6:-60,-60,-40,-10,0,-2 -2");
  Shell("sox -R -n -r 48000 -c 2 -b 32 -e floating-point sweep.wav synth 3 sine 60-20000 gain -2");
  for (const std::string name : {"speech", "sweep"}) {
    Shell("sox -R -V1 " + name + ".wav -r 11025 -c 1 -b 8 -e unsigned-integer " + name + "-sox.wav");
    ASSERT_EQ(Cli({"sfx", name + ".wav", "-o", name + ".sfx"}).status, cli::kExitSuccess);
    const Bytes ours = ReadBytes(name + ".sfx"), theirs_file = ReadBytes(name + "-sox.wav");
    const std::span<const std::uint8_t> theirs = ReadWav(theirs_file).sound->data;
    EXPECT_LE(std::max(ours.size(), theirs.size()) - std::min(ours.size(), theirs.size()), 1u);
    double signal = 0, noise = 0;
    for (std::size_t i = 0; i < std::min(ours.size(), theirs.size()); ++i) {
      signal += (theirs[i] - 128.0) * (theirs[i] - 128.0);
      noise += (ours[i] - theirs[i]) * (ours[i] - theirs[i]);
    }
    EXPECT_GT(10 * std::log10(signal / noise), 30) << name;
    EXPECT_EQ(ImportSfxClip(*MakeWavImage(ours)).clip, ours) << name;
  }
  Shell("sox -n -r 8000 -b 16 long.wav synth 6 sine 440");
  const CliRun long_one = Cli({"sfx", "long.wav", "-o", "long.sfx"});
  EXPECT_EQ(long_one.status, cli::kExitFailure);
  EXPECT_TRUE(Has(long_one.err, "long.wav: cannot become a clip: at 11025 samples per second it makes 66150"))
      << long_one.err;
}

TEST_F(Modding, BmpFilesOfTheConverterAndOfImageMagickBecomeTheirCelAndForeignColoursAreCountedAndTold) {
  const CelPicture w = AsymmetricPicture("W", 5, 3), logo = AsymmetricPicture("LOGO", 2, 1);
  const CelImageInput images[] = {{"W", 5, 3, w.pixels}, {"LOGO", 2, 1, logo.pixels}};
  const Bytes cel = BuildCelFile(images).bytes;
  WriteBytes("T.CEL", cel);
  WriteBytes("T.PAL", TestPalette());
  ASSERT_EQ(Cli({"cel2bmp", "T.CEL", "T.PAL", "-o", "."}).status, cli::kExitSuccess);
  EXPECT_EQ(Cli({"bmp2cel", "T_W.BMP", "T_LOGO.BMP", "--pal", "T.PAL", "-o", "BACK.CEL"}).status,
            cli::kExitSuccess);
  EXPECT_EQ(ReadBytes("BACK.CEL"), cel);
  EXPECT_EQ(Cli({"bmp2cel", "T_W.BMP", "T_LOGO.BMP", "--write-pal", "NEW.PAL", "-o", "NEW.CEL"}).status,
            cli::kExitSuccess);
  EXPECT_EQ(ReadBytes("NEW.CEL"), cel);
  EXPECT_EQ(ReadBytes("NEW.PAL"), TestPalette());

  Bytes foreign = ReadBytes("T_W.BMP"); // the colour of pixel 1, the top left one, becomes magenta
  foreign[54 + 4] = 255, foreign[54 + 5] = 0, foreign[54 + 6] = 255;
  WriteBytes("T_W.BMP", foreign);
  const CliRun warned = Cli({"bmp2cel", "T_W.BMP", "--pal", "T.PAL", "-o", "W.CEL"});
  EXPECT_EQ(warned.status, cli::kExitSuccess);
  EXPECT_TRUE(Has(warned.err, "warning: T_W.BMP: 1 pixel has a colour that the palette does not hold"))
      << warned.err;
  // ImageMagick codes the rows of its own 8-bit BMP files by runs, or not.
  Shell("mkdir rle plain && convert -seed 3 -size 37x11 plasma:fractal -colors 200 -type palette "
        "BMP3:rle/IMG.BMP && convert rle/IMG.BMP -compress none BMP3:plain/IMG.BMP");
  ASSERT_EQ(ReadBytes("rle/IMG.BMP").at(30), 1) << "run-length coded";
  EXPECT_EQ(Cli({"bmp2cel", "rle/IMG.BMP", "--write-pal", "R.PAL", "-o", "R.CEL"}).status, cli::kExitSuccess);
  EXPECT_EQ(Cli({"bmp2cel", "plain/IMG.BMP", "--write-pal", "P.PAL", "-o", "P.CEL"}).status,
            cli::kExitSuccess);
  EXPECT_EQ(ReadBytes("R.CEL"), ReadBytes("P.CEL"));
  const CliRun refused = Cli({"bmp2cel", "T_W.BMP", "T.PAL", "--pal", "T.PAL", "-o", "X.CEL"});
  EXPECT_TRUE(Has(refused.err, "T.PAL: cannot become a CEL image: it is not a BMP file")) << refused.err;
  EXPECT_FALSE(std::filesystem::exists("X.CEL"));
}

std::string Names(const std::string& archive) {
  std::string names;
  for (const WadEntry& entry : ReadWadDirectory(ReadBytes(archive)))
    names += (names.empty() ? "" : " ") + entry.name;
  return names;
}

TEST_F(Modding, ArchivesChangeInPlaceKeepingStoredBytesAndARefusalOrADryRunChangesNothing) {
  const Bytes shared = ImplodeBlock(Pattern(3000, 1));
  Bytes archive = BuildWad({Member("A.TXT", Pattern(500)), StoredMember("B.TXT", shared),
                            Member("C.SFX", Pattern(900, 2)), Member("D.TXT", Pattern(9))});
  std::copy_n(archive.begin() + 2 + 22 + 14, 8, archive.begin() + 2 + 3 * 22 + 14); // D points at B's block
  WriteBytes("a.wad", archive);
  WriteBytes("new.txt", Pattern(700, 3));
  WriteBytes("tiny", Text("abc"));
  const std::tuple<Strings, int, std::string> cases[] = {
      {{"wad", "add", "a.wad", "new.txt", "--dry-run"}, 0, "A.TXT B.TXT C.SFX D.TXT"},
      {{"wad", "add", "a.wad", "new.txt"}, 0, "A.TXT B.TXT C.SFX D.TXT NEW.TXT"},
      {{"wad", "add", "a.wad", "new.txt", "--as", "b.txt"}, 1, ""}, // named already
      {{"wad", "add", "a.wad", "tiny"}, 1, ""},
      {{"wad", "replace", "a.wad", "a.txt", "new.txt"}, 0, "A.TXT B.TXT C.SFX D.TXT NEW.TXT"},
      {{"wad", "rename", "a.wad", "c.sfx", "E.SFX"}, 0, "A.TXT B.TXT E.SFX D.TXT NEW.TXT"},
      {{"wad", "rename", "a.wad", "b.txt", "FOURTEEN.CHARS"}, 1, ""},
      {{"wad", "remove", "a.wad", "new.txt", "gone.txt"}, 1, ""},
      {{"wad", "remove", "a.wad", "new.txt"}, 0, "A.TXT B.TXT E.SFX D.TXT"}};
  for (const auto& [args, status, names] : cases) {
    const Bytes before = ReadBytes("a.wad");
    const CliRun run = Cli(args);
    EXPECT_EQ(run.status, status) << args[1] << " " << args[3] << ": " << run.err;
    if (status != 0 || args.back() == "--dry-run") EXPECT_EQ(ReadBytes("a.wad"), before) << args[3];
    if (status == 0) EXPECT_EQ(Names("a.wad"), names);
  }
  const Bytes image = ReadBytes("a.wad");
  EXPECT_EQ(ReadWadEntry(image, 1).data_offset, ReadWadEntry(image, 3).data_offset) << "still one block";
  ASSERT_EQ(Cli({"wad", "extract", "a.wad", "-o", "out", "--no-wav"}).status, cli::kExitSuccess);
  EXPECT_EQ(ReadBytes("out/A.TXT"), Pattern(700, 3));
  EXPECT_EQ(ReadBytes("out/E.SFX"), Pattern(900, 2));
  EXPECT_EQ(ReadBytes("out/D.TXT"), Pattern(3000, 1));
}

// The real tool, its files limited below the new archive's size: the write
// fails, and the archive is as it was, byte for byte, with nothing beside it.
TEST_F(Modding, AnArchiveSurvivesAFullDiskByteForByte) {
  WriteBytes("a.wad", BuildWad({Member("A.TXT", Pattern(30000)), Member("B.TXT", Pattern(30000, 1))}));
  WriteBytes("new.txt", Pattern(40000, 2));
  const Bytes before = ReadBytes("a.wad");
  const pid_t child = fork();
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{before.size() / 2, before.size() / 2};
    setrlimit(RLIMIT_FSIZE, &limit);
    dup2(open("/dev/null", O_WRONLY), 1);
    dup2(open("messages", O_WRONLY | O_CREAT | O_TRUNC, 0666), 2);
    execl(KV_VOREVUVO, KV_VOREVUVO, "wad", "replace", "a.wad", "B.TXT", "new.txt", nullptr);
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == cli::kExitFailure) << status;
  EXPECT_EQ(ReadBytes("a.wad"), before);
  EXPECT_EQ(FilesIn("."), (Strings{"a.wad", "messages", "new.txt"}));
  const Bytes messages = ReadBytes("messages");
  EXPECT_TRUE(Has(std::string(messages.begin(), messages.end()), "a.wad was left as it is"));
}

// The modder's journey: a new name for a team, spoken into a WAV file, put
// into VOICE.WAD under the team's key and heard in an exported line.
TEST_F(Modding, ANewTeamNameClipIsHeardInTheCommentaryAndTheArchiveIsOtherwiseAsBefore) {
  ASSERT_EQ(Cli({"make-sample", "game"}).status, cli::kExitSuccess);
  Shell("espeak-ng -w vipers.wav 'Vortan Vipers'");
  const std::string voice = "game/VOICE/VOICE.WAD";
  const std::string names = Names(voice);
  ASSERT_EQ(Cli({"wad", "extract", voice, "-o", "before"}).status, cli::kExitSuccess);
  const CliRun replaced = Cli({"wad", "replace", voice, "jvtnfu.sfx", "vipers.wav", "--from-wav"});
  ASSERT_EQ(replaced.status, cli::kExitSuccess) << replaced.err;
  ASSERT_EQ(Cli({"sfx", "vipers.wav", "-o", "vipers.sfx"}).status, cli::kExitSuccess);
  const Bytes clip = ReadBytes("vipers.sfx");
  ASSERT_EQ(Cli({"commentary", "export", "game/COMMENT.TOK", "-o", "out", "--team-a", "vipers",
                 "Restart_After_TouchDown_039"})
                .status,
            cli::kExitSuccess);
  const Bytes line = ReadBytes("out/Restart_After_TouchDown_039.wav"); // "%J %T kick off again ..."
  ASSERT_GT(line.size(), WavHeader::kSize + clip.size());
  EXPECT_EQ(Bytes(line.begin() + WavHeader::kSize, line.begin() + WavHeader::kSize + clip.size()), clip);

  EXPECT_EQ(Names(voice), names);
  ASSERT_EQ(Cli({"wad", "extract", voice, "-o", "after"}).status, cli::kExitSuccess);
  EXPECT_EQ(FilesIn("after"), FilesIn("before"));
  for (const std::string& file : FilesIn("before"))
    if (file != "JVTNFU.WAV") EXPECT_EQ(ReadBytes("after/" + file), ReadBytes("before/" + file)) << file;
  ASSERT_EQ(Cli({"sfx", "after/JVTNFU.WAV", "-o", "back.sfx"}).status, cli::kExitSuccess);
  EXPECT_EQ(ReadBytes("back.sfx"), clip);
}

} // namespace
} // namespace kv::test
