// The demo program: serves the demo application (examples/demo/DemoForms.h) on the stand-alone server.
//   kx_demo [--port N] [--bind ADDR] [--session-timeout MINUTES] [--max-body MB] [--quiet-errors]
//           [--data-dir FOLDER]   (kx/hosts/RunStandAlone.h; --data-dir is the demo's own, kDemoOptions)
// Without --port it listens on the controller's port 8888, or the one "port.ini" beside the program names.
#include <cstring>
#include <iostream>
#include <vector>

#include "examples/demo/DemoForms.h"
#include "examples/demo/DemoServerController.h"
#include "examples/demo/GalleryDBControls.h"
#include "kx/hosts/RunStandAlone.h"

namespace {

const std::vector<kx::TUsageOption> kDemoOptions = {
    {"--data-dir FOLDER", "the folder of the demo's database files (default: data/ beside the program)"},
};

// Takes the demo's own option out of the command line, so that the rest goes to the stand-alone host as it is.
// Returns false (after saying why) for a --data-dir without a folder.
bool TakeDemoOptions(std::vector<char*>& args) {
  for (auto it = args.begin() + 1; it != args.end();) {
    const char* arg = *it;
    if (std::strcmp(arg, "--data-dir") == 0) {
      if (it + 1 == args.end() || **(it + 1) == '\0') {
        std::cerr << "--data-dir needs a folder\n";
        return false;
      }
      kx::SetDemoDataFolder(*(it + 1));
      it = args.erase(it, it + 2);
    } else if (std::strncmp(arg, "--data-dir=", 11) == 0 && arg[11] != '\0') {
      kx::SetDemoDataFolder(arg + 11);
      it = args.erase(it);
    } else {
      ++it;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args(argv, argv + argc);
  if (!TakeDemoOptions(args)) return 2;
  args.push_back(nullptr);
  return kx::RunStandAlone<kx::TDemoServerController, kx::TMainForm>(static_cast<int>(args.size() - 1), args.data(),
                                                                     kDemoOptions);
}
