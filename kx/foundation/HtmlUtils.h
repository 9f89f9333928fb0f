// HTML-side helpers: attribute-safe text, URL form encoding, the guard that
// rejects script-bearing run parameters, doctype checks, the small redirect
// page and statement, and the merge of a page into an outer (master) template.
//
// Texts are UTF-8; positions are 1-based byte positions. Input that is not
// valid UTF-8 is read with U+FFFD in place of each invalid sequence, so these
// helpers always return valid UTF-8.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "kx/platform/Streams.h"
#include "kx/platform/StringLists.h"

namespace kx {

// Whether a run parameter looks harmless. Works on the ASCII-lower-cased text:
//  1. any of "<script", "<embed", "<applet", "<frameset", "<form", "<iframe",
//     "<meta", "<layer", "<object", "<img", "<link", "<div" makes it invalid;
//     position receives the first occurrence of the first of them (in that
//     order) that occurs;
//  2. else each word, in this order, with the character that must follow it:
//     "javascript" ":", "href" "=", "src" "=", "eval" "(", "expression" "(",
//     "vbscript" ":", "url" "=", "url" "(". Every occurrence of the word is
//     examined; when the first character after it that is not white space
//     (code 0..32) is the given one, the text is invalid at the word's position.
//  3. otherwise valid, position 0.
// A blacklist: it stops the common forms, not every script. Whoever writes a
// parameter into a page must still escape it for its context.
bool ParamIsValid(std::string_view text, int& position);

// The text for an HTML attribute value (or element content): ",", "-", ".",
// "_", "0"-"9", "A"-"Z" and "a"-"z" are copied; every other character becomes
// "&#N;" with its decimal code point, a character above U+FFFF being one
// reference ("&#128512;").
std::string TextToHTMLStringLiteral(std::string_view text);
// The same, but LF becomes "<br>" and CR is dropped.
std::string TextToHTMLStringLiteralEx(std::string_view text);

// The text without CR and LF.
std::string RemoveCRLF(std::string_view text);
// The trimmed lines joined with "<br/>". The lines are markup: nothing is escaped.
std::string StringsToHTML(const TStrings& list);

// Form encoding of the text's UTF-8 bytes: ASCII letters and digits and
// ! $ ' ( ) * - . @ _ stay; a blank becomes "+"; every other byte becomes "%"
// and two lower-case hexadecimal digits ("é" is "%c3%a9").
std::string KXHttpEncode(std::string_view text);
// The inverse: "+" becomes a blank, "%%" a "%", "%" and two hexadecimal digits
// (either case) that byte. A "%" followed by fewer than two characters, or by
// two that are not hexadecimal digits, raises Exception "Error decoding URL
// style (%XX) encoded string at position N" where N is the 1-based position
// of that "%". Decoded bytes that do not form valid UTF-8 become U+FFFD, as
// browsers decode form data: the result is always valid UTF-8.
std::string KXHttpDecode(std::string_view text);

// The content between the first opening tag "<tag" (followed by ">", "/" or
// white space, so "b" does not match "<body") up to its ">", and the first
// "</tag>" after it; tag names match ignoring ASCII case. Empty when either is
// missing.
std::string KXExtractTagContent(std::string_view text, std::string_view tag);
// The 1-based position of the last occurrence of sub in text; 0 when none or sub is empty.
std::size_t LastPos(std::string_view sub, std::string_view text);

// The empty text passes; else the text must start with "<!DOCTYPE" (ignoring
// case) and end with ">", or Exception is raised with
// "Invalid value for DocType property: DocType must start with \"<!DOCTYPE\"" or
// "Invalid value for DocType property: DocType must end with \">\"".
void ValidateDocType(std::string_view docType);
// True for the empty doctype and for "<!DOCTYPE HTML>" in any case.
bool IsHtml5(std::string_view docType);

// The text for the inside of a script string literal (double- or single-quoted)
// that means the same inside a <script> element and inside an HTML attribute:
// backslash as "\\", '"' '&' '\'' '<' '>' as "\x22" "\x26" "\x27" "\x3C" "\x3E",
// CR and LF as "\r" "\n" (CR dropped with dropCR), other control characters as
// "\xHH", U+2028 and U+2029 as "\u2028" "\u2029". Invalid UTF-8 becomes U+FFFD.
std::string ScriptStringText(std::string_view text, bool dropCR = false);

// A complete page that sends the browser to url:
//   "<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n<script>" + JsRedirect(url, replace)
//   + "</script>\r\n</head></html>"
std::string HtmlRedirect(std::string_view url, bool replace);
// "window.location.replace(\"URL\");" with replace, "window.location.href = \"URL\";"
// without. The URL is escaped as a script string literal that stays right both
// in a script and in an HTML attribute: backslash as "\\", '"' '&' '\'' '<' as
// "\x22" "\x26" "\x27" "\x3C", CR and LF as "\r" "\n", other control
// characters as "\xHH", U+2028 and U+2029 as "\u2028" "\u2029".
std::string JsRedirect(std::string_view url, bool replace);

// Places the head content and body content of page into outerTemplate and
// replaces page with a new UTF-8 memory stream of the result, positioned at 0.
// Both streams are read whole (UTF-8 unless a byte-order mark says otherwise);
// the template's position is kept. Tag names are found ignoring ASCII case:
//  - head content: after the ">" that ends the first "<HEAD" up to the next
//    "</HEAD"; body content likewise for "<BODY" and "</BODY". Each is empty
//    when its opening tag is missing. An opening tag without its closing one
//    raises EKXException "Can't find </HEAD> tag in the template" or
//    "Can't find </BODY> tag in the template".
//  - the head content goes right before the template's "</HEAD". A template
//    without one gets "<head>\r\n<meta charset=\"utf-8\">" + head content +
//    "</HEAD>" right after the ">" of its "<HTML", or at its very start when
//    it has no "<HTML".
//  - the first "$body" (exactly so) after that point becomes the body content.
// On failure page is left as it was. A null page reads as the empty page.
void MergeTemplates(std::unique_ptr<TStream>& page, TStream& outerTemplate);

}  // namespace kx
