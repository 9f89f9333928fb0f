#include "kx/forms/TemplateProcessor.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

#include "kx/appserver/Application.h"
#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/ServerController.h"
#include "kx/forms/Containers.h"
#include "kx/foundation/AppInfo.h"
#include "kx/foundation/FileUtils.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/foundation/HttpRequest.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/foundation/Paths.h"
#include "kx/platform/Streams.h"
#include "kx/platform/SysUtils.h"
#include "kx/platform/Utf8.h"

namespace kx {

namespace {

constexpr const char* CRLF = "\r\n";
constexpr const char* kFormOpening = "<FORM onSubmit=\"return FormDefaultSubmit();\" style=\"display:inline;\">";

bool IsNameChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_';
}
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// The application's folder with a trailing "/", as the controller sees it.
std::string ApplicationFolder() {
  return gGetAppPath ? IncludeTrailingPathDelim(gGetAppPath()) : gsAppPath();
}

bool IsRegularFile(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_regular_file(path, error);
}

// The whole file; raises EFOpenError when it cannot be read.
std::unique_ptr<TStream> OpenFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw EFOpenError("Cannot open file \"" + path + "\".");
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  auto stream = std::make_unique<TMemoryStream>();
  if (!bytes.empty()) stream->WriteBuffer(bytes.data(), std::int64_t(bytes.size()));
  stream->SetPosition(0);
  return stream;
}

// The whole stream from its start as UTF-8 text: a byte-order mark dropped, invalid bytes as U+FFFD.
std::string StreamText(TStream& stream) {
  std::string bytes(std::size_t(std::max<std::int64_t>(stream.Size(), 0)), '\0');
  stream.SetPosition(0);
  if (!bytes.empty()) stream.ReadBuffer(bytes.data(), std::int64_t(bytes.size()));
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
  return SanitizeUtf8(bytes);
}

// Replaces every occurrence of pattern, ignoring ASCII case.
std::string ReplaceAllText(const std::string& text, const std::string& pattern, const std::string& replacement) {
  if (pattern.empty()) return text;
  const std::string upperText = UpperCase(text);
  const std::string upperPattern = UpperCase(pattern);
  std::string result;
  std::size_t from = 0;
  for (std::size_t at; (at = upperText.find(upperPattern, from)) != std::string::npos; from = at + pattern.size())
    result.append(text, from, at - from).append(replacement);
  return result.append(text, from);
}

// The attributes of a tag's text: name=value items taken apart at blanks; a
// value in double or single quotes runs to its closing quote. Items without a
// name are skipped; an item without "=" has an empty value.
std::vector<std::pair<std::string, std::string>> ParseAttributes(const std::string& text) {
  std::vector<std::pair<std::string, std::string>> result;
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    while (i < n && IsBlank(text[i])) ++i;
    const std::size_t nameStart = i;
    while (i < n && !IsBlank(text[i]) && text[i] != '=') ++i;
    std::string name = Trim(text.substr(nameStart, i - nameStart));
    while (i < n && IsBlank(text[i])) ++i;
    std::string value;
    if (i < n && text[i] == '=') {
      ++i;
      while (i < n && IsBlank(text[i])) ++i;
      if (i < n && (text[i] == '"' || text[i] == '\'')) {
        const char quote = text[i++];
        const std::size_t end = text.find(quote, i);
        value = text.substr(i, end == std::string::npos ? std::string::npos : end - i);
        i = end == std::string::npos ? n : end + 1;
      } else {
        const std::size_t valueStart = i;
        while (i < n && !IsBlank(text[i])) ++i;
        value = text.substr(valueStart, i - valueStart);
      }
    }
    if (!name.empty()) result.emplace_back(std::move(name), std::move(value));
    if (i == nameStart) ++i;
  }
  return result;
}

// Reads through a template text: the position, its line for messages, and the
// reading steps the processor and the converters share.
class TTemplateReader {
 public:
  explicit TTemplateReader(const std::string& text) : mText(text) {}

