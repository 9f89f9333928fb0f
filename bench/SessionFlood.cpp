// Memory after floods of sessions that all expire: opens N sessions (default 3 000) through the entry point, each
// started with a query of Q bytes (default 0) and a form rendered once, lets every one expire (the store's clock is
// moved past the session timeout) and frees them as the session-timeout thread does, then reads the resident set
// size. Five cycles; each line gives the resident size after the flood and after expiry, against the size before the
// first flood. Each session comes from an address of its own in 198.18.0.0/15 (the benchmarking range).
// Usage: kx_bench_session_flood [N] [Q] [CYCLES]
#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/BrowserSession.h"
#include "kx/appserver/Runtime.h"
#include "kx/appserver/ServerSession.h"
#include "kx/appserver/Sessions.h"
#include "kx/appserver/Startup.h"
#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/edits/Edits.h"
#include "kx/controls/labels/Labels.h"
#include "kx/controls/regions/Regions.h"
#include "kx/forms/FormTypes.h"
#include "tests/support/FormTestControls.h"

namespace {

using namespace kx;
using test::AddControl;

class TFloodForm : public TKXForm {
  KX_COMPONENT_CLASS(TFloodForm, TKXForm)

 protected:
  void BuildComponents() override {
    SetTitle("Flood");
    AddControl<TKXEdit>(this, this, "EDIT1", 10, 10, 200)->SetText("some text");
    AddControl<TKXLabel>(this, this, "LABEL1", 10, 130, 200)->SetCaption("A label");
    AddControl<TKXButton>(this, this, "BUTTON1", 220, 40, 90)->SetCaption("Button");
  }
};

// The store's clock: the real one, moved forward by what the program added.
std::atomic<std::int64_t> gSkippedMinutes{0};
std::chrono::steady_clock::time_point FloodClock() {
  return std::chrono::steady_clock::now() + std::chrono::minutes(gSkippedMinutes.load());
}

long ResidentBytes() {
  malloc_trim(0);
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

// Opens session n as a browser does, its start with the query; false when the main form's page failed.
bool OpenSession(int n, const std::string& query) { return bench::OpenBrowserSession(n, query).Code == 200; }

// What the session-timeout thread does on one run.
void ExpireAll() {
  gSkippedMinutes += 11;  // past the default timeout of 10 minutes, as a real expiry is
  std::vector<TKXApplication*> expired;
  gSessions->RemoveExpiredSessions(expired);
  for (TKXApplication* session : expired) gSessions->FreeSession(session);
  gSessions->ClearExpiredSessionsList();
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 3000;
  const std::size_t querySize = argc > 2 ? std::size_t(std::atol(argv[2])) : 0;
  const int cycles = argc > 3 ? std::atoi(argv[3]) : 5;
  TKXRuntime runtime;
  Startup();
  InstallForms();
  InstallRegions();
  SetAsMainForm<TFloodForm>();
  gSessionClock = &FloodClock;
  auto controller = std::make_unique<test::TTempController>();
  const std::string query = querySize == 0 ? std::string() : "data=" + std::string(querySize, 'q');
  if (!OpenSession(0, query)) {  // warms the caches (classes, templates, internal files)
    std::fprintf(stderr, "the main form did not render\n");
    return 1;
  }
  ExpireAll();
  const long before = ResidentBytes();
  std::printf("sessions per flood: %d, start query: %zu bytes\nbefore the first flood: %.1f MiB\n", count, querySize,
              before / 1048576.0);
  int session = 1;
  for (int cycle = 1; cycle <= cycles; ++cycle) {
    for (int i = 0; i < count; ++i, ++session)
      if (!OpenSession(session, query)) {
        std::fprintf(stderr, "session %d failed\n", session);
        return 1;
      }
    const long flooded = ResidentBytes();
    ExpireAll();
    const long after = ResidentBytes();
    std::printf("cycle %d: %.1f MiB with the sessions, %.1f MiB after expiry (%+.1f%% of before), expired list: %d\n",
                cycle, flooded / 1048576.0, after / 1048576.0, 100.0 * double(after - before) / double(before),
                SessionStore() ? SessionStore()->ExpiredCount() : -1);
  }
  controller.reset();
  return 0;
}
