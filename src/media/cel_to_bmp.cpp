#include "media/cel_to_bmp.h"

#include <new>
#include <optional>
#include <stdexcept>
#include <vector>

#include "core/text_encoding.h"
#include "media/cel_image.h"

namespace kv {
namespace {

using platform::Buttons;

// A damaged file could list thousands of images; the message names a few.
constexpr std::size_t kNamesListed = 10;

// Appends `image_name` in quotes, as it would appear in a file name.
void AppendQuoted(std::string& text, const std::string& image_name) {
  text += '"';
  text += PlainFileName(SystemText(image_name));
  text += '"';
}

// One message for all the images that run past the end, before any is
// offered, rather than a box per image.
void TellSkippedImages(platform::WindowHandle owner, const std::string& cel_path,
                       const CelContents& contents) {
  std::size_t skipped = 0;
  std::string names;
  for (const CelImage& image : contents.images) {
    if (image.status == CelImage::Intact) continue;
    if (skipped < kNamesListed) {
      if (skipped != 0) names += ", ";
      AppendQuoted(names, image.name);
    } else if (skipped == kNamesListed) {
      names += ", ...";
    }
    ++skipped;
  }
  if (skipped == 0) return;
  std::string message = "Skipped ";
  message += std::to_string(skipped);
  message += " of ";
  message += std::to_string(contents.images.size());
  message += " images, which run past the end of the file: ";
  message += names;
  platform::ShowMessage(owner, message, cel_path, Buttons::Ok);
}

const std::vector<platform::FileFilter> kCelFilters = {{"*.CEL", "*.CEL"}, {"All Files", "*"}};
const std::vector<platform::FileFilter> kPalFilters = {{"*.PAL", "*.PAL"}, {"All Files", "*"}};
const std::vector<platform::FileFilter> kAllFiles = {{"All Files", "*"}};
constexpr std::uint32_t kOpenFlags = platform::kOfnExplorer | platform::kOfnFileMustExist;
constexpr std::uint32_t kSaveFlags =
    platform::kOfnExplorer | platform::kOfnNoReadOnlyReturn | platform::kOfnOverwritePrompt;

std::optional<std::string> AskForFile(const char* title, const std::vector<platform::FileFilter>& filters) {
  platform::FileDialog open;
  open.title = title;
  open.filters = filters;
  open.flags = kOpenFlags;
  return platform::ShowOpenDialog(open);
}

// nullopt, with LastError() set, when the image's buffer cannot be had.
std::optional<std::vector<std::uint8_t>> BuildBmpBuffer(std::span<const std::uint8_t> cel,
                                                        const CelImage& image, Palette palette) {
  try {
    return BuildBmp(cel, image, palette);
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  platform::SetLastError(platform::kErrorNotEnoughMemory);
  return std::nullopt;
}

} // namespace

CelConversion ConvertCelImages(platform::WindowHandle owner, const std::string& cel_path,
                               const LoadedFile& cel, const std::string& pal_path, const LoadedFile& pal,
                               const BmpDelivery& deliver) {
  CelConversion result;
  if (pal.size() != kPalSize) {
    platform::ShowMessage(owner, text::kPalSizeWrong, pal_path, Buttons::Ok);
    return result;
  }
  const Palette palette(pal.data(), kPalSize);

  const CelContents contents = ReadCel(cel.bytes());
  if (contents.status != CelContents::Ok) {
    platform::ShowMessage(owner, text::kCelTooShort, cel_path, Buttons::Ok);
    return result;
  }
  result.images = contents.images.size();
  TellSkippedImages(owner, cel_path, contents);

  const std::string base = CelBaseName(cel_path);
  for (const CelImage& image : contents.images) {
    if (image.status != CelImage::Intact) continue;
    const std::string name = SuggestedBmpName(base, SystemText(image.name));
    if (name.size() > kMaxFileNameLength) {
      std::string message = "Skipped image ";
      AppendQuoted(message, image.name);
      message += ": its file name would be longer than ";
      message += std::to_string(kMaxFileNameLength);
      message += " characters";
      platform::ShowMessage(owner, message, cel_path, Buttons::Ok);
      continue;
    }
    std::optional<std::vector<std::uint8_t>> bmp = BuildBmpBuffer(cel.bytes(), image, palette);
    if (!bmp) {
      // Images not yet handled are not converted; those saved stay on disk.
      ShowSystemError(text::kCelToBmpCaption);
      return result;
    }
    ++result.offered;
    deliver(name, *bmp);
  }
  result.completed = true;
  return result;
}

void cel_to_bmp(platform::WindowHandle owner) {
  const std::optional<std::string> cel_path = AskForFile(text::kSelectCel, kCelFilters);
  if (!cel_path) return;
  const std::optional<LoadedFile> cel = LoadFile(*cel_path);
  if (!cel) return;
  const std::optional<std::string> pal_path = AskForFile(text::kSelectPal, kPalFilters);
  if (!pal_path) return;
  const std::optional<LoadedFile> pal = LoadFile(*pal_path);
  if (!pal) return;

  ConvertCelImages(owner, *cel_path, *cel, *pal_path, *pal,
                   [](const std::string& name, std::span<const std::uint8_t> bmp) {
                     platform::FileDialog save;
                     save.filters = kAllFiles;
                     save.path = name;
                     save.flags = kSaveFlags;
                     const std::optional<std::string> target = platform::ShowSaveDialog(save);
                     // SaveFile tells of a failed write; the remaining images are still offered.
                     if (target) SaveFile(*target, bmp, Overwrite);
                   });
}

} // namespace kv