  bool AtEnd() const { return mPos >= mText.size(); }
  char Peek(std::size_t ahead = 0) const { return mPos + ahead < mText.size() ? mText[mPos + ahead] : '\0'; }
  bool LooksAt(std::string_view s) const { return mText.compare(mPos, s.size(), s) == 0; }
  void Skip(std::size_t count) { mPos = std::min(mText.size(), mPos + count); }
  std::size_t Position() const { return mPos; }

  // The run of text up to the next character that may begin a tag ("<" or "{").
  std::string_view TakeText() {
    const std::size_t start = mPos;
    while (mPos < mText.size() && mText[mPos] != '<' && mText[mPos] != '{') ++mPos;
    return std::string_view(mText).substr(start, mPos - start);
  }

  // A control tag's name after its opening: names joined by "." (Region1.Edit1),
  // blanks around it allowed, then the closing "%}" (Kestrix) or ">". Raises
  // EKXException with the line of the tag when it is malformed or not closed.
  std::string ReadControlName(bool kestrix) {
    const std::size_t start = mPos;
    SkipBlanks();
    std::string name = ReadName();
    while (!name.empty() && Peek() == '.' && IsNameChar(Peek(1))) {
      Skip(1);
      name += "." + ReadName();
    }
    SkipBlanks();
    const std::string closing = kestrix ? "%}" : ">";
    if (name.empty() || !LooksAt(closing)) {
      const std::string excerpt = (kestrix ? "{%" : "<#") + mText.substr(start, std::min<std::size_t>(mPos - start, 40));
      throw EKXException(Format("Template error in line %d: the control tag \"%s\" is not closed with \"%s\".",
                                LineOf(start), Trim(excerpt).c_str(), closing.c_str()));
    }
    Skip(closing.size());
    return name;
  }

  // After "<": the tag's name (up to a blank or ">") and the text of its
  // attributes up to the ">" that ends the tag (quoted values may hold ">"),
  // which is consumed. A tag that is never closed takes the rest of the text.
  void ReadHtmlTag(std::string& name, std::string& attributes) {
    const std::size_t nameStart = mPos;
    while (mPos < mText.size() && !IsBlank(mText[mPos]) && mText[mPos] != '>') ++mPos;
    name = mText.substr(nameStart, mPos - nameStart);
    while (mPos < mText.size() && IsBlank(mText[mPos])) ++mPos;
    const std::size_t attrStart = mPos;
    char quote = 0;
    while (mPos < mText.size()) {
      const char c = mText[mPos];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        // A quote opens a value only right after "="; "don't" in text stays text.
        std::size_t back = mPos;
        while (back > attrStart && IsBlank(mText[back - 1])) --back;
        if (back > attrStart && mText[back - 1] == '=') quote = c;
      } else if (c == '>') {
        break;
      }
      ++mPos;
    }
    attributes = mText.substr(attrStart, mPos - attrStart);
    if (mPos < mText.size()) ++mPos;
  }

  // The text up to (not including) the first occurrence of close, ignoring
  // case; the rest when there is none. The position moves to close.
  std::string_view TakeUntilText(const std::string& close) {
    const std::size_t start = mPos;
    const std::string upper = UpperCase(close);
    std::size_t at = start;
    for (; at < mText.size(); ++at) {
      if (at + upper.size() <= mText.size() && UpperCase(mText.substr(at, upper.size())) == upper) break;
    }
    mPos = std::min(at, mText.size());
    return std::string_view(mText).substr(start, mPos - start);
  }

 private:
  void SkipBlanks() {
    while (mPos < mText.size() && IsBlank(mText[mPos])) ++mPos;
  }
  std::string ReadName() {
    const std::size_t start = mPos;
    while (mPos < mText.size() && IsNameChar(mText[mPos])) ++mPos;
    return mText.substr(start, mPos - start);
  }
  int LineOf(std::size_t position) const {
    return 1 + int(std::count(mText.begin(), mText.begin() + std::ptrdiff_t(position), '\n'));
  }

  const std::string& mText;
  std::size_t mPos = 0;
};

}  // namespace

