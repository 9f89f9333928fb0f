// The session store's interface (gSessions), as the controller, its timeout thread, the runtime and the sessions
// themselves use it; the session layer implements it (kx/appserver/Sessions.h).
#pragma once

#include <string>
#include <vector>

#include "kx/foundation/KXExceptions.h"

namespace kx {

class TKXApplication;

// The store's destructor ends every session it still holds.
class IKXSessionStore {
 public:
  virtual ~IKXSessionStore() = default;
  // Moves every expired session that no request holds out of the store into sessions; the caller frees them
  // with FreeSession.
  virtual void RemoveExpiredSessions(std::vector<TKXApplication*>& sessions) = 0;
  // Drops the old entries of the list of expired sessions.
  virtual void ClearExpiredSessionsList() = 0;
  // Frees a session that RemoveExpiredSessions handed out; it is the thread's current application meanwhile.
  virtual void FreeSession(TKXApplication* session) = 0;
  // The number of live sessions.
  virtual int GetCount() const = 0;
  // Registers a new session and locks it, under id, or under a new unique id written into id when id is empty. A
  // store that keeps no sessions of its own refuses.
  virtual void RegisterSession(TKXApplication* session, std::string& id) {
    static_cast<void>(session);
    static_cast<void>(id);
    throw EKXException("The session store does not exist.");
  }
  // Takes a registered session out again (its creation failed after RegisterSession).
  virtual void UnregisterSession(TKXApplication* session) { static_cast<void>(session); }
  // Told after a new session was registered, and while a registered session is destroyed.
  virtual void SessionCreated(TKXApplication* session) { static_cast<void>(session); }
  virtual void SessionDestroyed(TKXApplication* session) { static_cast<void>(session); }
};

}  // namespace kx
