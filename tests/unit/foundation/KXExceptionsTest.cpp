#include "kx/foundation/KXExceptions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <typeinfo>

#include "kx/foundation/KXMessages.h"

namespace kx {
namespace {

// Raises E through its own guard and checks that a handler for Ancestor gets
// exactly an E with the message.
template <class E, class Ancestor>
void ExpectGuardCaughtAs() {
  SCOPED_TRACE(typeid(E).name());
  SCOPED_TRACE(typeid(Ancestor).name());
  try {
    E::IfTrue(true, "guarded");
    ADD_FAILURE() << "nothing raised";
  } catch (const Ancestor& e) {
    EXPECT_EQ(typeid(e), typeid(E));
    EXPECT_STREQ(e.what(), "guarded");
  }
}

template <class E, class... Ancestors>
void ExpectTree() {
  ExpectGuardCaughtAs<E, E>();
  (ExpectGuardCaughtAs<E, Ancestors>(), ...);
  ExpectGuardCaughtAs<E, Exception>();
  ExpectGuardCaughtAs<E, std::exception>();
}

}  // namespace

TEST(EKXException, EachClassRaisesItselfAndIsCaughtAsItsAncestors) {
  ExpectTree<EKXException>();
  ExpectTree<EKXNoFrameContainer, EKXException>();
  ExpectTree<EKXWrongSubnet, EKXException>();
  ExpectTree<EDeviceNotSupported, EKXException>();
  ExpectTree<EUnknownBrowserException, EKXException>();
  ExpectTree<EInvalidSession, EKXException>();
  ExpectTree<EExpiredSession, EInvalidSession, EKXException>();
  ExpectTree<EInvalidProcess, EInvalidSession, EKXException>();
  ExpectTree<EInvalidAppID, EInvalidSession, EKXException>();
  ExpectTree<ESessionAlreadyLocked, EKXException>();
  ExpectTree<EKXNoSessionId, EInvalidSession, EKXException>();
  ExpectTree<EKXSecurityException, EKXException>();
  ExpectTree<EKXInvalidResourceException, EKXException>();
}

TEST(EKXException, SiblingHandlerDoesNotCatch) {
  try {
    throw EInvalidAppID("abc", RSExceptionSessionInvalidMsg);
  } catch (const EExpiredSession&) {
    ADD_FAILURE() << "an unknown id was taken for an expired one";
  } catch (const EInvalidSession& e) {
    EXPECT_EQ(typeid(e), typeid(EInvalidAppID));
  }
  EXPECT_FALSE((std::is_base_of_v<EInvalidSession, EKXSecurityException>));
}

TEST(EKXException, IfTrueAndIfFalse) {
  EXPECT_NO_THROW(EKXException::IfTrue(false, "m"));
  EXPECT_THROW(EKXException::IfTrue(true, "m"), EKXException);
  EXPECT_NO_THROW(EKXException::IfFalse(true, "m"));
  try {
    EKXSecurityException::IfFalse(false, RSWrongIPForSession);
    ADD_FAILURE();
  } catch (const EKXException& e) {
    EXPECT_EQ(typeid(e), typeid(EKXSecurityException));
    EXPECT_EQ(e.Message(), "The IP you are using is different than the one that initiated the session.");
  }
}

TEST(EKXException, IfAssignedAndIfNotAssigned) {
  int value = 0;
  int* none = nullptr;
  auto owned = std::make_unique<int>(1);
  std::shared_ptr<int> empty;

  EXPECT_NO_THROW(EKXException::IfAssigned(none, "m"));
  EXPECT_NO_THROW(EKXException::IfAssigned(empty, "m"));
  EXPECT_THROW(EKXException::IfAssigned(&value, "m"), EKXException);
  EXPECT_THROW(EKXException::IfAssigned(owned, "m"), EKXException);

  EXPECT_NO_THROW(EKXException::IfNotAssigned(&value, "m"));
  EXPECT_NO_THROW(EKXException::IfNotAssigned(owned, "m"));
  EXPECT_THROW(EKXException::IfNotAssigned(none, "m"), EKXException);
  EXPECT_THROW(EKXNoFrameContainer::IfNotAssigned(empty, RSMissingContainerOnFrame), EKXNoFrameContainer);
}

TEST(EKXException, IfNotInRangeIncludesBothBounds) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  struct Case {
    std::int64_t value, low, high;
    bool raises;
  } cases[] = {
      {5, 1, 5, false}, {1, 1, 5, false}, {3, 1, 5, false}, {6, 1, 5, true},   {0, 1, 5, true},
      {-1, 0, 0, true}, {0, 0, 0, false}, {kMax, kMin, kMax, false},          {kMin, kMin + 1, kMax, true},
      {3, 5, 1, true},  // an empty range holds nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Format("%d in %d..%d", c.value, c.low, c.high));
    if (c.raises) {
      EXPECT_THROW(EKXException::IfNotInRange(c.value, c.low, c.high, RSIndexOutOfBounds), EKXException);
    } else {
      EXPECT_NO_THROW(EKXException::IfNotInRange(c.value, c.low, c.high, RSIndexOutOfBounds));
    }
  }
  try {
    EInvalidSession::IfNotInRange(6, 1, 5, RSIndexOutOfBounds);
    ADD_FAILURE();
  } catch (const EInvalidSession& e) {
    EXPECT_EQ(e.Message(), "Index out of bounds.");
    EXPECT_EQ(e.AppID(), "");
  }
}

TEST(EInvalidSession, KeepsTheSessionIdThroughDescendants) {
  try {
    throw EExpiredSession("S1d-42", RSExceptionSessionExpiredMsg);
  } catch (const EInvalidSession& e) {
    EXPECT_EQ(e.AppID(), "S1d-42");
    EXPECT_EQ(e.Message(), "Your session has expired due to inactivity.");
  }
  EInvalidSession guarded("only a message");
  EXPECT_EQ(guarded.AppID(), "");
  EXPECT_EQ(guarded.Message(), "only a message");
}

TEST(EUnknownBrowserException, CarriesTheFormattedUserAgent) {
  // A user agent with a character beyond ASCII: the message stays UTF-8 in what().
  const std::string ua = "Mozilla/5.0 (X11; Linux) Navigateur\xC3\xA9/1.0";
  EUnknownBrowserException e(Format(RSUnknownBrowserType, ua));
  EXPECT_TRUE(e.SupportsJS());
  EXPECT_EQ(e.Message(), "Unknown browser type. User Agent string: " + ua);
  EXPECT_STREQ(e.what(), ("Unknown browser type. User Agent string: " + ua).c_str());

  try {
    EUnknownBrowserException::IfTrue(true, Format(RSUnknownBrowserType, "x"));
    ADD_FAILURE();
  } catch (const EUnknownBrowserException& raised) {
    EXPECT_TRUE(raised.SupportsJS());
  }
}

}  // namespace kx
