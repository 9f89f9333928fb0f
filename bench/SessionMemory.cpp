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

// Opens session n the way a browser does: start, start check, (with startPost) the start form's post, main form
// page. Returns false on a failure.
bool OpenSession(int n, bool startPost) {
  std::string cookie;
  const std::string address = "198.18." + std::to_string((n >> 8) & 511) + "." + std::to_string(n & 255);
  auto send = [&cookie, &address](const std::string& path, const std::string& query,
                                   const std::vector<std::string>& body = {}) {
    TRequestPacketFields fields;
    fields.PathInfo = fields.URL = path;
    fields.Query = query;
    fields.Method = body.empty() ? "GET" : "POST";
    fields.Host = "localhost:8080";
    fields.ServerPort = 8080;
    fields.RemoteAddr = address;
    fields.UserAgent = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36";
    if (!cookie.empty()) fields.CookieFields.push_back("KX_MyKXApp=" + cookie);
    if (!query.empty()) fields.QueryFields.push_back(query);
    for (const std::string& field : body) fields.QueryFields.push_back(field);
    fields.HasContent = !body.empty();
    std::vector<char> buffer(THttpPacket::HostBufferSize);
    WriteRequestPacket(fields, buffer.data(), std::int64_t(buffer.size()));
    HttpExecute(buffer.data(), std::int32_t(buffer.size()));
    TReplyPacket reply = ReadReplyPacket(buffer.data(), std::int64_t(buffer.size()));
    for (const TReplyPacketCookie& c : reply.Cookies)
      if (c.Name == "KX_MyKXApp") cookie = c.Value;
    return reply;
  };
  send("/", "");
  send("/$/StartCheck", "KX_width=1024&KX_height=768");
  if (startPost) {
    const std::string id = cookie.substr(0, cookie.find('_'));
    send("/", "", {"KX_width=1024", "KX_height=768", "KX_SessionID_=" + id, "KX_TrackID_=1"});
  }
  TReplyPacket page = send("/$/", "");
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
