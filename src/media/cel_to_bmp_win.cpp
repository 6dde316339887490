// Command 226, "Convert CEL to BMP": the command itself is portable.
#include "media/cel_to_bmp.h"
#include "shell/commands.h"

namespace kv {

void cel_to_bmp(HWND window) {
  cel_to_bmp(static_cast<platform::WindowHandle>(window));
}

} // namespace kv
