// Memory per idle session: the resident set size before and after opening N sessions (default 10 000) through the
// entry point, and the number of session cache folders they left on disk. Each session comes from an address of its
// own in 198.18.0.0/15 (the benchmarking range), so that the limit of sessions per address does not refuse them.
// - By default each session is on a main form with an edit, a memo, a label and four buttons, opened as a browser
//   does (start, start check, main form page).
// - With --demo each session is on the demo program's main form (examples/demo), opened with the requests
//   bench/firstload.mjs sends (start, start check, the start form's post, main form page), in one thread.
// Usage: kx_bench_session_memory [--demo] [N]
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/BrowserSession.h"
#include "examples/demo/DemoForms.h"
#include "kx/appserver/Runtime.h"
#include "kx/appserver/CallBacks.h"
#include "kx/appserver/ServerSession.h"
#include "kx/appserver/Startup.h"
#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/edits/Edits.h"
#include "kx/controls/labels/Labels.h"
#include "kx/controls/regions/Regions.h"
#include "kx/forms/FormTypes.h"
#include "kx/foundation/HttpPackets.h"
#include "kx/foundation/HttpReply.h"
#include "tests/support/FormTestControls.h"

namespace {

using namespace kx;
using test::AddControl;

class TIdleForm : public TKXForm {
  KX_COMPONENT_CLASS(TIdleForm, TKXForm)

 protected:
  void BuildComponents() override {
    SetTitle("Idle session");
    AddControl<TKXEdit>(this, this, "EDIT1", 10, 10, 200)->SetText("some text");
    AddControl<TKXMemo>(this, this, "MEMO1", 10, 40, 200, 80);
    AddControl<TKXLabel>(this, this, "LABEL1", 10, 130, 200)->SetCaption("A label");
    for (int i = 1; i <= 4; ++i)
      AddControl<TKXButton>(this, this, "BUTTON" + std::to_string(i), 220, 10 + 30 * i, 90)->SetCaption("Button");
  }
};

// The resident set size in bytes, after giving freed memory back to the system.
long ResidentBytes() {
  malloc_trim(0);
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

// The number of entries in folder; 0 when it does not exist.
long EntriesIn(const std::string& folder) {
  std::error_code error;
  long count = 0;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) ++count;
  return count;
}

// Opens session n the way a browser does (bench/BrowserSession.h; with startPost, the start form's post too).
// Returns false on a failure.
bool OpenSession(int n, bool startPost) {
  const TReplyPacket page = bench::OpenBrowserSession(n, std::string(), startPost);
  return page.Code == 200 && page.Content.find("EDIT1") != std::string::npos;
}

}  // namespace

int main(int argc, char** argv) {
  const bool demo = argc > 1 && std::strcmp(argv[1], "--demo") == 0;
  const int count = argc > 1 + int(demo) ? std::atoi(argv[1 + int(demo)]) : 10000;
  TKXRuntime runtime;
  Startup();
  InstallForms();
  InstallRegions();
  if (demo) {
    SetAsMainForm<TMainForm>();
  } else {
    SetAsMainForm<TIdleForm>();
  }
  auto controller = std::make_unique<test::TTempController>();
  if (!OpenSession(0, demo)) {  // the first session warms the caches (classes, templates, internal files)
    std::fprintf(stderr, "the main form did not render\n");
    return 1;
  }
  const long before = ResidentBytes();
  for (int i = 1; i <= count; ++i) {
    if (!OpenSession(i, demo)) {
      std::fprintf(stderr, "session %d failed\n", i);
      return 1;
    }
  }
  const long after = ResidentBytes();
  std::printf("%s\nsessions: %d (store holds %d)\nresident before: %.1f MiB, after: %.1f MiB\nper session: %.1f KiB\n"
              "session cache folders: %ld\n",
              demo ? "the demo's main form" : "an edit, a memo, a label and four buttons", count,
              gSessions ? int(gSessions->GetCount()) : 0, before / 1048576.0, after / 1048576.0,
              double(after - before) / count / 1024.0, EntriesIn(gSC->CacheDir() + "/user"));
  controller.reset();
  return 0;
}