// ---------------------------------------------------------------------------
// TKXTemplateFiles

void TKXTemplateFiles::AssignTo(TPersistent* dest) const {
  if (auto* files = Supports<TKXTemplateFiles>(dest)) {
    files->FDefault = FDefault;
    return;
  }
  TPersistent::AssignTo(dest);
}

// ---------------------------------------------------------------------------
// Language of a template

std::string TemplateLanguage(const std::string& acceptLanguage) {
  std::string language = acceptLanguage.substr(0, acceptLanguage.find(','));
  language = language.substr(0, language.find(';'));
  language = language.substr(0, language.find('-'));
  // Only blanks around the tag are forgiven; a NUL or other control character makes it no tag.
  const std::size_t first = language.find_first_not_of(" \t");
  const std::size_t last = language.find_last_not_of(" \t");
  language = first == std::string::npos ? std::string() : language.substr(first, last - first + 1);
  if (language.size() < 2 || language.size() > 8) return std::string();
  for (char c : language) {
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return std::string();
  }
  return LowerCase(language);
}

std::string LanguageTemplatePath(const std::string& path, const std::string& language) {
  if (language.empty()) return std::string();
  const std::size_t slash = path.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = path.find('.', nameStart);
  if (dot == std::string::npos || dot == nameStart) return std::string();
  return path.substr(0, dot) + "." + language + path.substr(dot);
}

// ---------------------------------------------------------------------------
// TKXTemplateProcessorHTML: the scan of one template

// One ProcessStream: the placed controls, whether the head was written, and
// the two passes over the text.
class TKXTemplateProcessorHTML::TScan {
 public:
  TScan(TKXTemplateProcessorHTML& owner, TKXContainerContext* containerContext, TKXPageContext40* pageContext)
      : mOwner(owner), mContext(containerContext), mPage(pageContext) {
    IKXBaseContainer* container = owner.GetCurrentContainer();
    TComponent* instance = container ? container->InterfaceInstance() : nullptr;
    mIsForm = Supports<IKXHTML40Form>(instance) != nullptr && mPage != nullptr;
    mIsRegion = Supports<IKXRegion>(instance) != nullptr;
    TKXApplication* application = mPage ? mPage->WebApplication() : nullptr;
    const bool terminated = application != nullptr && application->Terminated();
    mWriteForm = !terminated && owner.MasterFormTag() && !owner.GetNoFormTag();
  }

  void Run(TKXRenderStream& stream, const std::string& text) {
    {
      TKXRenderStream scratch(true, true);
      Pass(scratch, text, true);
    }
    Pass(stream, text, false);
  }

 private:
  void Pass(TKXRenderStream& out, const std::string& text, bool collect) {
    const bool kestrix = mOwner.TagType() == ttKestrix;
    TTemplateReader reader(text);
    while (!reader.AtEnd()) {
      const std::string_view run = reader.TakeText();
      if (!collect) out.Write(run);
      if (reader.AtEnd()) break;
      if (reader.LooksAt("{%")) {
        reader.Skip(2);
        if (kestrix) {
          ControlTag(out, reader.ReadControlName(true), collect);
        } else if (!collect) {
          out.Write("{%");
        }
      } else if (reader.LooksAt("<#")) {
        reader.Skip(2);
        if (!kestrix) {
          ControlTag(out, reader.ReadControlName(false), collect);
        } else if (!collect) {
          out.Write("<#");
        }
      } else if (reader.LooksAt("<!--")) {
        // Comments are copied as they are.
        reader.Skip(4);
        const std::string_view body = reader.TakeUntilText("-->");
        reader.Skip(3);
        if (!collect) out.Write("<!--" + std::string(body) + "-->");
      } else if (reader.Peek() == '<') {
        reader.Skip(1);
        std::string name, attributes;
        reader.ReadHtmlTag(name, attributes);
        HtmlTag(out, reader, name, RewriteLinks(attributes), collect);
      } else {
        reader.Skip(1);
        if (!collect) out.Write("{");
      }
    }
  }

