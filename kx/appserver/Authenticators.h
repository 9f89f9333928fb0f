// Authenticators: the HTTP Basic credential checks the server controller can
// hold as its Auther. The user and password come from an event, from the INI
// file "#Auth.ini" beside the program, or from a list of name=password lines.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "kx/platform/Classes.h"
#include "kx/platform/StringLists.h"

namespace kx {

class TKXAutherBase;

// Whether every request must authenticate or none.
enum TAutherPolicy { apRestrictAll, apRestrictNone };

using TOnAuthenticate = std::function<void(bool aAuthResult)>;
using TOnCheck = std::function<bool(const std::string& aUser, const std::string& aPass)>;

// What an authenticator's owner offers when it may hold the authenticator as
// its Auther (the server controller does).
class IKXAutherOwner {
 public:
  virtual TKXAutherBase* Auther() const = 0;
  virtual void SetAuther(TKXAutherBase* value) = 0;

 protected:
  ~IKXAutherOwner() = default;
};

class TKXAutherBase : public TPersistent {
 public:
  explicit TKXAutherBase(IKXAutherOwner* aOwner = nullptr);
  // When the owner holds this authenticator as its Auther, clears it.
  ~TKXAutherBase() override;
  TKXAutherBase(const TKXAutherBase&) = delete;
  TKXAutherBase& operator=(const TKXAutherBase&) = delete;

  IKXAutherOwner* Owner() const { return mOwner; }

  TAutherPolicy AutherPolicy() const { return FAutherPolicy; }  // default apRestrictAll
  void SetAutherPolicy(TAutherPolicy value) { FAutherPolicy = value; }

  TOnAuthenticate OnAuthenticate;

  // Whether aUser may sign in with aPass. Raises nothing of its own.
  virtual bool Check(const std::string& aUser, const std::string& aPass) = 0;
  // Calls OnAuthenticate with the result when assigned.
  void DoOnAuthenticate(bool aAuthResult);

 private:
  TAutherPolicy FAutherPolicy = apRestrictAll;
  IKXAutherOwner* mOwner;
};

// Credentials checked by the author's event.
class TKXAutherEvent : public TKXAutherBase {
 public:
  using TKXAutherBase::TKXAutherBase;

  TOnCheck OnCheck;

  // The result of OnCheck; false when it is not assigned.
  bool Check(const std::string& aUser, const std::string& aPass) override;
};

// Credentials in an INI file: one section per user with the key "Password".
class TKXAutherINI : public TKXAutherBase {
 public:
  using TKXAutherBase::TKXAutherBase;

  // The file read by Check: the application folder + "#Auth.ini" unless set;
  // setting "" returns to that default.
  std::string IniFileName() const;
  void SetIniFileName(const std::string& value) { mIniFileName = value; }

  // Reads the file afresh. False when the file, the user's section or its
  // Password is missing or empty (or the file cannot be read); else whether
  // the password equals aPass ignoring ASCII case.
  bool Check(const std::string& aUser, const std::string& aPass) override;

 private:
  std::string mIniFileName;
};

// Credentials in name=password lines.
class TKXAutherList : public TKXAutherBase {
 public:
  explicit TKXAutherList(IKXAutherOwner* aOwner = nullptr);

  TStrings* List() const { return mList.get(); }
  // Copies the lines of value.
  void SetList(const TStrings* value);

  // Whether aUser has a line (names compared ignoring ASCII case) whose value
  // equals aPass ignoring ASCII case. A user without a line is refused.
  bool Check(const std::string& aUser, const std::string& aPass) override;

 private:
  std::unique_ptr<TStringList> mList;
};

}  // namespace kx
