#include "kx/hosts/RunStandAlone.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pthread.h>
#include <signal.h>

#include <charconv>
#include <cstdio>
#include <string_view>
#include <vector>

#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/Startup.h"
#include "kx/controls/appform/AppForm.h"
#include "kx/controls/regions/Regions.h"
#include "kx/hosts/Descriptors.h"
#include "kx/hosts/StandAloneApp.h"

namespace kx {

namespace {

constexpr char kLoopback[] = "127.0.0.1";

void LogToStandardError(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

std::string ProgramName(int argc, char** argv) {
  if (argc < 1 || !argv[0] || !*argv[0]) return "kx";
  const std::string_view path = argv[0];
  const std::size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// A whole decimal number from low to high, or nothing.
std::optional<std::int32_t> NumberIn(std::string_view text, std::int32_t low, std::int32_t high) {
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) return std::nullopt;
  return value;
}

}  // namespace

std::string ListeningUrl(const std::string& boundIP, std::uint16_t port) {
  const std::vector<std::string> addresses = SplitBoundIPs(boundIP);
  std::string address = addresses.empty() ? "0.0.0.0" : addresses.front();
  const bool ipv6 = address.find(':') != std::string::npos;
  in6_addr v6{};
  in_addr v4{};
  if (ipv6 ? ::inet_pton(AF_INET6, address.c_str(), &v6) == 1 && IN6_IS_ADDR_UNSPECIFIED(&v6)
           : ::inet_pton(AF_INET, address.c_str(), &v4) == 1 && v4.s_addr == htonl(INADDR_ANY))
    address = ipv6 ? "::1" : kLoopback;
  return "http://" + (ipv6 ? "[" + address + "]" : address) + ":" + std::to_string(port) + "/";
}

std::string ParseStandAloneOptions(int argc, const char* const* argv, TStandAloneOptions& options) {
  for (int i = 1; i < argc; ++i) {
    std::string_view option = argv[i];
    if (option == "--help" || option == "-h") {
      options.Help = true;
      continue;
    }
    if (option == "--quiet-errors") {
      options.QuietErrors = true;
      continue;
    }
    std::optional<std::string_view> value;
    const std::size_t equals = option.find('=');
    if (option.starts_with("--") && equals != std::string_view::npos) {
      value = option.substr(equals + 1);
      option = option.substr(0, equals);
    }
    if (option == "--help" || option == "--quiet-errors") return std::string(option) + " takes no value";
    if (option != "--port" && option != "--bind" && option != "--session-timeout" && option != "--max-body")
      return "unknown option " + std::string(option);
    if (!value) {
      if (i + 1 >= argc) return std::string(option) + " needs a value";
      value = argv[++i];
    }
    if (option == "--port") {
      options.Port = NumberIn(*value, 0, 65535);
      if (!options.Port) return "the port must be a number from 0 to 65535";
    } else if (option == "--bind") {
      if (value->empty()) return "the address to bind is empty";
      options.BindAddress = std::string(*value);
    } else if (option == "--max-body") {
      options.MaxBodyMB = NumberIn(*value, 1, 1048576);
      if (!options.MaxBodyMB) return "the body limit must be a number of MiB from 1 to 1048576";
    } else {
      options.SessionTimeout = NumberIn(*value, 1, 65535);
      if (!options.SessionTimeout) return "the session timeout must be a number of minutes from 1 to 65535";
    }
  }
  return {};
}

std::string StandAloneUsage(const std::string& program, const std::vector<TUsageOption>& programOptions) {
  std::string synopsis, lines;
  for (const TUsageOption& option : programOptions) {
    synopsis += " [" + option.Synopsis + "]";
    lines += "  " + option.Synopsis + std::string(option.Synopsis.size() < 27 ? 27 - option.Synopsis.size() : 1, ' ') +
             option.Help + "\n";
  }
  return "usage: " + program +
         " [--port N] [--bind ADDR] [--session-timeout MINUTES] [--max-body MB] [--quiet-errors]" + synopsis + "\n"
         "  --port N                   the port to listen on, 0 for a free one (default: Port in port.ini beside\n"
         "                             the program, else the application's)\n"
         "  --bind ADDR                the address to listen on (default: the application's, else 127.0.0.1)\n"
         "  --session-timeout MINUTES  idle minutes before a session expires, 1 to 65535 (default: the\n"
         "                             application's, 10 unless it says otherwise)\n"
         "  --max-body MB              the largest request body in MiB, 1 to 1048576 (default: 64); larger\n"
         "                             bodies are refused with 413\n"
         "  --quiet-errors             write no warning or error line to standard error for the exceptions that\n"
         "                             end in an error page, an error answer or an alert\n"
         + lines + "  -h, --help                 show this text\n";
}

int RunStandAlone(int argc, char** argv, void (*registerClasses)(), const std::vector<TUsageOption>& programOptions) {
  const std::string program = ProgramName(argc, argv);
  TStandAloneOptions options;
  const std::string error = ParseStandAloneOptions(argc, argv, options);
  if (!error.empty()) {
    std::fprintf(stderr, "%s: %s\n%s", program.c_str(), error.c_str(),
                 StandAloneUsage(program, programOptions).c_str());
    return 2;
  }
  if (options.Help) {
    std::fputs(StandAloneUsage(program, programOptions).c_str(), stdout);
    return 0;
  }

  // Every thread started from here on inherits the blocked signals; only sigwait below takes them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  // The program's one runtime: every thread of the process works for it.
  TKXRuntime runtime;
  TKXRuntimeSlots::TScope scope(runtime);
  if (!gLogProcedure) gLogProcedure = &LogToStandardError;
  if (!options.QuietErrors && !gErrorLogProcedure) gErrorLogProcedure = &LogToStandardError;
  // Before anything listens: the server sizes its connections and loops by the limit.
  gLogProcedure(DescriptorLimitText(RaiseDescriptorLimit()));
  TKXCommandLineOverrides& overrides = CommandLineOverrides();
  overrides.BoundIP = options.BindAddress;
  overrides.Port = options.Port;
  overrides.SessionTimeout = options.SessionTimeout;
  overrides.DefaultBoundIP = kLoopback;
  try {
    if (registerClasses) registerClasses();
    TKXStandAloneApp app;  // installs every layer, then creates the controller
    if (options.MaxBodyMB)
      app.OnServerOptions = [mb = std::uint64_t(*options.MaxBodyMB)](TKXStandAloneServerOptions& server) {
        server.BodyLimit = mb * 1024 * 1024;
      };
    app.Start();
    std::printf("Listening on %s\n", ListeningUrl(app.Controller().BoundIP(), app.Port()).c_str());
    std::fflush(stdout);

    int signalNumber = 0;
    sigwait(&stopSignals, &signalNumber);
    gLogProcedure(std::string("Stopping on ") + (signalNumber == SIGINT ? "SIGINT" : "SIGTERM") + ".");
    app.Stop();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", program.c_str(), e.what());
    return 1;
  } catch (...) {
    std::fprintf(stderr, "%s: an unknown error stopped the program\n", program.c_str());
    return 1;
  }
  return 0;
}

}  // namespace kx
