#include "kx/appserver/ClientOrigin.h"

#include <arpa/inet.h>

#include <cstring>

#include "kx/foundation/TextUtils.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

// The canonical text of an IP address ("::ffff:192.0.2.1" -> "192.0.2.1"), given bare, in brackets, with a port
// ("192.0.2.1:80", "[::1]:80") or between blanks; empty when text is not an IP address.
std::string CanonicalAddress(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (text.starts_with('[')) {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) return std::string();
    text = text.substr(1, close - 1);
  } else if (const std::size_t colon = text.find(':');
             colon != std::string_view::npos && text.find(':', colon + 1) == std::string_view::npos) {
    text = text.substr(0, colon);  // IPv4 with a port
  }
  const std::string bare(text);
  char canonical[INET6_ADDRSTRLEN] = {};
  in_addr v4{};
  if (inet_pton(AF_INET, bare.c_str(), &v4) == 1) return inet_ntop(AF_INET, &v4, canonical, sizeof canonical);
  in6_addr v6{};
  if (inet_pton(AF_INET6, bare.c_str(), &v6) != 1) return std::string();
  if (IN6_IS_ADDR_V4MAPPED(&v6)) {
    std::memcpy(&v4, &v6.s6_addr[12], sizeof v4);
    return inet_ntop(AF_INET, &v4, canonical, sizeof canonical);
  }
  return inet_ntop(AF_INET6, &v6, canonical, sizeof canonical);
}

// Whether address (canonical) is one of trustedProxies.
bool IsTrustedProxy(const std::string& address, const std::vector<std::string>& trustedProxies) {
  if (address.empty()) return false;
  for (const std::string& proxy : trustedProxies)
    if (CanonicalAddress(proxy) == address) return true;
  return false;
}

// The last entry of a comma-separated header value, without blanks: the one the nearest proxy wrote.
std::string_view LastListEntry(std::string_view value) {
  const std::size_t comma = value.rfind(',');
  if (comma != std::string_view::npos) value.remove_prefix(comma + 1);
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
  return value;
}

// "name", "name:port", "[v6]" or "[v6]:port" with a port from 1 to 65535, split; false for anything else, so that
// nothing but a host name or address reaches a URL or a Location header.
bool SplitAuthority(std::string_view text, std::string& host, std::int32_t& port) {
  std::string_view name = text, digits;
  if (text.starts_with('[')) {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos || close == 1) return false;
    name = text.substr(0, close + 1);
    if (name.find_first_not_of("0123456789abcdefABCDEF:.", 1) != close) return false;
    if (close + 1 < text.size()) {
      if (text[close + 1] != ':') return false;
      digits = text.substr(close + 2);
      if (digits.empty()) return false;
    }
  } else {
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos) {
      name = text.substr(0, colon);
      digits = text.substr(colon + 1);
      if (digits.empty()) return false;
    }
    if (name.empty() || name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_") !=
                            std::string_view::npos)
      return false;
  }
  port = 0;
  if (!digits.empty()) {
    if (digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string_view::npos) return false;
    port = std::int32_t(std::stoi(std::string(digits)));
    if (port < 1 || port > 65535) return false;
  }
  host = std::string(name);
  return true;
}

}  // namespace

TForwardedOrigin ForwardedOrigin(const THttpRequest& request, const std::vector<std::string>& trustedProxies) {
  TForwardedOrigin origin;
  if (!IsTrustedProxy(CanonicalAddress(request.RemoteAddr()), trustedProxies)) return origin;
  const std::string protoValue = request.GetRawHeaderValue("X-Forwarded-Proto");
  const std::string_view proto = LastListEntry(protoValue);
  if (!SameText(proto, "http") && !SameText(proto, "https")) return origin;
  const std::string forwardedHost = request.GetRawHeaderValue("X-Forwarded-Host");
  if (!SplitAuthority(LastListEntry(forwardedHost), origin.Host, origin.Port) &&
      !SplitAuthority(LastListEntry(request.GetRawHeaderValue("Host")), origin.Host, origin.Port))
    return origin;
  origin.Known = true;
  origin.Secure = SameText(proto, "https");
  return origin;
}

std::string TForwardedOrigin::URL(bool secure) const {
  std::string url = (secure ? "https://" : "http://") + Host;
  // The balancer's port for the other scheme is unknown here: its default.
  if (secure == Secure && Port != 0 && Port != (secure ? 443 : 80)) url += ":" + IntToStr(Port);
  return url;
}

std::string RequestOrigin(const THttpRequest& request, const std::vector<std::string>& trustedProxies) {
  TForwardedOrigin own = ForwardedOrigin(request, trustedProxies);
  if (!own.Known) {
    own.Secure = SameText(request.HttpsHeader(), "ON");
    // The Host header as the client sent it: the host hands on its name without the port.
    const std::string sent = request.GetRawHeaderValue("Host");
    if (!SplitAuthority(sent.empty() ? request.Host() : sent, own.Host, own.Port)) return std::string();
  }
  return own.URL(own.Secure);
}

bool IsRequestOrigin(std::string_view origin, const THttpRequest& request,
                     const std::vector<std::string>& trustedProxies) {
  TForwardedOrigin seen;
  if (StartsText("https://", origin)) {
    seen.Secure = true;
    origin.remove_prefix(8);
  } else if (StartsText("http://", origin)) {
    origin.remove_prefix(7);
  } else {
    return false;
  }
  if (!SplitAuthority(origin, seen.Host, seen.Port)) return false;
  const std::string own = RequestOrigin(request, trustedProxies);
  return !own.empty() && SameText(seen.URL(seen.Secure), own);
}

std::string ClientAddress(std::string_view remoteAddr, std::string_view forwardedFor, std::string_view clientIP,
                          const std::vector<std::string>& trustedProxies) {
  const auto trusted = [&](const std::string& address) { return IsTrustedProxy(address, trustedProxies); };
  const std::string peer(remoteAddr);
  if (!trusted(CanonicalAddress(peer))) return peer;
  if (forwardedFor.find_first_not_of(" \t,") == std::string_view::npos) {
    const std::string client = CanonicalAddress(clientIP);
    return client.empty() ? peer : client;
  }
  // Each proxy appends the address it was reached from: read from the right, past the proxies we trust.
  std::string address;
  std::string_view rest = forwardedFor;
  while (!rest.empty()) {
    const std::size_t comma = rest.rfind(',');
    const std::string_view entry = comma == std::string_view::npos ? rest : rest.substr(comma + 1);
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(0, comma);
    if (entry.find_first_not_of(" \t") == std::string_view::npos) continue;
    address = CanonicalAddress(entry);
    if (address.empty()) return peer;
    if (!trusted(address)) return address;
  }
  return address.empty() ? peer : address;
}

}  // namespace kx
