// Where a request comes from when proxies stand between the client and the application: the client's address and
// the scheme and host it used, each believed only as far as the controller's trusted proxies vouch for it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "kx/foundation/HttpRequest.h"

namespace kx {

// The client of a request for the session checks and limits. remoteAddr, the connection's peer, is the client
// unless it is one of trustedProxies: then the right-most address of forwardedFor (a comma-separated list) that is
// not a trusted proxy (all of them trusted: the left-most), or, without forwardedFor, clientIP (the Client-IP
// header). A forwarded address comes back in its canonical form (an IPv4-mapped IPv6 address as IPv4); one that
// is not an IP address, and a header that is empty, leave the peer as the client. So headers a client forges are
// believed only when a proxy the application trusts passed them on, and that proxy's own entry is the one used.
std::string ClientAddress(std::string_view remoteAddr, std::string_view forwardedFor, std::string_view clientIP,
                          const std::vector<std::string>& trustedProxies);

// The scheme and host a client used to reach a proxy in front of the application. The proxy's word is taken only
// when the request's peer is one of trustedProxies (as for X-Forwarded-For) and it sent X-Forwarded-Proto "http" or
// "https"; the host is X-Forwarded-Host, else the Host header, as "name[:port]" or "[v6][:port]". Of a header
// with several lines or entries the last one counts: the one the nearest proxy wrote. Any other value, or a host
// that is not a plain name or address with a port from 1 to 65535, leaves the origin unknown.
struct TForwardedOrigin {
  bool Known = false;
  bool Secure = false;     // the client came over https
  std::string Host;        // "name" or "[v6]"
  std::int32_t Port = 0;   // 0 when the client named none (the scheme's default)

  // "http(s)://" + Host, with Port when secure is the client's own scheme and Port is not that scheme's default;
  // for the other scheme the balancer's default port, as its port for it is not known here.
  std::string URL(bool secure) const;
};
TForwardedOrigin ForwardedOrigin(const THttpRequest& request, const std::vector<std::string>& trustedProxies);

// The request's own origin, "http(s)://host[:port]" with the scheme's default port left out: the scheme, host and
// port the client used, behind a trusted proxy as ForwardedOrigin says, else the connection's scheme and the Host
// header as the client sent it. Empty when that host is not a plain name or address.
std::string RequestOrigin(const THttpRequest& request, const std::vector<std::string>& trustedProxies);

// Whether origin, an Origin header's "scheme://host[:port]", is RequestOrigin. Hosts compare without case and a
// scheme's default port counts as none; "null" and anything that is not a plain http or https origin never match.
bool IsRequestOrigin(std::string_view origin, const THttpRequest& request,
                     const std::vector<std::string>& trustedProxies);

}  // namespace kx
