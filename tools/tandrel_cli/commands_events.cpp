// events: the camera's auto-update notifications, one line (or JSON object) each, until Ctrl-C
// ends the command normally with a count.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "commands.h"
#include "interrupt.h"
#include "tandrel.h"

namespace cli {
namespace {

constexpr auto kPoll = std::chrono::milliseconds(50);

std::atomic<unsigned> g_raised{0};

void OnAutoUpdate() { ++g_raised; }

}  // namespace

ExitCode RunEvents(Session& session) {
  if (const ExitCode bound = session.Bind()) return bound;
  const int result = ZelAutoUpdateInit(OnAutoUpdate);
  if (result != ZEL_OK) {
#ifdef _WIN32
    return session.Check(result, "auto-update notification");
#else
    // Linux's UVC driver passes no such notification from the camera, the simulated world
    // does: a failure here is the platform's, said as such.
    return session.Check(result, "auto-update notification (Linux cameras do not deliver it)");
#endif
  }
  if (!session.Args().json && !session.Args().quiet) {
    std::fprintf(stderr, "waiting for auto-update notifications; Ctrl-C ends\n");
  }
  unsigned printed = 0;
  while (!Interrupted()) {
    std::this_thread::sleep_for(kPoll);
    for (const unsigned raised = g_raised; printed < raised;) {
      ++printed;
      if (session.Args().json) {
        session.Report(session.NewReport().Set("event", "auto-update").Set("count", printed));
      } else {
        std::printf("auto-update notification %u\n", printed);
        std::fflush(stdout);
      }
    }
  }
  ZelAutoUpdateUninit();
  return session.Report(session.NewReport().Set("notifications", printed));
}

}  // namespace cli