  std::string RewriteLinks(const std::string& attributes) const {
    std::string result = ReplaceAllText(attributes, "../files/", mOwner.mURLBase + "files/");
    if (mOwner.mContentPath.size() > std::string("../").size())
      result = ReplaceAllText(result, mOwner.mContentPath, mOwner.mURLBase);
    return result;
  }

  void ControlTag(TKXRenderStream& out, const std::string& name, bool collect) {
    if (mContext == nullptr || !mContext->IsValidComponent(name)) {
      if (!collect) out.Write(mOwner.DoUnknownTag(name));
      return;
    }
    TComponent* instance = mContext->GetControlInstance(name);
    IKXBaseHTMLComponent* component = Supports<IKXBaseHTMLComponent>(instance);
    if (component == nullptr) return;
    mPlaced.insert(UpperCase(component->HTMLName()));
    RemoveClassRule(component->HTMLName());
    if (collect) return;
    auto* context = Supports<TKXCompContext>(mContext->GetComponentContext(name));
    if (context == nullptr) return;
    // A control of a nested container is laid out here in the template's flow.
    if (context->ContainerContext() != nullptr && context->ContainerContext() != mContext)
      mOwner.ProcessControl(context->ContainerContext(), mPage, component);
    if (TKXMarkupLanguageTag* tag = context->MLTag()) WriteTag(component, tag, out);
  }

  // The rule ".NAMECSS {…}" a form layout put in the page's style tag is not
  // wanted for a control placed by the template.
  void RemoveClassRule(const std::string& htmlName) {
    if (mPage == nullptr) return;
    const std::string prefix = "." + htmlName + "CSS";
    TKXHTMLTagCollection* contents = mPage->StyleTag()->Contents();
    for (int i = 0; i < contents->Count(); ++i) {
      auto* text = Supports<TKXTextElement>(contents->GetHTMLElement(i));
      if (text != nullptr && text->Text().starts_with(prefix)) {
        text->SetText(std::string());
        return;
      }
    }
  }

  void HtmlTag(TKXRenderStream& out, TTemplateReader& reader, const std::string& name, const std::string& attributes,
               bool collect) {
    const std::string upper = UpperCase(name);
    if (collect) {
      // A form's BODY attributes are merged before the head is written, so the
      // template's OnLoad code is part of the page's Initialize function.
      if (upper == "BODY" && mIsForm && !mBodyMerged) {
        MergeBodyAttributes(attributes);
        mBodyMerged = true;
      }
      if (upper == "SCRIPT" || upper == "STYLE") reader.TakeUntilText("</" + name);
      return;
    }
    if (upper == "HEAD") {
      if (mIsForm) WriteHead(out);
    } else if (upper == "TITLE") {
      if (!mIsForm) return;
      if (mPage->Title().empty()) {
        out.Write("<TITLE>");
      } else {
        reader.TakeUntilText("</TITLE>");
        reader.Skip(std::string("</TITLE>").size());
        out.WriteLine("<TITLE>" + mPage->Title() + "</TITLE>");
      }
    } else if (upper == "BODY") {
      if (mIsForm) {
        if (!mHeadWritten) {
          WriteHead(out);
          out.Write("</HEAD>");
        }
        TKXElementPtr<TKXHTMLTag> opening = TKXHTMLTag::Create("BODY", cbFalse);
        opening->SetParams(*mPage->BodyTag()->Params());
        opening->Render(out);
        if (mWriteForm) out.Write(kFormOpening);
      } else if (mIsRegion && mWriteForm) {
        out.Write(kFormOpening);
      }
    } else if (upper == "/BODY") {
      if (mIsForm) {
        if (mWriteForm) out.WriteLine("</FORM>");
        if (mOwner.RemoveHiddenInputs()) RemoveUnplacedHiddenInputs();
        WriteBodyContents(out);
        out.Write("</BODY>");
      } else if (mIsRegion && mWriteForm) {
        out.WriteLine("</FORM>");
      }
    } else {
      out.Write("<" + Trim(name + " " + attributes) + ">");
      // Script and style contents are copied as they are ("a<b" is no tag).
      if (upper == "SCRIPT" || upper == "STYLE") out.Write(reader.TakeUntilText("</" + name));
    }
  }

