// Admission to the session layer: which requests may take a host thread to run in a session or wait for one.
// A request that waits for its busy session holds its thread as one that runs does, so one client address with many
// busy sessions could take every thread and leave every other visitor unanswered. Yet many honest visitors share one
// address (an office, a school, a carrier behind NAT), and their requests are no reason to refuse anyone while the
// host has threads to spare. So an address's share matters only when the host's threads are nearly all taken:
// then an address that already has the controller's MaxRequestsPerIP requests in is refused, and those with fewer
// are still let in. Requests answered from the store alone (status polls, keep-alives) never ask.
// Builds on appserver/RequestWatch.h (the host's count of spare threads).
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

namespace kx {

class TKXAdmission {
 public:
  // The host is nearly full with this many spare threads or fewer: a request is still let in while more are spare.
  static constexpr int ReserveThreads = 8;
  // Seconds between two lines of the operator's log about refused requests.
  static constexpr std::chrono::seconds LogInterval{60};

  // Counts a request of clientIP in, unless the address has limit (> 0) requests in already while the host has
  // spareThreads (ReserveThreads or fewer; a negative count: the host does not say, and the address's share always
  // matters). False when refused; nothing is counted then.
  bool Join(const std::string& clientIP, int limit, int spareThreads);
  void Leave(const std::string& clientIP);
  // The requests of clientIP counted in now.
  int RequestsOf(const std::string& clientIP) const;
  // After a refusal: the operator's line for the refusals since the last one, when LogInterval has passed since
  // that line (the first refusal always has one); empty otherwise.
  std::string RefusalLine(const std::string& clientIP, int limit, int spareThreads);

 private:
  mutable std::mutex mLock;  // held briefly
  // Only addresses with some requests in.
  std::unordered_map<std::string, int> mRequests;
  std::int64_t mRefusedSinceLine = 0;
  std::chrono::steady_clock::time_point mLastLine{};
  bool mLogged = false;
};

// The process's admission.
TKXAdmission& RequestAdmission();

// One request's place in the admission while it lasts; empty when the request was refused or never asked.
class TKXAdmissionTicket {
 public:
  TKXAdmissionTicket() = default;
  // Asks the admission for clientIP: Admitted() tells the answer.
  TKXAdmissionTicket(TKXAdmission& admission, std::string clientIP, int limit, int spareThreads);
  ~TKXAdmissionTicket() {
    if (mAdmission != nullptr) mAdmission->Leave(mClientIP);
  }
  TKXAdmissionTicket(const TKXAdmissionTicket&) = delete;
  TKXAdmissionTicket& operator=(const TKXAdmissionTicket&) = delete;
  bool Admitted() const { return mAdmission != nullptr; }

 private:
  TKXAdmission* mAdmission = nullptr;
  std::string mClientIP;
};

}  // namespace kx
