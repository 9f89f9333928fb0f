#include "kx/hosts/HostRequest.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <boost/beast/http/empty_body.hpp>
#include <fstream>

#include "kx/appserver/Server.h"
#include "support/TempFolder.h"

namespace kx {
namespace {

namespace http = boost::beast::http;

TEST(PercentDecode, DecodesEscapesAndKeepsBrokenOnes) {
  struct {
    const char* text;
    bool plus;
    const char* expected;
  } cases[] = {
      {"a%20b", false, "a b"},        {"a+b", true, "a b"},         {"a+b", false, "a+b"},
      {"%C3%A9", false, "\xC3\xA9"},  {"%zz%4", false, "%zz%4"},    {"100%", false, "100%"},
      {"%2F..%2f", false, "/../"},    {"%e9", false, "\xE9"},       {"", true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(PercentDecode(c.text, c.plus), c.expected);
  }
}

TEST(DecodeFormFields, DecodesNameAndValueApart) {
  std::vector<std::string> lines;
  DecodeFormFields("a=1&b=x+y&&c=%26%3D&flag&=v&e=", lines);
  EXPECT_EQ(lines, (std::vector<std::string>{"a=1", "b=x y", "c=&=", "flag", "=v", "e="}));
}

// Issue 40, fault 10: a large form field was held two to four times over while decoded. Decoded from a body it owns,
// the longest line is the body's own memory; the lines come in the body's order, whichever is longest.
TEST(DecodeFormFields, TheLongestLineKeepsTheBodysMemory) {
  const std::string big(100000, 'v');
  // Half a million bare names before 16 MiB without "=": decoded in well under a second when each pair is searched
  // for its "=" alone, in hours when each search runs on to the text's end.
  const std::size_t bare = 500000;
  const std::string huge(16 << 20, 'v');
  std::vector<std::string> bareLines(bare, "a");
  bareLines.push_back(huge);
  const struct {
    std::string body;
    std::vector<std::string> lines;
    std::size_t longest;
  } cases[] = {
      {"a=1&BIG=" + big + "&b=%41", {"a=1", "BIG=" + big, "b=A"}, 1},
      {"BIG=" + big + "%21&c", {"BIG=" + big + "!", "c"}, 0},
      {"x=%2B+&BIG" + big, {"x=+ ", "BIG" + big}, 1},
      {[&] {
         std::string body;
         for (std::size_t i = 0; i < bare; ++i) body += "a&";
         return body + huge;
       }(),
       std::move(bareLines), bare},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines[c.longest].substr(0, 8));
    std::string body = c.body;
    const char* memory = body.data();
    std::vector<std::string> lines{"before"};
    DecodeFormFields(std::move(body), lines);
    ASSERT_EQ(lines.size(), c.lines.size() + 1);
    EXPECT_EQ(lines[0], "before");
    EXPECT_TRUE(std::equal(c.lines.begin(), c.lines.end(), lines.begin() + 1));
    EXPECT_EQ(lines[c.longest + 1].data(), memory);
  }
}

TEST(ParseCookies, SplitsAtSemicolons) {
  std::vector<std::string> lines;
  ParseCookies(" KX_App=abc_1 ; theme=dark;;flag; v = a=b ", lines);
  EXPECT_EQ(lines, (std::vector<std::string>{"KX_App=abc_1", "theme=dark", "flag", "v=a=b"}));
}

TEST(ParseBasicCredentials, DecodesOnlyBasic) {
  std::string user, password;
  EXPECT_TRUE(ParseBasicCredentials("Basic dXNlcjpwYTpzcw==", user, password));  // user:pa:ss
  EXPECT_EQ(user, "user");
  EXPECT_EQ(password, "pa:ss");
  EXPECT_TRUE(ParseBasicCredentials("basic w6k6eA==", user, password));  // UTF-8 "é:x"
  EXPECT_EQ(user, "\xC3\xA9");
  for (const char* bad : {"Bearer dXNlcjpwYXNz", "Basic !!!", "Basic dXNlcg==", "Basic", ""}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(ParseBasicCredentials(bad, user, password));
    EXPECT_EQ(user, "");
    EXPECT_EQ(password, "");
  }
}

TEST(SplitHostHeader, DropsThePort) {
  struct {
    const char* host;
    const char* name;
    int port;
  } cases[] = {
      {"example.com", "example.com", 0},  {"example.com:8080", "example.com", 8080}, {"[::1]:443", "[::1]", 443},
      {"[::1]", "[::1]", 0},              {"host:0", "host", 0},                     {"host:99999", "host", 0},
      {"host:80x", "host", 0},            {"", "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.host);
    std::string name;
    int port = -1;
    SplitHostHeader(c.host, name, port);
    EXPECT_EQ(name, c.name);
    EXPECT_EQ(port, c.port);
  }
}

TEST(SplitRequestTarget, DecodesThePathOnly) {
  std::string path, query;
  SplitRequestTarget("/$/js/a%20b.js?x=%41&y", path, query);
  EXPECT_EQ(path, "/$/js/a b.js");
  EXPECT_EQ(query, "x=%41&y");
  SplitRequestTarget("http://example.com:81/p?q", path, query);
  EXPECT_EQ(path, "/p");
  EXPECT_EQ(query, "q");
  SplitRequestTarget("http://example.com", path, query);
  EXPECT_EQ(path, "/");
  for (const char* bad : {"*", "", "example.com/p", "/a%00b"}) {
    SCOPED_TRACE(bad);
    try {
      SplitRequestTarget(bad, path, query);
      ADD_FAILURE() << "no error";
    } catch (const EHostRequestError& e) {
      EXPECT_EQ(e.Status(), 400u);
    }
  }
}

class EncodeRequestFieldsTest : public TempFolderTest {
 protected:
  TRequestPacketFields Encode(const http::request<http::empty_body>& req) {
    return EncodeRequestFields(req.base(), mBody, mConnection, mFolder, mUploads);
  }

  THostRequestBody mBody;
  THostConnection mConnection{"10.1.2.3", 8080, false};
  THostUploads mUploads;
};

TEST_F(EncodeRequestFieldsTest, FillsTheFieldsOfTheStandAloneServer) {
  http::request<http::empty_body> req(http::verb::get, "/$/app/page?b=2&n=a%2Bb", 11);
  req.set(http::field::host, "www.example.com:81");
  req.set(http::field::user_agent, "Agent/1.0");
  req.set(http::field::referer, "http://r/");
  req.set(http::field::authorization, "Basic dXNlcjpwYXNz");
  req.set(http::field::if_modified_since, "Sun, 06 Nov 1994 08:49:37 GMT");
  req.set("X-Forwarded-For", "1.2.3.4");
  req.set("Client-IP", "5.6.7.8");
  req.set(http::field::accept_language, "de-DE");
  req.set("HTTPS", "on");  // a client's claim, not the connection's
  req.insert(http::field::cookie, "a=1; b=2");
  req.insert(http::field::cookie, "c=3");
  TRequestPacketFields f = Encode(req);
  EXPECT_EQ(f.UserAgent, "Agent/1.0");
  EXPECT_EQ(f.Referer, "http://r/");
  EXPECT_EQ(f.ScriptName, "");
  EXPECT_EQ(f.Host, "www.example.com");
  EXPECT_EQ(f.ServerPort, 81);
  EXPECT_EQ(f.Authorization, "Basic dXNlcjpwYXNz");
  EXPECT_EQ(f.AuthorizationHeader, f.Authorization);
  EXPECT_EQ(f.AuthUser, "user");
  EXPECT_EQ(f.AuthPass, "pass");
  EXPECT_EQ(f.URL, "");
  EXPECT_EQ(f.PathInfo, "/$/app/page");
  EXPECT_EQ(f.Query, "b=2&n=a%2Bb");
  EXPECT_EQ(f.RemoteAddr, "10.1.2.3");
  EXPECT_EQ(f.Method, "GET");
  EXPECT_EQ(f.IfModifiedSince, "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(f.ForwardedFor, "1.2.3.4");
  EXPECT_EQ(f.HttpClientIP, "5.6.7.8");
  EXPECT_EQ(f.AcceptLanguage, "de-DE");
  EXPECT_EQ(f.HttpsHeader, "off");
  EXPECT_EQ(f.CookieFields, (std::vector<std::string>{"a=1", "b=2", "c=3"}));
  EXPECT_EQ(f.QueryFields, (std::vector<std::string>{"b=2", "n=a+b"}));
  EXPECT_TRUE(f.ContentFields.empty());
  EXPECT_TRUE(f.ServerVariables.empty());
  EXPECT_FALSE(f.HasContent);
  EXPECT_EQ(f.RawHeaders.front(), "Host: www.example.com:81");
  EXPECT_EQ(f.RawHeaders.size(), 11u);
}

TEST_F(EncodeRequestFieldsTest, ServerPortFallsBackToTheListeningPort) {
  http::request<http::empty_body> req(http::verb::get, "/", 11);
  req.set(http::field::host, "example.com");
  EXPECT_EQ(Encode(req).ServerPort, 8080);
}

TEST_F(EncodeRequestFieldsTest, FormPostGoesIntoQueryFields) {
  http::request<http::empty_body> req(http::verb::post, "/$/call?KX_TrackID_=1", 11);
  req.set(http::field::host, "h");
  req.set(http::field::content_type, "application/x-www-form-urlencoded; charset=UTF-8");
  mBody.Memory() = "EDIT1=a+b%26c&MEMO=l1%0D%0Al2";
  TRequestPacketFields f = Encode(req);
  EXPECT_TRUE(f.HasContent);
  EXPECT_EQ(f.QueryFields, (std::vector<std::string>{"KX_TrackID_=1", "EDIT1=a b&c", "MEMO=l1\r\nl2"}));
  EXPECT_TRUE(f.Files.empty());
}

// Issue 44, fault 3: a post of any number of fields reached the form, whose joining of them took quadratic time.
// The query's and the body's fields count together against the limit; empty pairs are no fields.
TEST_F(EncodeRequestFieldsTest, FieldsBeyondTheLimitAreA413) {
  const std::string part = "--q\r\nContent-Disposition: form-data; name=\"m\"\r\n\r\nv\r\n";
  const std::string parts = part + part + part + part + "--q--\r\n";
  const std::string unclosed = part + part + part + part;  // the limit stops the parser before the body's end
  const struct {
    const char* query;
    std::string body;  // multipart when it starts with "--"
    unsigned status;   // 0: encoded
  } cases[] = {
      {"/?a=1&b=2", "c=3&d&&e=", 0}, {"/?a=1&b=2", "c=3&d&e=&f", 413}, {"/?a&b&c&d&e&f", "", 413},
      {"/?a=1", parts, 0},           {"/?a=1&b", parts, 413},           {"/?a=1&b", unclosed, 413},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.query + (" " + c.body.substr(0, 10)));
    http::request<http::empty_body> req(http::verb::post, c.query, 11);
    req.set(http::field::host, "h");
    req.set(http::field::content_type,
            c.body.starts_with("--") ? "multipart/form-data; boundary=q" : "application/x-www-form-urlencoded");
    mBody.Memory() = c.body;
    THostUploads uploads;
    try {
      EXPECT_EQ(EncodeRequestFields(req.base(), mBody, mConnection, mFolder, uploads, 5).QueryFields.size(), 5u);
      EXPECT_EQ(c.status, 0u);
    } catch (const EHostRequestError& e) {
      EXPECT_EQ(e.Status(), c.status);
      EXPECT_EQ(e.Message(), "Too many form fields.");
    }
  }
}

TEST_F(EncodeRequestFieldsTest, MultipartFromASpoolFile) {
  std::string spool = mFolder + "spool.tmp";
  std::ofstream(spool, std::ios::binary) << "--q\r\nContent-Disposition: form-data; name=\"KXFileUploader\"\r\n\r\ntrue\r\n"
                                            "--q\r\nContent-Disposition: form-data; name=\"up\"; filename=\"a.txt\"\r\n"
                                            "Content-Type: text/plain\r\n\r\nxyz\r\n--q--\r\n";
  mBody.SetSpoolFile(spool);
  http::request<http::empty_body> req(http::verb::post, "/$/upload/1", 11);
  req.set(http::field::host, "h");
  req.set(http::field::content_type, "multipart/form-data; boundary=q");
  TRequestPacketFields f = Encode(req);
  EXPECT_EQ(f.QueryFields, (std::vector<std::string>{"KXFileUploader=true"}));
  ASSERT_EQ(f.Files.size(), 1u);
  EXPECT_EQ(f.Files[0], mUploads.Files()[0]);
  EXPECT_EQ(f.Files[0].FileName, "a.txt");
  EXPECT_EQ(f.Files[0].FileSize, 3);
}

TEST_F(EncodeRequestFieldsTest, MalformedMultipartIsA400) {
  http::request<http::empty_body> req(http::verb::post, "/", 11);
  req.set(http::field::host, "h");
  req.set(http::field::content_type, "multipart/form-data; boundary=q");
  mBody.Memory() = "--q\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nno end";
  try {
    Encode(req);
    ADD_FAILURE() << "no error";
  } catch (const EHostRequestError& e) {
    EXPECT_EQ(e.Status(), 400u);
  }
}

TEST_F(EncodeRequestFieldsTest, RawUploadNeedsTheUploaderParameter) {
  http::request<http::empty_body> req(http::verb::post, "/$/upload/7?KX_ActionParam=UP1&KXFileUploader=true", 11);
  req.set(http::field::host, "h");
  req.set(http::field::content_type, "application/octet-stream");
  req.set("X-File-Name", "..%2F..%2Fetc%2Fpass%C3%A9.txt");
  req.set("X-KXFieldName", "UP1");
  mBody.Memory() = std::string("\0bin\r\n", 6);
  TRequestPacketFields f = Encode(req);
  ASSERT_EQ(f.Files.size(), 1u);
  EXPECT_EQ(f.Files[0].FileName, "pass\xC3\xA9.txt");
  EXPECT_EQ(f.Files[0].FieldName, "UP1");
  EXPECT_EQ(f.Files[0].ContentType, "application/octet-stream");
  EXPECT_EQ(f.Files[0].FileSize, 6);
  EXPECT_EQ(f.Files[0].TempPathName.rfind(mFolder, 0), 0u);

  THostUploads none;
  req.target("/$/upload/7?KXFileUploader=false");
  EXPECT_TRUE(EncodeRequestFields(req.base(), mBody, mConnection, mFolder, none).Files.empty());
  // A script that left the form content type still uploads a file, not fields.
  THostUploads form;
  req.target("/$/upload/7?KXFileUploader=true");
  req.set(http::field::content_type, "application/x-www-form-urlencoded");
  f = EncodeRequestFields(req.base(), mBody, mConnection, mFolder, form);
  EXPECT_EQ(f.Files.size(), 1u);
  EXPECT_EQ(f.QueryFields, (std::vector<std::string>{"KXFileUploader=true"}));
}

TEST_F(EncodeRequestFieldsTest, SpoolFileGoesWithTheBody) {
  std::string spool = mFolder + "body.tmp";
  {
    THostRequestBody body;
    std::ofstream(spool) << "abc";
    body.SetSpoolFile(spool);
    EXPECT_EQ(body.Size(), 3);
    EXPECT_EQ(body.Text(), "abc");
  }
  EXPECT_EQ(FileCount(), 0u);
}


// Issue 31, fault 7: only the first X-Forwarded-For line was read, so a client-written line put before the proxy's
// chose the client's address (and sidestepped the per-address session cap). Repeated lines are one list, in order.
TEST_F(EncodeRequestFieldsTest, RepeatedForwardedForLinesAreJoined) {
  const struct {
    std::vector<const char*> Lines;
    const char* Joined;
    const char* Client;  // behind the connection's peer as a trusted proxy
  } cases[] = {
      {{}, "", "10.1.2.3"},
      {{"1.2.3.4"}, "1.2.3.4", "1.2.3.4"},
      {{"6.6.6.6", "203.0.113.9"}, "6.6.6.6, 203.0.113.9", "203.0.113.9"},
      {{"6.6.6.6, 7.7.7.7", "", "203.0.113.9"}, "6.6.6.6, 7.7.7.7, , 203.0.113.9", "203.0.113.9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Joined);
    http::request<http::empty_body> req(http::verb::get, "/", 11);
    req.set(http::field::host, "h");
    for (const char* line : c.Lines) req.insert("X-Forwarded-For", line);
    const TRequestPacketFields f = Encode(req);
    EXPECT_EQ(f.ForwardedFor, c.Joined);
    EXPECT_EQ(ClientAddress(f.RemoteAddr, f.ForwardedFor, "", {"10.1.2.3"}), c.Client);
  }
}

}  // namespace
}  // namespace kx
