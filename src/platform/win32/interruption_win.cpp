// Interruptions of the console program on Windows: Ctrl-C, Ctrl-Break and
// the console's closing are handled on a thread of their own, which ends the
// process once no guard is held on the main thread.
#include <windows.h>

#include "platform/platform.h"

namespace kv::platform {
namespace {

// Made once and never deleted: the handler may run while the process ends.
CRITICAL_SECTION& Lock() {
  static CRITICAL_SECTION section;
  static const bool made = (InitializeCriticalSection(&section), true);
  (void)made;
  return section;
}

BOOL WINAPI EndOnControl(DWORD event) {
  EnterCriticalSection(&Lock());
  ExitProcess(event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? 130 : 143);
}

} // namespace

void EndProcessOnInterruption() {
  Lock();
  SetConsoleCtrlHandler(EndOnControl, TRUE);
}

InterruptionGuard::InterruptionGuard() {
  EnterCriticalSection(&Lock());
}

InterruptionGuard::~InterruptionGuard() {
  LeaveCriticalSection(&Lock());
}

} // namespace kv::platform