  void WriteHead(TKXRenderStream& out) {
    if (mHeadWritten) return;
    mHeadWritten = true;
    out.Write(std::string("<head>") + CRLF + "<meta charset=\"utf-8\">" + CRLF + mOwner.PreHeadContent() + CRLF +
              mOwner.ScriptSection(mPage) + CRLF + mOwner.HeadContent());
    // The style tag starts with a line break; it is written once a rule was added.
    if (mPage->StyleTag()->Contents()->Count() > 1) mPage->StyleTag()->Render(out);
  }

  void MergeBodyAttributes(const std::string& attributes) {
    TKXHTMLTag* body = mPage->BodyTag();
    for (const auto& [name, value] : ParseAttributes(attributes)) {
      if (SameText(name, "style")) {
        body->ClearParam("style");
        body->AddStringParam(name, value);
      } else if (SameText(name, "BGCOLOR")) {
        if (body->Params()->IndexOfName("bgcolor") < 0) body->AddStringParam(name, value);
      } else if (SameText(name, "OnLoad")) {
        if (!value.empty()) mPage->AddToInitProc(value + ";");
      } else if (SameText(name, "OnBlur")) {
        body->AddStringParam("OnBlur", body->Params()->Values("onblur") + value + ";");
      } else {
        body->AddStringParam(name, value, true);
      }
    }
  }

  // The hidden field of every input control the template did not place.
  void RemoveUnplacedHiddenInputs() {
    if (mContext == nullptr) return;
    std::set<std::string> unplaced;
    for (int i = 0; i < mContext->GetControlsCount(); ++i) {
      TComponent* instance = mContext->GetControlInstanceFromIndex(i);
      IKXBaseComponent* base = Supports<IKXBaseComponent>(instance);
      IKXBaseHTMLComponent* html = Supports<IKXBaseHTMLComponent>(instance);
      if (base == nullptr || html == nullptr || Supports<IKXInputControl>(instance) == nullptr) continue;
      const std::string htmlName = UpperCase(html->HTMLName());
      if (!mPlaced.contains(htmlName)) unplaced.insert(htmlName);
    }
    TKXHTMLTagCollection* fields = mPage->FormTag()->Contents();
    for (int i = 0; i < fields->Count(); ++i) {
      auto* field = Supports<TKXHTMLTag>(fields->GetHTMLElement(i));
      if (field == nullptr || !SameText(field->Tag(), "input")) continue;
      if (!SameText(field->Params()->Values("type"), "hidden")) continue;
      if (!unplaced.contains(UpperCase(field->Params()->Values("name")))) continue;
      // The element stays in its structure but renders nothing.
      field->Params()->Clear();
      field->SetTag(std::string());
    }
  }

  // The page's FORM of hidden fields and the BODY's contents (its scripts).
  void WriteBodyContents(TKXRenderStream& out) {
    TKXApplication* application = mPage->WebApplication();
    if (application == nullptr || !application->Terminated()) mPage->FormTag()->Render(out);
    TKXHTMLTag* body = mPage->BodyTag();
    const TKXCloseTag closing = body->ClosingTag();
    const std::string tag = body->Tag();
    // A tag without a name renders only its contents.
    body->SetTag(std::string());
    try {
      body->Render(out);
    } catch (...) {
      body->SetTag(tag);
      body->SetClosingTag(closing);
      throw;
    }
    body->SetTag(tag);
    body->SetClosingTag(closing);
  }

