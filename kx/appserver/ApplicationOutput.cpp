// The session output operations of TKXApplication that end a session with a
// page, switch between HTTP and HTTPS, send files and streams, and open new
// windows. Each works in a full-page request (reply or render override) and
// in a callback (a script in the callback response).
#include "kx/appserver/Application.h"

#include <memory>

#include "kx/appserver/CacheFiles.h"
#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/MimeTypes.h"
#include "kx/appserver/ServerController.h"
#include "kx/appserver/SessionOutput.h"
#include "kx/foundation/Browsers.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/foundation/Paths.h"
#include "kx/platform/DateUtils.h"

namespace kx {

namespace {

bool IsInternetExplorer(const TBrowser* browser) {
  return browser != nullptr && browser->InheritsFrom(TInternetExplorer::ClassRecord);
}

// The content type of a download without one: the MIME table's type of the name's extension.
std::string ContentTypeFor(const std::string& contentType, const std::string& fileName) {
  return contentType.empty() ? TKXMimeTypes::GetAsString(TFilePath::GetExtension(fileName)) : contentType;
}

}  // namespace

void TKXApplication::Terminate(const std::string& message) {
  Terminate();
  const std::string page = TerminatedPage(message);
  if (FIsCallBack) {
    std::unique_ptr<TCacheStream> stream;
    std::string href;
    TKXAppCache::NewCacheStream(this, "text/html", ctOneTime, stream, href);
    stream->Write(page);
    stream.reset();  // seals the file
    GoToURL(href, true, false);
  } else {
    auto stream = std::make_unique<TKXRenderStream>(true, false, THttpReply::BodyFlushSize());
    stream->Write(page);
    SetRenderOverride(std::move(stream));
  }
}

void TKXApplication::SwitchToSecure() {
  if (FRequest == nullptr || GetSecureMode()) return;
  const std::string url = GetHost(*FRequest, true) + TURL::IncludeTrailingDelimiter(GetExecAction()) + "call?" +
                          FAppID + "_" + TrackID36();
  if (FResponse != nullptr && gSC != nullptr) FResponse->SetServerPort(gSC->SSLOptions()->Port());
  GoToURL(url, false, false);
}

void TKXApplication::SwitchToNonSecure() {
  if (FRequest == nullptr || !GetSecureMode()) return;
  const std::string url = GetHost(*FRequest, false) + TURL::IncludeTrailingDelimiter(GetExecAction()) + "call?" +
                          FAppID + "_" + TrackID36();
  if (FResponse != nullptr && gSC != nullptr) FResponse->SetServerPort(gSC->Port());
  GoToURL(url, false, false);
}

void TKXApplication::SendFile(const std::string& fileName, bool attachment, const std::string& contentType,
                              const std::string& displayName) {
  const std::string type = ContentTypeFor(contentType, fileName);
  if (FIsCallBack) {
    const std::string href = TKXAppCache::AddFileToCache(this, fileName, type, ctOneTime);
    if (FCallBackResponse != nullptr) FCallBackResponse->AddJavaScriptToExecuteAsCDATA(JsRedirect(href, true));
  } else if (FResponse != nullptr) {
    SetSendHeaders(attachment, type, displayName.empty() ? TURL::ExtractFileName(fileName) : displayName);
    FResponse->SendFile(fileName, IsInternetExplorer(mBrowser.get()), false);
  }
  mSkipGenerateForm = true;
}

void TKXApplication::SendStream(std::unique_ptr<TStream> stream, bool attachment, const std::string& contentType,
                                const std::string& fileName) {
  const std::string type = ContentTypeFor(contentType, fileName);
  if (FIsCallBack) {
    const std::string href = TKXAppCache::StreamToCacheFile(this, *stream, fileName, type, ctOneTime);
    if (FCallBackResponse != nullptr) FCallBackResponse->AddJavaScriptToExecuteAsCDATA(JsRedirect(href, true));
  } else if (FResponse != nullptr) {
    SetSendHeaders(attachment, type, fileName);
    FResponse->SendStream(std::move(stream), IsInternetExplorer(mBrowser.get()));
  }
  mSkipGenerateForm = true;
}

void TKXApplication::SetSendHeaders(bool attachment, const std::string& contentType, const std::string& fileName) {
  if (FResponse == nullptr) return;
  FResponse->SetExpires(Now());
  std::string disposition;
  std::string type;
  if (mBrowser != nullptr && mBrowser->InheritsFrom(TAndroid::ClassRecord)) {
    disposition = AndroidContentDispositionValue(fileName);
    type = DownloadContentType("application/octet-stream");
  } else {
    disposition = ContentDispositionValue(fileName, attachment);
    type = DownloadContentType(contentType);
  }
  FResponse->Headers().SetValues("Content-Disposition", disposition);
  FResponse->SetContentType(type);
}

void TKXApplication::NewWindow(const std::string& url) { kx::NewWindow(*this, url, "", -1, -1, {woDefault}, -1, -1); }

void TKXApplication::NewWindow(const std::string& url, const std::string& windowName, int height, int width) {
  kx::NewWindow(*this, url, windowName, height, width, {woDefault}, -1, -1);
}

}  // namespace kx
