// The main menu's "Convert CEL to BMP": every image of a CEL file written as
// a BMP file of its own, coloured by a PAL palette.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "core/file_services.h"
#include "platform/platform.h"

namespace kv {

// Runs the whole command: asks for the CEL and PAL files, then offers one
// save dialog per image. `owner` (the main window) owns the command's
// refusals.
void cel_to_bmp(platform::WindowHandle owner);

// Receives each image's BMP with its suggested file name; the GUI offers a
// save dialog, the command line writes into a folder.
using BmpDelivery = std::function<void(const std::string& name, std::span<const std::uint8_t> bmp)>;

struct CelConversion {
  bool completed = false;  // false: the command ended early and the user has been told why
  std::size_t images = 0;  // images in the file
  std::size_t offered = 0; // images handed to the delivery
};

// The part of the command after both files are loaded: checks the palette,
// reads the CEL's tables, and hands each image's BMP to `deliver`, in file
// order. Refusals, skipped images and a failed allocation are told here.
CelConversion ConvertCelImages(platform::WindowHandle owner, const std::string& cel_path,
                               const LoadedFile& cel, const std::string& pal_path, const LoadedFile& pal,
                               const BmpDelivery& deliver);

namespace text {
inline constexpr const char* kSelectCel = "Select CEL file";
inline constexpr const char* kSelectPal = "Select PAL color file";
inline constexpr const char* kPalSizeWrong = "Failed: *.PAL file size must be 768 bytes";
inline constexpr const char* kCelToBmpCaption = "cel_to_bmp()";
inline constexpr const char* kCelTooShort = "Failed: *.CEL file ends before its image tables";
} // namespace text

} // namespace kv
