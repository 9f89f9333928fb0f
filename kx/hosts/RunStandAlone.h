// The entry point of a stand-alone program: the whole main of an application is one line,
//   int main(int argc, char** argv) { return kx::RunStandAlone<TMyController, TMyMainForm>(argc, argv); }
// It reads the command line, installs the library's layers, creates the controller with the command line's
// values, serves on the stand-alone server and stops on SIGINT or SIGTERM. Builds on hosts/StandAloneApp.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "kx/appserver/ServerController.h"
#include "kx/forms/FormTypes.h"
#include "kx/hosts/StandAloneApp.h"

namespace kx {

// What the command line of a stand-alone program asks for.
struct TStandAloneOptions {
  bool Help = false;  // --help or -h
  std::optional<std::int32_t> Port;  // --port N, 0..65535; 0: a free port
  std::optional<std::string> BindAddress;  // --bind ADDR
  std::optional<std::int32_t> SessionTimeout;  // --session-timeout MINUTES, 1..65535
  bool QuietErrors = false;  // --quiet-errors: no warning or error lines on standard error (gErrorLogProcedure)
  std::optional<std::int32_t> MaxBodyMB;  // --max-body MB, 1..1048576: the server's BodyLimit in MiB
};

// Reads argv[1..argc-1]; each option takes its value as the next argument or after "=" ("--port=0"). Returns the
// error to show ("unknown option --x", "--port needs a value", ...), or the empty text when all was read.
std::string ParseStandAloneOptions(int argc, const char* const* argv, TStandAloneOptions& options);

// "http://ADDR:PORT/" for the first address of boundIP (a controller's BoundIP), an IPv6 one in brackets. An address
// that stands for every address of the machine ("0.0.0.0", "::", or none given) is no address to open: the
// loopback address of its family stands in for it.
std::string ListeningUrl(const std::string& boundIP, std::uint16_t port);

// An option a program reads itself (before RunStandAlone sees the command line), for the usage text.
struct TUsageOption {
  std::string Synopsis;  // "--data-dir FOLDER"
  std::string Help;      // what it does, on one line
};

// The usage text, naming the program; programOptions come after the stand-alone ones.
std::string StandAloneUsage(const std::string& program, const std::vector<TUsageOption>& programOptions = {});

// Runs the program with the controller class (gServerControllerClass) and the main form (gMainFormClass, or the
// controller's OnGetMainForm) that registerClasses sets, or that were set before when it is nullptr:
// - --help prints the usage to standard output and returns 0; a bad option prints "<program>: <error>" and the
//   usage to standard error and returns 2;
// - blocks SIGINT and SIGTERM in every thread, ignores SIGPIPE, logs to standard error (unless gLogProcedure is
//   set), raises the soft limit of open files to the hard one and logs what it got (DescriptorLimitText), makes the
//   program's runtime, runs registerClasses, and puts the options into CommandLineOverrides() (BoundIP
//   127.0.0.1 when neither --bind nor the controller names one; Port and SessionTimeout when given);
// - starts TKXStandAloneApp, prints "Listening on " + ListeningUrl as the one line of standard output, waits for
//   SIGINT or SIGTERM, stops and returns 0;
// - a failure on the way (a port in use, a controller that cannot be created) prints "<program>: <message>" to
//   standard error and returns 1.
// programOptions: the program's own options, named in the usage text.
int RunStandAlone(int argc, char** argv, void (*registerClasses)() = nullptr,
                  const std::vector<TUsageOption>& programOptions = {});

// The common case: TController is the controller class; TMainForm the main form, or void when the controller's
// OnGetMainForm or an earlier SetAsMainForm picks it.
template <class TController, class TMainForm = void>
int RunStandAlone(int argc, char** argv, const std::vector<TUsageOption>& programOptions = {}) {
  static_assert(std::is_base_of_v<TKXServerControllerBase, TController>, "the controller must be a server controller");
  return RunStandAlone(
      argc, argv,
      [] {
        TKXServerControllerBase::SetServerControllerClass<TController>();
        if constexpr (!std::is_void_v<TMainForm>) SetAsMainForm<TMainForm>();
      },
      programOptions);
}

}  // namespace kx
