#include "kx/platform/IniFiles.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace kx {

namespace {

// A fresh folder, removed with everything in it at the end of the test.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kxini-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    mPath = pattern + "/";
  }
  ~TempFolder() { std::filesystem::remove_all(mPath); }

  std::string operator/(const std::string& name) const { return mPath + name; }

  void WriteFile(const std::string& name, const std::string& content) const {
    std::ofstream(mPath + name, std::ios::binary) << content;
  }
  std::string ReadFile(const std::string& name) const {
    std::stringstream content;
    content << std::ifstream(mPath + name, std::ios::binary).rdbuf();
    return content.str();
  }

 private:
  std::string mPath;
};

std::unique_ptr<TMemIniFile> FromText(std::string_view text) {
  auto ini = std::make_unique<TMemIniFile>("");
  ini->SetText(text);
  return ini;
}

}  // namespace

TEST(TMemIniFile, ReadStringFindsSectionAndKeyByTheirRules) {
  auto ini = FromText(
      "Orphan=before any section\r\n"
      "[PORTS]\r\n"
      "; Port=comment\r\n"
      "  Port  =  8080  \r\n"
      "Port=second\r\n"
      "Quoted=\"  spaced  \"\r\n"
      "Single='x'\r\n"
      "Half=\"x\r\n"
      "Empty=\r\n"
      "NoEquals\r\n"
      "Inner=a=b\r\n"
      "[  Spaced Name  ]\r\n"
      "k=v\r\n"
      "[Broken\r\n"
      "b=after broken header\r\n"
      "[ports]\r\n"
      "Extra=in duplicate section\r\n");
  struct {
    const char* section;
    const char* key;
    const char* expected;
  } cases[] = {
      {"PORTS", "Port", "8080"},
      {"ports", "PORT", "8080"},
      {" PORTS ", " Port ", "8080"},
      {"PORTS", "Quoted", "  spaced  "},
      {"PORTS", "Single", "x"},
      {"PORTS", "Half", "\"x"},
      {"PORTS", "Empty", ""},
      {"PORTS", "NoEquals", "default"},
      {"PORTS", "Inner", "a=b"},
      {"PORTS", "; Port", "default"},
      {"PORTS", "Orphan", "default"},
      {"Spaced Name", "k", "v"},
      // A header without "]" starts nothing; its lines stay in the section above.
      {"Spaced Name", "b", "after broken header"},
      {"Broken", "b", "default"},
      // The first of two equal sections is the one read.
      {"PORTS", "Extra", "default"},
      {"Missing", "Port", "default"},
      {"", "Orphan", "default"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    EXPECT_EQ(ini->ReadString(c.section, c.key, "default"), c.expected);
  }
}

TEST(TMemIniFile, SkipsByteOrderMarkAndAcceptsBothLineEnds) {
  auto crlf = FromText("\xEF\xBB\xBF[A]\r\nk=1\r\n");
  EXPECT_EQ(crlf->ReadString("A", "k", ""), "1");
  auto lf = FromText("\xEF\xBB\xBF[A]\nk=2\nm=3");
  EXPECT_EQ(lf->ReadString("A", "k", ""), "2");
  EXPECT_EQ(lf->ReadString("A", "m", ""), "3");
  auto utf8 = FromText("[Jürgen]\nPassword=pässword\n");
  EXPECT_EQ(utf8->ReadString("Jürgen", "Password", ""), "pässword");
}

TEST(TMemIniFile, ReadIntegerFallsBackToDefault) {
  auto ini = FromText("[S]\nDec= 443 \nNeg=-7\nDollar=$1F\nHex=0x1f\nBad=12a\nEmpty=\nBig=4294967296\n");
  struct {
    const char* key;
    int expected;
  } cases[] = {{"Dec", 443}, {"Neg", -7},    {"Dollar", 31}, {"Hex", 31},
               {"Bad", -1},  {"Empty", -1}, {"Big", -1},    {"Missing", -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(ini->ReadInteger("S", c.key, -1), c.expected);
  }
}

TEST(TMemIniFile, MissingFileOrFolderReadsAsEmpty) {
  TempFolder folder;
  EXPECT_EQ(TMemIniFile(folder / "none.ini").ReadString("PORTS", "Port", "d"), "d");
  EXPECT_EQ(TMemIniFile(folder / "no/such/folder.ini").ReadInteger("PORTS", "Port", 0), 0);
}

TEST(TMemIniFile, UnreadableFileRaises) {
  TempFolder folder;
  std::filesystem::create_directory(folder / "dir.ini");
  EXPECT_THROW(TMemIniFile(folder / "dir.ini"), EFOpenError);
}

TEST(TMemIniFile, LoadsFile) {
  TempFolder folder;
  folder.WriteFile("port.ini", "\xEF\xBB\xBF[PORTS]\r\nPort=8888\r\nSSLPort=8443\r\n");
  TMemIniFile ini(folder / "port.ini");
  EXPECT_EQ(ini.ReadInteger("PORTS", "Port", 0), 8888);
  EXPECT_EQ(ini.ReadInteger("PORTS", "SSLPort", 0), 8443);
}

TEST(TMemIniFile, WriteStringKeepsEveryOtherLineByteForByte) {
  TempFolder folder;
  const std::string original =
      "\xEF\xBB\xBF; settings\n"
      "[A]\n"
      "  key = old  \n"
      "other=1\n"
      "\n"
      "[B]\n"
      "x=y\n";
  folder.WriteFile("a.ini", original);
  TMemIniFile ini(folder / "a.ini");
  ini.WriteString("a", "KEY", "new");  // replaces the line, in the case given now
  ini.WriteString("A", "added", "2");  // before the blank line that separates [B]
  ini.WriteString("B", "z", "3");      // at the end of the last section
  ini.WriteString("C", "c", "4");      // a new section after a blank line
  EXPECT_EQ(folder.ReadFile("a.ini"), original) << "nothing reaches the file before UpdateFile";
  ini.UpdateFile();
  EXPECT_EQ(folder.ReadFile("a.ini"),
            "\xEF\xBB\xBF; settings\n"
            "[A]\n"
            "KEY=new\n"
            "other=1\n"
            "added=2\n"
            "\n"
            "[B]\n"
            "x=y\n"
            "z=3\n"
            "\n"
            "[C]\n"
            "c=4\n");
  EXPECT_EQ(TMemIniFile(folder / "a.ini").ReadString("A", "key", ""), "new");
}

TEST(TIniFile, WritesThroughAndANewFileGetsCrLf) {
  TempFolder folder;
  TIniFile ini(folder / "new.ini");
  ini.WriteString("Bob", "Password", "secret");  // TIniFile writes through at once
  EXPECT_EQ(folder.ReadFile("new.ini"), "[Bob]\r\nPassword=secret\r\n");
  ini.WriteString("Bob", "Password", "other");
  EXPECT_EQ(folder.ReadFile("new.ini"), "[Bob]\r\nPassword=other\r\n");
}

TEST(TMemIniFile, WriteStringRefusesEntriesThatWouldChangeTheStructure) {
  struct {
    const char* section;
    const char* key;
    const char* value;
  } cases[] = {
      {"A", "k", "line\r\n[Admin]\r\nPassword=x"},
      {"A", "k", "line\nbreak"},
      {"A\n", "k", "v"},
      {"A]x", "k", "v"},
      {"A", "k=v", "v"},
      {"A", "k\r", "v"},
      {"A", "", "v"},
      {"A", "   ", "v"},
      {"A", "[k", "v"},
      {"A", ";k", "v"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key + "/" + c.value);
    auto ini = FromText("[A]\nk=1\n");
    EXPECT_THROW(ini->WriteString(c.section, c.key, c.value), EIniFileException);
    EXPECT_EQ(ini->ReadString("A", "k", ""), "1");
  }
}

TEST(TMemIniFile, UpdateFileIntoMissingFolderRaises) {
  TempFolder folder;
  TMemIniFile ini(folder / "missing/x.ini");
  ini.WriteString("A", "k", "v");
  EXPECT_THROW(ini.UpdateFile(), EFCreateError);
}

}  // namespace kx
