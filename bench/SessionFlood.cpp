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

#include "kx/appserver/Runtime.h"
#include "kx/appserver/ServerSession.h"
#include "kx/appserver/Sessions.h"
#include "kx/appserver/Startup.h"
#include "kx/controls/Buttons.h"
#include "kx/controls/Edits.h"
#include "kx/controls/Labels.h"
#include "kx/controls/Regions.h"
#include "kx/forms/FormTypes.h"
#include "kx/foundation/HttpPackets.h"
#include "kx/foundation/HttpReply.h"
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

// Opens session n as a browser does (start with the query, start check, main form page).
bool OpenSession(int n, const std::string& query) {
  std::string cookie;
  const std::string address = "198.18." + std::to_string((n >> 8) & 511) + "." + std::to_string(n & 255);
  auto send = [&](const std::string& path, const std::string& q) {
    TRequestPacketFields fields;
    fields.PathInfo = fields.URL = path;
    fields.Query = q;
    fields.Method = "GET";
    fields.Host = "localhost:8080";
    fields.ServerPort = 8080;
    fields.RemoteAddr = address;
    fields.UserAgent = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36";
    if (!cookie.empty()) fields.CookieFields.push_back("KX_MyKXApp=" + cookie);
    if (!q.empty()) fields.QueryFields.push_back(q);
    std::vector<char> buffer(THttpPacket::HostBufferSize);
    WriteRequestPacket(fields, buffer.data(), std::int64_t(buffer.size()));
    HttpExecute(buffer.data(), std::int32_t(buffer.size()));
    TReplyPacket reply = ReadReplyPacket(buffer.data(), std::int64_t(buffer.size()));
    for (const TReplyPacketCookie& c : reply.Cookies)
      if (c.Name == "KX_MyKXApp") cookie = c.Value;
    return reply;
  };
  send("/", query);
  send("/$/StartCheck", "KX_width=1024&KX_height=768");
  TReplyPacket page = send("/$/", "");
  return page.Code == 200;
}

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
