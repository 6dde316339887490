// Interruptions of the command line on POSIX: SIGINT, SIGTERM and SIGHUP end
// the process at once, unless a guard holds them back; then they wait,
// blocked, until the last guard goes and are taken there.
#include <csignal>
#include <pthread.h>
#include <unistd.h>

#include "platform/platform.h"

namespace kv::platform {
namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

int g_guards = 0;
sigset_t g_mask_before_guards;

extern "C" void EndOnSignal(int signal) {
  _exit(128 + signal);
}

sigset_t EndingSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : kEndingSignals)
    sigaddset(&set, signal);
  return set;
}

} // namespace

void EndProcessOnInterruption() {
  struct sigaction action {};
  action.sa_handler = EndOnSignal;
  action.sa_mask = EndingSignals();
  for (const int signal : kEndingSignals) {
    // A signal ignored by whoever started us (nohup, a background job) stays ignored.
    struct sigaction before {};
    if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
}

InterruptionGuard::InterruptionGuard() {
  if (g_guards++ > 0) return;
  const sigset_t set = EndingSignals();
  pthread_sigmask(SIG_BLOCK, &set, &g_mask_before_guards);
}

InterruptionGuard::~InterruptionGuard() {
  if (--g_guards > 0) return;
  pthread_sigmask(SIG_SETMASK, &g_mask_before_guards, nullptr);
}

} // namespace kv::platform
