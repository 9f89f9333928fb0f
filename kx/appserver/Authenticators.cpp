#include "kx/appserver/Authenticators.h"

#include "kx/foundation/AppInfo.h"
#include "kx/platform/IniFiles.h"

namespace kx {

namespace {

unsigned char FoldAscii(unsigned char c) {
  return static_cast<unsigned char>(c + 32 * static_cast<unsigned>(static_cast<unsigned>(c - 'A') < 26u));
}

// SameText for secrets: the time taken depends on the lengths only, never on
// where the first difference lies.
bool SamePassword(const std::string& stored, const std::string& typed) {
  unsigned difference = static_cast<unsigned>(stored.size() != typed.size());
  for (std::size_t i = 0; i < typed.size(); ++i) {
    // Past the stored text, compare with its terminating NUL (the lengths differ anyway).
    std::size_t j = i < stored.size() ? i : stored.size();
    difference |= static_cast<unsigned>(FoldAscii(static_cast<unsigned char>(stored[j])) ^
                                        FoldAscii(static_cast<unsigned char>(typed[i])));
  }
  return difference == 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// TKXAutherBase

TKXAutherBase::TKXAutherBase(IKXAutherOwner* aOwner) : mOwner(aOwner) {}

TKXAutherBase::~TKXAutherBase() {
  if (mOwner != nullptr && mOwner->Auther() == this) mOwner->SetAuther(nullptr);
}

void TKXAutherBase::DoOnAuthenticate(bool aAuthResult) {
  if (OnAuthenticate) OnAuthenticate(aAuthResult);
}

// ---------------------------------------------------------------------------
// TKXAutherEvent

bool TKXAutherEvent::Check(const std::string& aUser, const std::string& aPass) {
  return OnCheck ? OnCheck(aUser, aPass) : false;
}

// ---------------------------------------------------------------------------
// TKXAutherINI

std::string TKXAutherINI::IniFileName() const {
  return mIniFileName.empty() ? gsAppPath() + "#Auth.ini" : mIniFileName;
}

bool TKXAutherINI::Check(const std::string& aUser, const std::string& aPass) {
  std::string password;
  try {
    password = TMemIniFile(IniFileName()).ReadString(aUser, "Password", "");
  } catch (const Exception&) {
    return false;  // an unreadable file holds no password
  }
  return !password.empty() && SamePassword(password, aPass);
}

// ---------------------------------------------------------------------------
// TKXAutherList

TKXAutherList::TKXAutherList(IKXAutherOwner* aOwner)
    : TKXAutherBase(aOwner), mList(std::make_unique<TStringList>()) {}

void TKXAutherList::SetList(const TStrings* value) { mList->Assign(value); }

bool TKXAutherList::Check(const std::string& aUser, const std::string& aPass) {
  // An unlisted user is refused rather than compared with an empty password.
  int index = mList->IndexOfName(aUser);
  return index >= 0 && SamePassword(mList->ValueFromIndex(index), aPass);
}

}  // namespace kx
