#include "commentary/commentary_catalogue.h"

#include <new>

#include "commentary/name_lists.h"
#include "commentary/name_slots.h"
#include "core/compressed_block.h"
#include "core/explode.h"
#include "core/file_services.h"
#include "core/little_endian.h"
#include "core/text_encoding.h"
#include "platform/platform.h"
#include "wad/current_wad.h"
#include "wad/voice_wad.h"

namespace kv {
namespace {

using platform::Buttons;

std::optional<std::string> AskForCommentTok() {
  platform::FileDialog dialog;
  dialog.title = text::kSelectCommentTok;
  dialog.filters = {{"COMMENT.TOK", "COMMENT.TOK"}, {"All Files", "*"}};
  dialog.flags = platform::kOfnExplorer | platform::kOfnFileMustExist;
  return platform::ShowOpenDialog(dialog);
}

} // namespace

std::optional<std::vector<std::uint8_t>> ReadCommentaryText(const std::string& path) {
  const std::optional<LoadedFile> file = LoadFile(path);
  if (!file) return std::nullopt;
  if (!LooksCompressed(file->bytes()) && platform::ShowMessage(nullptr, text::kCommentTokNotCompressed, path,
                                                               Buttons::YesNo) != platform::kAnswerYes)
    return std::nullopt;

  const std::uint32_t declared = file->size() < 4 ? 0 : LoadLE32(file->data());
  std::vector<std::uint8_t> decoded;
  try {
    decoded.resize(std::min(declared, kMaxDecompressedSize + 1));
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  // A declared size above the largest block fails in the decoder.
  const std::int32_t produced =
      ExplodeData(file->data(), file->size(), decoded.data(), static_cast<std::uint32_t>(decoded.size()));
  if (produced < 4) {
    platform::ShowMessage(nullptr, text::kDecompressionFailed, path, Buttons::Ok);
    return std::nullopt;
  }
  // The text ends with the bytes that were decoded, never past them.
  decoded.resize(static_cast<std::size_t>(produced));
  return decoded;
}

void ShowCatalogueMessages(const ParsedCatalogue& catalogue) {
  for (const CatalogueMessage& message : catalogue.messages)
    platform::ShowMessage(nullptr, message.text, SystemText(message.entryId), Buttons::Ok);
}

std::optional<std::vector<CommentaryLine>> LoadCommentaryCatalogue() {
  const std::optional<std::string> script = AskForCommentTok();
  if (!script) return std::nullopt;
  const auto commentary = ReadCommentaryText(*script);
  if (!commentary) return std::nullopt;

  const std::optional<VoiceWadLocation> voice = LocateVoiceWad(*script);
  if (!voice) return std::nullopt;
  std::optional<LoadedFile> wad = LoadFile(voice->path);
  const std::string wad_name = platform::FileNameOf(voice->path);
  if (!wad || !AcceptWadImage(wad->bytes(), wad_name)) return std::nullopt;
  SetCurrentWad(std::move(*wad), wad_name);

  // The mode goes on without name lists when they cannot be built.
  CreatePlayerList(voice->gameFolder);
  ResetNameSlots();

  ParsedCatalogue catalogue = ParseCommentaryText(*commentary);
  if (!catalogue.firstEntryFound) {
    ReleaseCurrentWad();
    platform::ShowMessage(nullptr, text::kFirstEntryNotFound, text::kCatalogueFailedCaption, Buttons::Ok);
    return std::nullopt;
  }
  ShowCatalogueMessages(catalogue);
  return std::move(catalogue.lines);
}

} // namespace kv
