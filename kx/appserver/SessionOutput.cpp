#include "kx/appserver/SessionOutput.h"

#include "kx/appserver/Application.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/foundation/Paths.h"
#include "kx/platform/SysUtils.h"
#include "kx/platform/Utf8.h"

namespace kx {

namespace {

constexpr std::string_view kPopupBlocked = "Popup is blocked. Please disable popup blocker to continue.";

// RFC 5987 attr-char are ALPHA / DIGIT / "!#$&+-.^_`|~"; TURL::Encode also
// encodes every byte below 33 and from 127 up.
constexpr std::string_view kNonAttrChars = "\"%'()*,/:;<=>?@[\\]{}";

}  // namespace

std::string NewWindowFeatures(int height, int width, TKXWindowOptions options, int top, int left) {
  std::string features;
  if (!options.Contains(woDefault)) {
    static constexpr std::pair<TKXWindowOption, std::string_view> kFlags[] = {
        {woButtons, "directories="}, {woStatusBar, "status="},       {woMenuBar, "menubar="},
        {woScrollBars, "scrollbars="}, {woResizable, "resizable="}, {woCopyHistory, "copyhistory="},
        {woFullScreen, "fullscreen="}};
    for (const auto& [option, feature] : kFlags) {
      features += feature;
      features += options.Contains(option) ? "yes," : "no,";
    }
  }
  const std::pair<std::string_view, int> sizes[] = {{"height=", height}, {"width=", width}, {"top=", top},
                                                    {"left=", left}};
  for (const auto& [feature, value] : sizes) {
    if (value == -1) continue;
    features += feature;
    features += IntToStr(value);
    features += ',';
  }
  if (!features.empty()) features.pop_back();
  return features;
}

std::string NewWindowScript(const std::string& url, const std::string& windowName, int height, int width,
                            TKXWindowOptions options, int top, int left) {
  const std::string features = NewWindowFeatures(height, width, options, top, left);
  std::string script = "var xWin = window.open(\"" + ScriptStringText(url) + "\",\"" + ScriptStringText(windowName);
  script += features.empty() ? "\");" : "\",\"" + features + "\");";
  script += "if (xWin && xWin.focus) {xWin.focus()};";
  if (options.Contains(woDetectBlock))
    script += "setTimeout(function(){isWndBlocked(xWin, \"" + std::string(kPopupBlocked) + "\")}, 1000);";
  return script;
}

void NewWindow(TKXApplication& session, const std::string& url, const std::string& windowName, int height,
               int width, TKXWindowOptions options, int top, int left) {
  const std::string script = NewWindowScript(url, windowName, height, width, options, top, left);
  if (session.IsCallBack()) {
    if (IKXCallBackResponse* response = session.CallBackResponse())
      response->AddJavaScriptToExecute(RemoveCRLF(script));
  } else if (IKXHTMLForm* page = Supports<IKXHTMLForm>(session.GetActiveForm())) {
    page->AddToInitProcNewWindowCode(script);
  }
}

std::string TerminatedPage(const std::string& message) {
  return "<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n</head><body>" +
         (message.empty() ? std::string("This session has been terminated") : message) + "</body></html>";
}

std::string DownloadFileName(std::string_view fileName) {
  std::string out;
  out.reserve(fileName.size());
  std::size_t pos = 0;
  while (pos < fileName.size()) {
    char32_t c;
    DecodeUtf8(fileName, pos, c);
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) continue;
    AppendUtf8(out, c);
  }
  return out;
}

std::string AsciiFileName(std::string_view fileName) {
  std::string out;
  out.reserve(fileName.size());
  std::size_t pos = 0;
  while (pos < fileName.size()) {
    char32_t c;
    DecodeUtf8(fileName, pos, c);
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) continue;
    out += c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && c != '%' ? static_cast<char>(c) : '_';
  }
  return out;
}

std::string ContentDispositionValue(std::string_view fileName, bool attachment) {
  const std::string name = DownloadFileName(fileName);
  return std::string(attachment ? "attachment" : "inline") + "; filename=\"" + AsciiFileName(name) +
         "\"; filename*=UTF-8''" + TURL::Encode(name, kNonAttrChars);
}

std::string AndroidContentDispositionValue(std::string_view fileName) {
  std::string name = DownloadFileName(fileName);
  const std::string extension = TFilePath::GetExtension(name);
  if (!extension.empty()) name = name.substr(0, name.size() - extension.size()) + UpperCase(extension);
  return "attachment; filename=\"" + AsciiFileName(name) + "\"";
}

std::string DownloadContentType(std::string_view contentType) {
  std::string type = Trim(contentType);
  if (type.empty()) type = "application/unknown";
  if (!ContainsText(type, "charset")) type += "; charset=UTF-8";
  return type;
}

}  // namespace kx