  TKXTemplateProcessorHTML& mOwner;
  TKXContainerContext* mContext;
  TKXPageContext40* mPage;
  bool mIsForm = false;
  bool mIsRegion = false;
  bool mWriteForm = false;
  bool mHeadWritten = false;
  bool mBodyMerged = false;
  std::set<std::string> mPlaced;  // HTML names, upper case
};

// ---------------------------------------------------------------------------
// TKXTemplateProcessorHTML

TKXTemplateProcessorHTML::~TKXTemplateProcessorHTML() = default;

void TKXTemplateProcessorHTML::InitControl() {
  TKXContainerLayout::InitControl();
  FMasterFormTag = true;
  FTemplates = std::make_unique<TKXTemplateFiles>();
  SetAllowFrames(false);
  SetLayoutType(ltFlow);
  FRenderStyles = true;
  FRemoveHiddenInputs = false;
}

bool TKXTemplateProcessorHTML::Able() {
  if (!Enabled()) return false;
  return IsRegularFile(TemplatePathname()) || bool(OnBeforeProcess);
}

std::string TKXTemplateProcessorHTML::TemplatePathname() {
  const std::string templateDir = gSC != nullptr ? gSC->TemplateDir() : std::string();
  if (FTemplates->Default().empty()) {
    std::string name;
    if (IKXBaseContainer* container = GetCurrentContainer()) {
      name = container->InterfaceInstance()->ClassName();
      name.erase(std::remove(name.begin(), name.end(), '.'), name.end());
      if (!name.empty() && (name[0] == 'T' || name[0] == 't')) name.erase(0, 1);
      name += ".html";
    }
    if (gSC != nullptr && !name.empty() && IsRegularFile(templateDir + name)) FTemplates->SetDefault(name);
  }
  return templateDir + FTemplates->Default();
}

void TKXTemplateProcessorHTML::Process(TKXRenderStream& stream, TKXContainerContext* containerContext,
                                       TKXPageContext40* pageContext) {
  std::string path = TemplatePathname();
  TKXApplication* application = pageContext != nullptr ? pageContext->WebApplication() : nullptr;
  if (application == nullptr) application = GetWebApplication();
  // The language comes from the client: only a plain language tag is used, so
  // it never becomes a path of its own.
  if (application != nullptr && application->Request() != nullptr) {
    const std::string candidate = LanguageTemplatePath(path, TemplateLanguage(application->Request()->AcceptLanguage()));
    if (IsRegularFile(candidate)) path = candidate;
  }

  std::unique_ptr<TStream> templateStream;
  if (IsRegularFile(path)) templateStream = OpenFile(path);
  if (OnBeforeProcess) OnBeforeProcess(templateStream);
  if (!templateStream) {
    const std::string name = FTemplates->Default().empty() ? ClassName() : FTemplates->Default();
    throw EKXException("The template \"" + name + "\" was not found.");
  }

  IKXBaseContainer* container = GetCurrentContainer();
  if (container != nullptr && Supports<IKXHTML40Form>(container->InterfaceInstance()) != nullptr) {
    std::string master = FMasterTemplate;
    if (master.empty() && application != nullptr) master = application->GetActiveMasterTemplate();
    const std::string masterPath = (gSC != nullptr ? gSC->TemplateDir() : std::string()) + master;
    if (!master.empty() && IsRegularFile(masterPath)) {
      std::unique_ptr<TStream> outer = OpenFile(masterPath);
      MergeTemplates(templateStream, *outer);
    }
  }

  ProcessStream(stream, StreamText(*templateStream), containerContext, pageContext);
  templateStream.reset();

  if (OnAfterProcess) {
    // The handler works on a copy of the page, so replacing the stream it is
    // given can never free the reply's own stream; what it hands back is the page.
    std::unique_ptr<TStream> page = std::make_unique<TMemoryStream>();
    const std::string rendered = stream.GetAsString();
    if (!rendered.empty()) page->WriteBuffer(rendered.data(), std::int64_t(rendered.size()));
    page->SetPosition(0);
    OnAfterProcess(page);
    if (page) {
      const std::string content = StreamText(*page);
      stream.Stream()->SetSize(0);
      stream.Stream()->SetPosition(0);
      stream.Write(content);
    }
  }
}

