// A page (HTML) or callback answer (XML) parsed with libxml2 and read with XPath: what tests compare instead of
// whole strings.
#pragma once

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>

#include <string>
#include <vector>

namespace kx::test {

// A parsed page (html) or callback answer (XML); parse errors are collected.
class TParsedDocument {
 public:
  TParsedDocument(const std::string& text, bool html) {
    xmlSetStructuredErrorFunc(&mErrors, [](void* errors, xmlErrorPtr error) {
      static_cast<std::vector<std::string>*>(errors)->push_back(error->message ? error->message : "?");
    });
    mDoc = html ? htmlReadMemory(text.data(), int(text.size()), "page.html", "UTF-8", HTML_PARSE_NONET)
                : xmlReadMemory(text.data(), int(text.size()), "answer.xml", "UTF-8", XML_PARSE_NONET);
    xmlSetStructuredErrorFunc(nullptr, nullptr);
  }
  ~TParsedDocument() { xmlFreeDoc(mDoc); }
  TParsedDocument(const TParsedDocument&) = delete;
  TParsedDocument& operator=(const TParsedDocument&) = delete;

  bool Parsed() const { return mDoc != nullptr; }
  const std::vector<std::string>& Errors() const { return mErrors; }
  // The string value of an XPath expression.
  std::string Value(const std::string& path) const {
    if (mDoc == nullptr) return "<no document>";
    xmlXPathContextPtr context = xmlXPathNewContext(mDoc);
    xmlXPathObjectPtr result = xmlXPathEvalExpression(BAD_CAST("string(" + path + ")").c_str(), context);
    std::string value = result && result->stringval ? reinterpret_cast<const char*>(result->stringval) : "";
    xmlXPathFreeObject(result);
    xmlXPathFreeContext(context);
    return value;
  }
  int Count(const std::string& path) const { return std::stoi(Value("count(" + path + ")")); }

 private:
  xmlDocPtr mDoc = nullptr;
  std::vector<std::string> mErrors;
};

}  // namespace kx::test
