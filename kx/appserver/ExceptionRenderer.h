// The exception page: the HTML answer of a request that ended in an unhandled
// exception, built from a page template chosen by the kind of exception (the
// template folder's file, else the embedded default) with its placeholders
// filled in; and the replaceable renderer class that the server calls.
// Builds on the internal files, the exception logger and the HTML utilities.
#pragma once

#include <atomic>
#include <exception>
#include <string>
#include <string_view>

#include "kx/foundation/Colors.h"
#include "kx/platform/Classes.h"

namespace kx {

class THttpRequest;

// A class reference to TKXExceptionRenderer or a descendant: its name and its
// RenderHTML class method. A descendant declares its own record:
//   static const TKXExceptionRendererClass ClassRecord{"TMyRenderer", &TMyRenderer::RenderHTML};
struct TKXExceptionRendererClass {
  const char* Name;
  // The page for e; request may be nullptr. Called on request threads at once.
  std::string (*RenderHTML)(const std::exception& e, const THttpRequest* request);
};

// The kinds of exception page; each has a template "KX" + name + ".html" in
// the template folder and an embedded default "KX_GFX_" + name.
enum class TKXErrorKind : std::uint8_t { Error, SessionTimeout, SessionInvalid, SecurityCheck };

class TKXExceptionRenderer : public TObject {
 public:
  static const TKXExceptionRendererClass ClassRecord;

  // The page colours ($00BBGGRR), process-wide. Defaults: header $094B22 to
  // $80DBA9 (#224B09 to #A9DB80), header text and body background $FFFFFF and
  // $F9F9F9, body text 0 (black).
  static TColor HeaderBackColor1() { return sHeaderBackColor1.load(); }
  static TColor HeaderBackColor2() { return sHeaderBackColor2.load(); }
  static TColor HeaderTextColor() { return sHeaderTextColor.load(); }
  static TColor BodyBackColor() { return sBodyBackColor.load(); }
  static TColor BodyTextColor() { return sBodyTextColor.load(); }
  static void SetColors(TColor headerBackColor1, TColor headerBackColor2, TColor headerTextColor,
                        TColor bodyBackColor, TColor bodyTextColor);

  // The exception page for e:
  //  - without a server controller or without a request, the message alone
  //    (HTML-escaped);
  //  - otherwise the template of e's kind with every "{%NAME%}" of the
  //    thirteen placeholders replaced in one pass (a value is never searched
  //    for placeholders again), each value escaped for HTML so that nothing
  //    the client sent (a session id, run parameters) can add markup; then
  //    every CR and LF removed.
  // Details (the exception logger's detail block, under "Error details:")
  // appear for a general error and, when the security options allow them, for
  // a failed security check, and only for a client connected from loopback
  // (RemoteAddr); any other client sees the message alone.
  static std::string RenderHTML(const std::exception& e, const THttpRequest* request);

  // The kind of page for e: EKXSecurityException, EExpiredSession, any other
  // EInvalidSession, anything else.
  static TKXErrorKind ErrorKind(const std::exception& e);
  // "ERROR", "SESSIONTIMEOUT", "SESSIONINVALID" or "SECURITYCHECK".
  static std::string_view KindName(TKXErrorKind kind);
  // The kind's explanatory text; sessionTimeout (minutes) fills the expired-session text.
  static std::string SpecificText(TKXErrorKind kind, int sessionTimeout);
  // The template text of kind: templateDir + "KX" + kind name + ".html" when
  // templateDir is not empty and that file exists and can be read (a UTF-8
  // byte-order mark is dropped), else the embedded one; a missing embedded one
  // raises from the internal-file registry.
  static std::string GetTemplate(TKXErrorKind kind, const std::string& templateDir);
  // Replaces every "{%NAME%}" whose NAME is a placeholder in one left-to-right
  // pass; NAME is looked up through value, which returns false for an unknown
  // name (left as it is).
  template <class F>
  static std::string ReplacePlaceholders(std::string_view page, F&& value);

 private:
  static std::atomic<TColor> sHeaderBackColor1;
  static std::atomic<TColor> sHeaderBackColor2;
  static std::atomic<TColor> sHeaderTextColor;
  static std::atomic<TColor> sBodyBackColor;
  static std::atomic<TColor> sBodyTextColor;
};

// The renderer class the server uses; TKXExceptionRenderer unless replaced.
const TKXExceptionRendererClass& GetExceptionRendererClass();
// nullptr restores TKXExceptionRenderer. The record must outlive its use.
void SetExceptionRendererClass(const TKXExceptionRendererClass* rendererClass);
// The page of the current renderer class.
std::string RenderExceptionPage(const std::exception& e, const THttpRequest* request);
// Makes the server answer exceptions with RenderExceptionPage (the server's
// exception-renderer seam). Part of the start-up sequence.
void InstallExceptionRenderer();

template <class F>
std::string TKXExceptionRenderer::ReplacePlaceholders(std::string_view page, F&& value) {
  std::string out;
  out.reserve(page.size());
  std::size_t pos = 0;
  while (pos < page.size()) {
    const std::size_t open = page.find("{%", pos);
    if (open == std::string_view::npos) break;
    const std::size_t close = page.find("%}", open + 2);
    if (close == std::string_view::npos) break;
    out.append(page, pos, open - pos);
    std::string replacement;
    if (value(page.substr(open + 2, close - open - 2), replacement)) {
      out += replacement;
      pos = close + 2;
    } else {
      // Not a placeholder: keep "{%" and look again right after it.
      out += "{%";
      pos = open + 2;
    }
  }
  out.append(page, pos);
  return out;
}

}  // namespace kx