void TKXTemplateProcessorHTML::ProcessInit(TKXPageContext40* pageContext) {
  if (mContentPath.empty() && gSC != nullptr && !gSC->ContentPath().empty()) {
    std::string path = ReplaceAllText(gSC->ContentPath(), ApplicationFolder(), std::string());
    std::replace(path.begin(), path.end(), '\\', '/');
    mContentPath = "../" + path;
  }
  if (mURLBase.empty() && pageContext != nullptr) {
    std::string base = pageContext->URLBase();
    if (!base.ends_with("/")) base += "/";
    mURLBase = TURL::RemoveExec(base, true);
  }
}

void TKXTemplateProcessorHTML::ProcessStream(TKXRenderStream& stream, const std::string& templateText,
                                             TKXContainerContext* containerContext, TKXPageContext40* pageContext) {
  ProcessInit(pageContext);
  TScan(*this, containerContext, pageContext).Run(stream, templateText);
}

void TKXTemplateProcessorHTML::ProcessControl(TKXContainerContext* containerContext, TKXPageContext40* pageContext,
                                              IKXBaseHTMLComponent* component) {
  if (component == nullptr) return;
  TComponent* instance = component->InterfaceInstance();
  IKXHTML40Component* html = Supports<IKXHTML40Component>(instance);
  TKXCompContext* context = ComponentContextOf(containerContext, instance);
  TKXMarkupLanguageTag* tag = context ? context->MLTag() : nullptr;
  if (html != nullptr && tag != nullptr) {
    tag->AddStringParam("CLASS", html->RenderCSSClass(context));
    const std::string style = Trim(tag->Params()->Values("style"));
    tag->ClearParam("style");
    if (FRenderStyles) {
      // Positions and sizes are the template's; names compare in lower case,
      // values keep their case (file names in url() are case-sensitive here).
      std::string kept;
      std::size_t from = 0;
      while (from <= style.size()) {
        std::size_t end = style.find(';', from);
        if (end == std::string::npos) end = style.size();
        const std::string item = Trim(style.substr(from, end - from));
        from = end + 1;
        if (item.empty()) continue;
        const std::size_t colon = item.find(':');
        const std::string name = LowerCase(Trim(item.substr(0, colon)));
        if (RemoveStyleProperty(name)) continue;
        kept += item + ";";
      }
      tag->AddStringParam("STYLE", kept + html->RenderStyle(context));
    }
  }
  TKXContainerLayout::ProcessControl(containerContext, pageContext, component);
}

void TKXTemplateProcessorHTML::RenderStyle(IKXBaseHTMLControl* control, std::string& style) {
  TKXContainerLayout::RenderStyle(control, style);
  if (control != nullptr && Supports<IKXHTML40Container>(control->InterfaceInstance()) != nullptr)
    style += "position: relative;";
}

bool TKXTemplateProcessorHTML::RemoveStyleProperty(const std::string& name) {
  return name == "position" || name == "left" || name == "top" || name == "width" || name == "height" ||
         name == "z-index";
}

std::string TKXTemplateProcessorHTML::DoUnknownTag(const std::string& name) {
  std::string value;
  if (OnUnknownTag) OnUnknownTag(name, value);
  return value;
}

// ---------------------------------------------------------------------------
// TKXLayoutMgrHTML

void TKXLayoutMgrHTML::InitControl() {
  TKXContainerLayout::InitControl();
  SetLayoutType(ltFlow);
}

TKXTemplateProcessorHTML& TKXLayoutMgrHTML::Processor() {
  if (FTemplateProcessor == nullptr) FTemplateProcessor = TComponent::Create<TKXTemplateProcessorHTML>(this);
  FTemplateProcessor->SetContainer(GetCurrentContainer());
  return *FTemplateProcessor;
}

