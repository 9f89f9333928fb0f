// What a session's output operations build: the script that opens a new
// browser window, the headers of a download (Content-Disposition with a file
// name that can neither break the header nor its quotes), the page of a
// terminated session; and the full form of TKXApplication::NewWindow. The
// operations themselves are TKXApplication members (appserver/ApplicationOutput.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "kx/foundation/StyleTypes.h"

namespace kx {

class TKXApplication;

// The feature text of window.open: unless woDefault is set, "directories=",
// "status=", "menubar=", "scrollbars=", "resizable=", "copyhistory=",
// "fullscreen=" with "yes" or "no" for woButtons ... woFullScreen; then
// "height=", "width=", "top=", "left=" for each value that is not -1; joined by ",".
std::string NewWindowFeatures(int height, int width, TKXWindowOptions options, int top, int left);
// "var xWin = window.open(\"URL\",\"NAME\"[,\"FEATURES\"]);if (xWin && xWin.focus) {xWin.focus()};"
// and, with woDetectBlock, the popup-blocked check. URL and window name are
// escaped as script string literals, so neither can leave its string.
std::string NewWindowScript(const std::string& url, const std::string& windowName, int height, int width,
                            TKXWindowOptions options, int top, int left);

// Opens url in a new browser window: in a full request through the active
// form's new-window code (nothing happens without an HTML form), in a callback
// through the callback response.
void NewWindow(TKXApplication& session, const std::string& url, const std::string& windowName, int height,
               int width, TKXWindowOptions options, int top, int left);

// The page that replaces a terminated session's form: message is markup from
// the application and is not escaped; empty gives "This session has been terminated".
std::string TerminatedPage(const std::string& message);

// A download's file name as it may appear in a header: control characters
// (C0, DEL, C1) removed, invalid UTF-8 read as U+FFFD.
std::string DownloadFileName(std::string_view fileName);
// The plain (ASCII) form for filename="...": printable ASCII stays, except '"',
// '\' and '%', which become "_", as does every character outside ASCII.
std::string AsciiFileName(std::string_view fileName);
// The value of Content-Disposition for fileName:
//   ("attachment" | "inline") + "; filename=\"" + ASCII form + "\"; filename*=UTF-8''" + the
//   name's UTF-8 bytes with every byte outside the RFC 5987 attr-char set percent-encoded.
std::string ContentDispositionValue(std::string_view fileName, bool attachment);
// The Android form: "attachment; filename=\"" + ASCII form + "\"" with the
// extension upper-cased ("report.pdf" is offered as "report.PDF").
std::string AndroidContentDispositionValue(std::string_view fileName);
// contentType trimmed, "application/unknown" when empty, with "; charset=UTF-8"
// appended unless it names a charset.
std::string DownloadContentType(std::string_view contentType);

}  // namespace kx
