// The demo program: serves the demo application (examples/demo/DemoForms.h) on the stand-alone server.
//   kx_demo [--port N] [--bind ADDR] [--session-timeout MINUTES]
// --port 0 takes a free port; --bind defaults to 127.0.0.1; --session-timeout replaces the controller's 10
// minutes (the browser tests expire a session with 1). Prints "Listening on http://ADDR:PORT/" once it serves,
// logs to standard error, and stops cleanly on SIGINT or SIGTERM.
#include <pthread.h>
#include <signal.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "kx/appserver/KXGlobal.h"
#include "kx/controls/AppForm.h"
#include "kx/controls/Regions.h"
#include "examples/demo/DemoForms.h"
#include "examples/demo/DemoServerController.h"
#include "kx/forms/FormTypes.h"
#include "kx/hosts/StandAloneApp.h"

namespace kx {
namespace {

thread_local TKXApplication* tCurrentApplication = nullptr;

void LogLine(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

int Usage(const char* message) {
  if (message) std::fprintf(stderr, "kx_demo: %s\n", message);
  std::fprintf(stderr, "usage: kx_demo [--port N] [--bind ADDR] [--session-timeout MINUTES]\n"
                       "  --port N                   the port to listen on, 0 for a free one (default %d or port.ini)\n"
                       "  --bind ADDR                the address to listen on (default 127.0.0.1)\n"
                       "  --session-timeout MINUTES  idle minutes before a session expires, 1 to 65535 (default 10)\n",
               int(TDemoServerController::DefaultPort));
  return message ? 2 : 0;
}

// Reads the options into the controller's command line; returns an exit code, or -1 to go on.
int ParseArguments(int argc, char** argv) {
  TDemoServerController::TCommandLine& commandLine = TDemoServerController::CommandLine();
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    std::string_view value;
    const std::size_t equals = arg.find('=');
    if (arg.starts_with("--") && equals != std::string_view::npos) {
      value = arg.substr(equals + 1);
      arg = arg.substr(0, equals);
    } else if ((arg == "--port" || arg == "--bind" || arg == "--session-timeout") && i + 1 < argc) {
      value = argv[++i];
    } else if (arg == "--port" || arg == "--bind" || arg == "--session-timeout") {
      return Usage("a value is missing");
    }
    if (arg == "--help" || arg == "-h") return Usage(nullptr);
    if (arg == "--port") {
      int port = -1;
      auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), port);
      if (error != std::errc() || end != value.data() + value.size() || port < 0 || port > 65535)
        return Usage("the port must be a number from 0 to 65535");
      commandLine.Port = port;
    } else if (arg == "--bind") {
      if (value.empty()) return Usage("the address is empty");
      commandLine.BindAddress = std::string(value);
    } else if (arg == "--session-timeout") {
      int minutes = 0;
      auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), minutes);
      if (error != std::errc() || end != value.data() + value.size() || minutes < 1 || minutes > 65535)
        return Usage("the session timeout must be a number of minutes from 1 to 65535");
      commandLine.SessionTimeout = minutes;
    } else {
      return Usage(("unknown option " + std::string(arg)).c_str());
    }
  }
  return -1;
}

int Run(int argc, char** argv) {
  const int exitCode = ParseArguments(argc, argv);
  if (exitCode >= 0) return exitCode;

  // Every thread started from here on inherits the blocked signals; only sigwait below takes them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  TKXRuntime runtime;
  gLogProcedure = &LogLine;
  gGetWebApplicationThreadVar = [] { return tCurrentApplication; };
  gSetWebApplicationThreadVar = [](TKXApplication* application) { tCurrentApplication = application; };
  TKXServerControllerBase::SetServerControllerClass<TDemoServerController>();
  SetAsMainForm<TMainForm>();

  try {
    TKXStandAloneApp app;
    app.Start();
    const std::string& address = TDemoServerController::CommandLine().BindAddress;
    const bool ipv6 = address.find(':') != std::string::npos;
    std::printf("Listening on http://%s%s%s:%d/\n", ipv6 ? "[" : "", address.c_str(), ipv6 ? "]" : "",
                int(app.Port()));
    std::fflush(stdout);

    int signalNumber = 0;
    sigwait(&stopSignals, &signalNumber);
    LogLine(std::string("Stopping on ") + (signalNumber == SIGINT ? "SIGINT" : "SIGTERM") + ".");
    app.Stop();
  } catch (const std::exception& e) {
    LogLine(std::string("kx_demo: ") + e.what());
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace kx

int main(int argc, char** argv) { return kx::Run(argc, argv); }