void TKXLayoutMgrHTML::Process(TKXRenderStream& stream, TKXContainerContext* containerContext,
                               TKXPageContext40* pageContext) {
  TKXTemplateProcessorHTML& processor = Processor();
  processor.SetPreHeadContent(PreHeadContent());
  processor.SetHeadContent(HeadContent());
  processor.OnUnknownTag = OnUnknownTag;
  try {
    processor.ProcessStream(stream, FHTML.Text(), containerContext, pageContext);
  } catch (...) {
    processor.SetContainer(nullptr);
    throw;
  }
  processor.SetContainer(nullptr);
}

void TKXLayoutMgrHTML::ProcessControl(TKXContainerContext* containerContext, TKXPageContext40* pageContext,
                                      IKXBaseHTMLComponent* component) {
  Processor().ProcessControl(containerContext, pageContext, component);
}

void TKXLayoutMgrHTML::ProcessControls(TKXContainerContext* containerContext, TKXPageContext40* pageContext) {
  Processor().ProcessControls(containerContext, pageContext);
}

void TKXLayoutMgrHTML::RenderStyle(IKXBaseHTMLControl* control, std::string& style) {
  Processor().RenderStyle(control, style);
}

// ---------------------------------------------------------------------------
// Conversion for editing

std::string ConvertFromTemplate(const std::string& templateText, TStringList& controls) {
  controls.SetSorted(true);
  std::string result;
  TTemplateReader reader(templateText);
  while (!reader.AtEnd()) {
    result += reader.TakeText();
    if (reader.AtEnd()) break;
    if (!reader.LooksAt("{%")) {
      result += reader.Peek();
      reader.Skip(1);
      continue;
    }
    reader.Skip(2);
    const std::string name = reader.ReadControlName(true);
    const int index = controls.IndexOf(name);
    if (index < 0) {
      result += "{%" + name + "%}";
      continue;
    }
    std::string image = "<IMG ";
    if (auto* control = Supports<IKXHTML40Control>(controls.Objects(index)); control != nullptr) {
      if (!control->Css().empty()) image += "CLASS=\"" + EscapeAttributeQuotes(control->Css()) + "\" ";
    }
    image += "ID=\"" + name + "\" SRC=\"" + name + ".jpg\">" + CRLF;
    result += image;
    controls.Delete(index);
  }
  return result;
}

std::string ConvertToTemplate(const std::string& html) {
  std::string text = html;
  std::replace(text.begin(), text.end(), '\\', '/');
  std::string result;
  TTemplateReader reader(text);
  while (!reader.AtEnd()) {
    result += reader.TakeText();
    if (reader.AtEnd()) break;
    if (reader.Peek() != '<') {
      result += reader.Peek();
      reader.Skip(1);
      continue;
    }
    reader.Skip(1);
    std::string name, attributes;
    reader.ReadHtmlTag(name, attributes);
    attributes.erase(std::remove_if(attributes.begin(), attributes.end(), [](char c) { return c == '\r' || c == '\n'; }),
                     attributes.end());
    if (SameText(name, "IMG")) {
      std::string id, src;
      for (const auto& [attribute, value] : ParseAttributes(attributes)) {
        if (SameText(attribute, "ID")) id = value;
        if (SameText(attribute, "SRC")) src = value;
      }
      // The picture's name: the SRC's last segment without its extension
      // ("file:///C|/work/Edit1.jpg" and "Edit1.jpg" both name Edit1).
      std::string picture = src.substr(src.rfind('/') == std::string::npos ? 0 : src.rfind('/') + 1);
      picture = picture.substr(0, picture.rfind('.'));
      bool isName = !id.empty();
      for (char c : id) isName = isName && (IsNameChar(c) || c == '.');
      if (isName && !src.empty() && SameText(picture, id)) {
        result += "{%" + id + "%}";
        continue;
      }
    }
    result += "<" + Trim(name + " " + attributes) + ">";
  }
  return result;
}

}  // namespace kx
