// The mode state that the shell keeps for the modes.
#include "shell/mode_state.h"

namespace kv {

HWND CurrentListView = nullptr;
HWND SetNamesTree = nullptr;

} // namespace kv
