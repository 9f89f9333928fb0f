// What the sources of the control families may reach (kx/controls/ControlFamily.h): a family asks the session
// through its render context or TKXControlSession, never the server controller, the application server's globals
// or the hosts themselves.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace kx {
namespace {

namespace fs = std::filesystem;

// The texts a family's source must not hold, and why.
struct TForbidden {
  const char* Text;
  const char* Reason;
};
constexpr TForbidden kForbidden[] = {
    {"#include \"kx/appserver/ServerController.h\"", "the server controller (TKXControlSession has its settings)"},
    {"#include \"kx/appserver/KXGlobal.h\"", "the global accessors"},
    {"#include \"kx/hosts/", "the hosts"},
    {"GetWebApplication(", "the thread's session behind the render context's back (TKXControlSession)"},
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every line of text that holds needle, as "file:line: text".
std::vector<std::string> LinesHolding(const fs::path& file, const std::string& text, const std::string& needle) {
  std::vector<std::string> found;
  std::size_t start = 0;
  for (int line = 1; start < text.size(); ++line) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const std::string_view current(text.data() + start, end - start);
    if (current.find(needle) != std::string_view::npos) {
      found.push_back(file.string() + ":" + std::to_string(line) + ": " + std::string(current));
    }
    start = end + 1;
  }
  return found;
}

TEST(FamilyIncludes, NoFamilySourceReachesTheControllerTheGlobalsOrTheHosts) {
  const fs::path controls = fs::path(KX_SOURCE_DIR) / "kx" / "controls";
  int sources = 0;
  std::vector<std::string> offending;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(controls)) {
    const std::string extension = entry.path().extension().string();
    if (extension != ".h" && extension != ".cpp") continue;
    ++sources;
    const std::string text = ReadFile(entry.path());
    for (const TForbidden& forbidden : kForbidden) {
      for (const std::string& line : LinesHolding(entry.path(), text, forbidden.Text))
        offending.push_back(line + "  <- " + forbidden.Reason);
    }
  }
  EXPECT_GT(sources, 50) << "the family sources were not found under " << controls;
  EXPECT_EQ(offending, std::vector<std::string>());
}

}  // namespace
}  // namespace kx
