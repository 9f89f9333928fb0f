// What the session benchmarks share: a session opened through the entry point the way a browser opens one.
#pragma once

#include <string>
#include <vector>

#include "kx/appserver/Server.h"
#include "kx/foundation/HttpPackets.h"
#include "kx/foundation/HttpReply.h"

namespace kx::bench {

// Opens session n: the start (with query), the start check, (with startPost) the start form's post, and the main
// form's page, whose reply it returns. Each session comes from an address of its own in 198.18.0.0/15 (the
// benchmarking range), so that the limit of sessions per address does not refuse them.
inline TReplyPacket OpenBrowserSession(int n, const std::string& query = std::string(), bool startPost = false) {
  std::string cookie;
  const std::string address = "198.18." + std::to_string((n >> 8) & 511) + "." + std::to_string(n & 255);
  auto send = [&cookie, &address](const std::string& path, const std::string& q,
                                   const std::vector<std::string>& body = {}) {
    TRequestPacketFields fields;
    fields.PathInfo = fields.URL = path;
    fields.Query = q;
    fields.Method = body.empty() ? "GET" : "POST";
    fields.Host = "localhost:8080";
    fields.ServerPort = 8080;
    fields.RemoteAddr = address;
    fields.UserAgent = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36";
    if (!cookie.empty()) fields.CookieFields.push_back("KX_MyKXApp=" + cookie);
    if (!q.empty()) fields.QueryFields.push_back(q);
    for (const std::string& field : body) fields.QueryFields.push_back(field);
    fields.HasContent = !body.empty();
    std::vector<char> buffer(THttpPacket::HostBufferSize);
    WriteRequestPacket(fields, buffer.data(), std::int64_t(buffer.size()));
    HttpExecute(buffer.data(), std::int32_t(buffer.size()));
    TReplyPacket reply = ReadReplyPacket(buffer.data(), std::int64_t(buffer.size()));
    for (const TReplyPacketCookie& c : reply.Cookies)
      if (c.Name == "KX_MyKXApp") cookie = c.Value;
    return reply;
  };
  send("/", query);
  send("/$/StartCheck", "KX_width=1024&KX_height=768");
  if (startPost) {
    const std::string id = cookie.substr(0, cookie.find('_'));
    send("/", "", {"KX_width=1024", "KX_height=768", "KX_SessionID_=" + id, "KX_TrackID_=1"});
  }
  return send("/$/", "");
}

}  // namespace kx::bench
