#include "kx/appserver/Authenticators.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <vector>

#include "kx/foundation/AppInfo.h"

namespace kx {

namespace {

// A fresh folder, removed with everything in it at the end of the test.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = gsTempPath() + "kxauth-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    mPath = pattern + "/";
  }
  ~TempFolder() { std::filesystem::remove_all(mPath); }

  std::string WriteFile(const std::string& name, const std::string& content) const {
    std::ofstream(mPath + name, std::ios::binary) << content;
    return mPath + name;
  }
  const std::string& Path() const { return mPath; }

 private:
  std::string mPath;
};

// Stands for the server controller: owns authenticators and holds one as its Auther.
class FakeController : public IKXAutherOwner {
 public:
  TKXAutherBase* Auther() const override { return mAuther; }
  void SetAuther(TKXAutherBase* value) override { mAuther = value; }

 private:
  TKXAutherBase* mAuther = nullptr;
};

struct CredentialCase {
  const char* user;
  const char* pass;
  bool accepted;
};

}  // namespace

TEST(TKXAutherBase, RestrictsAllAndReportsTheOutcome) {
  TKXAutherEvent auther;
  EXPECT_EQ(auther.AutherPolicy(), apRestrictAll);
  auther.DoOnAuthenticate(true);  // no event: nothing happens
  std::vector<bool> reported;
  auther.OnAuthenticate = [&](bool aAuthResult) { reported.push_back(aAuthResult); };
  auther.DoOnAuthenticate(true);
  auther.DoOnAuthenticate(false);
  EXPECT_EQ(reported, (std::vector<bool>{true, false}));
}

TEST(TKXAutherBase, FreeingTheControllersAutherLeavesItWithNone) {
  FakeController controller;
  auto held = std::make_unique<TKXAutherList>(&controller);
  auto other = std::make_unique<TKXAutherList>(&controller);
  controller.SetAuther(held.get());
  other.reset();  // owned by the controller but not its Auther
  EXPECT_EQ(controller.Auther(), held.get());
  held.reset();
  EXPECT_EQ(controller.Auther(), nullptr);
}

TEST(TKXAutherEvent, ChecksThroughTheEvent) {
  TKXAutherEvent auther;
  EXPECT_FALSE(auther.Check("bob", "secret"));
  std::string seenUser, seenPass;
  auther.OnCheck = [&](const std::string& aUser, const std::string& aPass) {
    seenUser = aUser;
    seenPass = aPass;
    return aUser == "bob" && aPass == "secret";
  };
  EXPECT_TRUE(auther.Check("bob", "secret"));
  EXPECT_EQ(seenUser, "bob");
  EXPECT_EQ(seenPass, "secret");
  EXPECT_FALSE(auther.Check("bob", "SECRET"));  // the event alone decides
}

TEST(TKXAutherINI, ReadsAuthIniBesideTheApplicationByDefault) {
  TKXAutherINI auther;
  EXPECT_EQ(auther.IniFileName(), gsAppPath() + "#Auth.ini");
  auther.SetIniFileName("/elsewhere/users.ini");
  EXPECT_EQ(auther.IniFileName(), "/elsewhere/users.ini");
  auther.SetIniFileName("");
  EXPECT_EQ(auther.IniFileName(), gsAppPath() + "#Auth.ini");
}

TEST(TKXAutherINI, ChecksPasswordOfTheUsersSection) {
  TempFolder folder;
  TKXAutherINI auther;
  auther.SetIniFileName(folder.WriteFile("#Auth.ini",
                                         "\xEF\xBB\xBF[Bob]\r\n"
                                         "Password=Secret\r\n"
                                         "[padded]\r\n"
                                         "  password =  \"two words\"  \r\n"
                                         "[NoPassword]\r\n"
                                         "Name=x\r\n"
                                         "[EmptyPassword]\r\n"
                                         "Password=\r\n"
                                         "[]\r\n"
                                         "Password=nameless\r\n"));
  CredentialCase cases[] = {
      {"Bob", "Secret", true},
      {"bob", "sECRET", true},  // section names and passwords ignore case
      {"Bob", "Secret ", false},
      {"Bob", "Secre", false},
      {"Bob", "SecretX", false},
      {"Bob", "", false},
      {"Padded", "two words", true},
      {"Padded", "\"two words\"", false},
      {"NoPassword", "", false},
      {"EmptyPassword", "", false},
      {"Unknown", "", false},
      {"Unknown", "Secret", false},
  };
  for (const CredentialCase& c : cases) {
    SCOPED_TRACE(std::string(c.user) + ":" + c.pass);
    EXPECT_EQ(auther.Check(c.user, c.pass), c.accepted);
  }
}

TEST(TKXAutherINI, ReadsTheFileAfreshForEveryCheck) {
  TempFolder folder;
  TKXAutherINI auther;
  auther.SetIniFileName(folder.Path() + "#Auth.ini");
  EXPECT_FALSE(auther.Check("bob", "")) << "a missing file holds no password";
  folder.WriteFile("#Auth.ini", "[bob]\nPassword=one\n");
  EXPECT_TRUE(auther.Check("bob", "one"));
  folder.WriteFile("#Auth.ini", "[bob]\nPassword=two\n");
  EXPECT_FALSE(auther.Check("bob", "one"));
  EXPECT_TRUE(auther.Check("bob", "two"));
}

TEST(TKXAutherINI, UnreadableFileRefusesWithoutRaising) {
  TempFolder folder;
  std::filesystem::create_directory(folder.Path() + "#Auth.ini");
  TKXAutherINI auther;
  auther.SetIniFileName(folder.Path() + "#Auth.ini");
  EXPECT_FALSE(auther.Check("bob", "one"));
}

// C4: an unlisted user was compared with the empty value and got in with an empty password.
TEST(TKXAutherList, RefusesUnlistedUsersEvenWithAnEmptyPassword) {
  TKXAutherList auther;
  auther.List()->Add("bob=Secret");
  auther.List()->Add("guest=");
  auther.List()->Add("justaname");
  CredentialCase cases[] = {
      {"bob", "Secret", true},
      {"BOB", "sECRET", true},
      {"bob", "Secret2", false},
      {"bob", "Secre", false},
      {"bob", "", false},
      {"guest", "", true},  // a listed empty password is the application's choice
      {"guest", "x", false},
      {"nobody", "", false},
      {"justaname", "", false},
      {"", "", false},
  };
  for (const CredentialCase& c : cases) {
    SCOPED_TRACE(std::string(c.user) + ":" + c.pass);
    EXPECT_EQ(auther.Check(c.user, c.pass), c.accepted);
  }
}

TEST(TKXAutherList, SetListCopiesTheLines) {
  TKXAutherList auther;
  TStringList lines;
  lines.Add("bob=one");
  auther.SetList(&lines);
  lines.Clear();
  EXPECT_EQ(auther.List()->Count(), 1);
  EXPECT_TRUE(auther.Check("bob", "one"));
}

}  // namespace kx
