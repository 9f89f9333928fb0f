#include "kx/hosts/RunStandAlone.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kx {
namespace {

// The options of a stand-alone program; the whole program is run by tests/integration/DemoProgramTest.sh.
TEST(ParseStandAloneOptions, ReadsTheOptionsAndRefusesBadOnes) {
  const struct {
    std::vector<const char*> Args;
    const char* Error;  // "" when accepted
    std::optional<std::int32_t> Port;
    std::optional<std::string> BindAddress;
    std::optional<std::int32_t> SessionTimeout;
    bool Help;
  } cases[] = {
      {{}, "", {}, {}, {}, false},
      {{"--port", "0", "--bind", "::1", "--session-timeout", "1"}, "", 0, "::1", 1, false},
      {{"--port=65535", "--session-timeout=65535", "--bind=0.0.0.0"}, "", 65535, "0.0.0.0", 65535, false},
      {{"--port", "1", "--port", "2"}, "", 2, {}, {}, false},
      {{"-h"}, "", {}, {}, {}, true},
      {{"--port", "80", "--help"}, "", 80, {}, {}, true},
      {{"--port", "65536"}, "the port must be a number from 0 to 65535", {}, {}, {}, false},
      {{"--port", "-1"}, "the port must be a number from 0 to 65535", {}, {}, {}, false},
      {{"--port", "8o"}, "the port must be a number from 0 to 65535", {}, {}, {}, false},
      {{"--port="}, "the port must be a number from 0 to 65535", {}, {}, {}, false},
      {{"--port"}, "--port needs a value", {}, {}, {}, false},
      {{"--bind="}, "the address to bind is empty", {}, {}, {}, false},
      {{"--session-timeout", "0"}, "the session timeout must be a number of minutes from 1 to 65535", {}, {}, {},
       false},
      {{"--session-timeout", "65536"}, "the session timeout must be a number of minutes from 1 to 65535", {}, {}, {},
       false},
      {{"--max-body", "0"}, "the body limit must be a number of MiB from 1 to 1048576", {}, {}, {}, false},
      {{"--max-body=1048577"}, "the body limit must be a number of MiB from 1 to 1048576", {}, {}, {}, false},
      {{"--verbose"}, "unknown option --verbose", {}, {}, {}, false},
      {{"8080"}, "unknown option 8080", {}, {}, {}, false},
      {{"--help=yes"}, "--help takes no value", {}, {}, {}, false},
  };
  for (const auto& c : cases) {
    std::vector<const char*> argv{"program"};
    argv.insert(argv.end(), c.Args.begin(), c.Args.end());
    std::string trace;
    for (const char* arg : c.Args) trace += std::string(arg) + " ";
    SCOPED_TRACE(trace);
    TStandAloneOptions options;
    EXPECT_EQ(ParseStandAloneOptions(int(argv.size()), argv.data(), options), c.Error);
    if (*c.Error) continue;
    EXPECT_EQ(options.Port, c.Port);
    EXPECT_EQ(options.BindAddress, c.BindAddress);
    EXPECT_EQ(options.SessionTimeout, c.SessionTimeout);
    EXPECT_EQ(options.Help, c.Help);
  }
  TStandAloneOptions options;
  const char* argv[] = {"program", "--max-body", "256"};
  EXPECT_EQ(ParseStandAloneOptions(3, argv, options), "");
  EXPECT_EQ(options.MaxBodyMB, 256);
}

// Issue 57: "--bind 0.0.0.0" printed http://0.0.0.0:PORT/, an address that opens no page.
TEST(ListeningUrl, NamesAnAddressToOpen) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "http://127.0.0.1:8080/"},          {"0.0.0.0", "http://127.0.0.1:8080/"},
      {"::", "http://[::1]:8080/"},            {"0:0::0", "http://[::1]:8080/"},
      {"::1", "http://[::1]:8080/"},           {"203.0.113.7", "http://203.0.113.7:8080/"},
      {"203.0.113.7,::", "http://203.0.113.7:8080/"},
  };
  for (const auto& [bound, url] : cases) EXPECT_EQ(ListeningUrl(bound, 8080), url) << bound;
}

}  // namespace
}  // namespace kx
