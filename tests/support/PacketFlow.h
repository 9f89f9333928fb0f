// What packet-level flow tests share: a browser-like client that sends request
// packets through HttpExecute and keeps the session cookie, and a parsed page or
// callback answer read with XPath (libxml2).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kx/appserver/Server.h"
#include "kx/foundation/HttpPackets.h"
#include "kx/foundation/HttpReply.h"
#include "support/ParsedDocument.h"

namespace kx::test {

inline constexpr const char* kChromeAgent = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36";

// One browser: its requests carry the session cookie the replies set. The query
// and the body fields reach QueryFields as the stand-alone host puts them there.
class TPacketClient {
 public:
  explicit TPacketClient(std::string cookieName = "KX_MyKXApp") : mCookieName(std::move(cookieName)) {}

  TReplyPacket Send(const std::string& method, const std::string& path, const std::string& query,
                    const std::vector<std::string>& body) {
    TRequestPacketFields fields;
    fields.PathInfo = path;
    fields.URL = path;
    fields.Query = query;
    fields.Method = method;
    fields.Host = "www.example.com";
    fields.ServerPort = 80;
    fields.RemoteAddr = "192.0.2.10";
    fields.UserAgent = kChromeAgent;
    fields.AcceptLanguage = AcceptLanguage;
    if (!mCookie.empty()) fields.CookieFields.push_back(mCookieName + "=" + mCookie);
    std::string_view rest(query);
    while (!rest.empty()) {
      const std::size_t end = rest.find('&');
      fields.QueryFields.emplace_back(rest.substr(0, end));
      if (end == std::string_view::npos) break;
      rest.remove_prefix(end + 1);
    }
    for (const std::string& field : body) fields.QueryFields.push_back(field);
    fields.Files = std::move(NextFiles);
    NextFiles.clear();
    fields.HasContent = !body.empty() || !fields.Files.empty();
    std::vector<char> buffer(THttpPacket::HostBufferSize);
    WriteRequestPacket(fields, buffer.data(), std::int64_t(buffer.size()));
    HttpExecute(buffer.data(), std::int32_t(buffer.size()));
    TReplyPacket reply = ReadReplyPacket(buffer.data(), std::int64_t(buffer.size()));
    for (const TReplyPacketCookie& cookie : reply.Cookies)
      if (cookie.Name == mCookieName) mCookie = cookie.Value;
    return reply;
  }

  // The way a browser opens a session: start, start check, the start post, the main form page.
  TReplyPacket OpenMainForm() {
    Send("GET", "/", "", {});
    Send("GET", "/$/StartCheck", "KX_width=1024&KX_height=768", {});
    Send("POST", "/", "", {"KX_width=1024", "KX_height=768", "KX_SessionID_=" + Id(), "KX_TrackID_=1"});
    return Send("GET", "/$/", "", {});
  }

  // The full submit of form (a form of this session) as its page posts it: the fields, the form's own fields and
  // the control of that HTML name as the action.
  template <class TForm>
  TReplyPacket SubmitForm(const TForm& form, const std::string& action, std::vector<std::string> fields) {
    for (std::string field : {"KX_FormName=" + form.Name(), "KX_FormClass=" + std::string(form.ClassType().Name),
                              "KX_FormID_=" + form.FormId(), std::string("KX_width=1024"),
                              std::string("KX_height=768"), "KX_Action=" + action, std::string("KX_ActionParam="),
                              "KX_SessionID_=" + Id(), "KX_TrackID_=" + Track()})
      fields.push_back(std::move(field));
    return Send("POST", "/$/", "", fields);
  }

  // The callback named callback ("CONTROL.Event") from form's page, carrying the fields.
  template <class TForm>
  TReplyPacket CallBack(const TForm& form, const std::string& callback, std::vector<std::string> fields) {
    fields.push_back("KX_SessionID_=" + Id());
    fields.push_back("KX_FormID_=" + form.FormId());
    return Send("POST", "/$/callback", "callback=" + callback + "&KX_AjaxID=1_1&KX_TrackID_=" + Track(), fields);
  }

  // The uploads of the next request (as the host stored them), then none.
  std::vector<TRequestPacketFile> NextFiles;

  // Sent as the Accept-Language header of every request.
  std::string AcceptLanguage;

  const std::string& Cookie() const { return mCookie; }
  std::string Id() const { return mCookie.substr(0, mCookie.find('_')); }
  std::string Track() const { return mCookie.substr(mCookie.find('_') + 1); }

 private:
  std::string mCookieName;
  std::string mCookie;
};

}  // namespace kx::test
