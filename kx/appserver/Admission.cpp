#include "kx/appserver/Admission.h"

#include "kx/platform/SysUtils.h"

namespace kx {

bool TKXAdmission::Join(const std::string& clientIP, int limit, int spareThreads) {
  std::lock_guard<std::mutex> guard(mLock);
  auto found = mRequests.find(clientIP);
  const int requests = found == mRequests.end() ? 0 : found->second;
  const bool nearlyFull = spareThreads < 0 || spareThreads <= ReserveThreads;
  if (limit > 0 && requests >= limit && nearlyFull) {
    ++mRefusedSinceLine;
    return false;
  }
  if (found == mRequests.end())
    mRequests.emplace(clientIP, 1);
  else
    ++found->second;
  return true;
}

void TKXAdmission::Leave(const std::string& clientIP) {
  std::lock_guard<std::mutex> guard(mLock);
  auto found = mRequests.find(clientIP);
  if (found != mRequests.end() && --found->second <= 0) mRequests.erase(found);
}

int TKXAdmission::RequestsOf(const std::string& clientIP) const {
  std::lock_guard<std::mutex> guard(mLock);
  auto found = mRequests.find(clientIP);
  return found == mRequests.end() ? 0 : found->second;
}

std::string TKXAdmission::RefusalLine(const std::string& clientIP, int limit, int spareThreads) {
  const auto now = std::chrono::steady_clock::now();
  std::int64_t refused;
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (mLogged && now - mLastLine < LogInterval) return std::string();
    mLogged = true;
    mLastLine = now;
    refused = mRefusedSinceLine;
    mRefusedSinceLine = 0;
  }
  std::string text = "Too many requests from client " + clientIP + ": it has " + IntToStr(limit) +
                     " or more in while the host has ";
  text += spareThreads < 0 ? std::string("no count of its threads") : IntToStr(spareThreads) + " threads to spare";
  text += "; " + IntToStr(refused) + (refused == 1 ? " request" : " requests") +
          " of the addresses at their limit answered 503 since the last such line.";
  return text;
}

TKXAdmission& RequestAdmission() {
  static TKXAdmission admission;
  return admission;
}

TKXAdmissionTicket::TKXAdmissionTicket(TKXAdmission& admission, std::string clientIP, int limit, int spareThreads)
    : mClientIP(std::move(clientIP)) {
  if (admission.Join(mClientIP, limit, spareThreads)) mAdmission = &admission;
}

}  // namespace kx
