#include "kx/foundation/Markup.h"

#include "kx/platform/Utf8.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

// All bytes of a stream, its position kept. GetAsString would repair the bytes as UTF-8.
std::string StreamBytes(TStream& stream) {
  const std::int64_t position = stream.Position();
  stream.SetPosition(0);
  std::string bytes(std::size_t(std::max<std::int64_t>(stream.Size(), 0)), '\0');
  bytes.resize(std::size_t(stream.Read(bytes.data(), std::int64_t(bytes.size()))));
  stream.SetPosition(position);
  return bytes;
}

// Copies all of source into dest; the position of source is kept.
void CopyWholeStream(TStreamHelper& dest, TStream& source) {
  const std::int64_t position = source.Position();
  dest.CopyFrom(&source, 0);
  source.SetPosition(position);
}

template <class T>
void EraseOne(std::vector<T*>& items, const T* item) {
  auto it = std::find(items.begin(), items.end(), item);
  if (it != items.end()) items.erase(it);
}

TKXElementPtr<TKXMarkupLanguageTag> CreateHTMLTag(const std::string& tag, TKXMarkupLanguageElement* parent) {
  return TKXHTMLTag::Create(tag, parent);
}

}  // namespace

void TKXElementFree::operator()(TKXMarkupLanguageElement* element) const { element->Free(); }

const TKXStringList& VoidElements() {
  struct TVoidElementList : TKXStringList {
    TVoidElementList() {
      SetCommaText("area,br,frame,hr,img,input,link");
      SetSorted(true);
    }
  };
  static const TVoidElementList list;
  return list;
}

namespace {

// Whether value holds a character or entity reference ("&amp;", "&#60;",
// "&#x3C;") starting at the "&" at pos.
bool IsReferenceAt(std::string_view value, std::size_t pos) {
  auto isAlpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  auto isHex = [&](char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); };
  std::size_t i = pos + 1;
  std::size_t first = i;
  if (i < value.size() && value[i] == '#') {
    ++i;
    bool hex = i < value.size() && (value[i] == 'x' || value[i] == 'X');
    if (hex) ++i;
    first = i;
    while (i < value.size() && (hex ? isHex(value[i]) : isDigit(value[i]))) ++i;
  } else {
    while (i < value.size() && (isAlpha(value[i]) || (i > first && isDigit(value[i])))) ++i;
  }
  return i > first && i < value.size() && value[i] == ';';
}

}  // namespace

std::string EscapeAttributeQuotes(std::string_view value) {
  std::string result;
  result.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    char c = value[i];
    if (c == '"') {
      result += "&quot;";
    } else if (c == '<') {
      result += "&lt;";
    } else if (c == '&' && !IsReferenceAt(value, i)) {
      result += "&amp;";
    } else {
      result += c;
    }
  }
  return result;
}

std::string XMLCharacters(std::string_view text) {
  auto isXMLChar = [](char32_t c) {
    if (c < 0x20) return c == '\t' || c == '\n' || c == '\r';
    return c != 0xFFFE && c != 0xFFFF;
  };
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    // ASCII stands for itself: only the rest is decoded (most texts are ASCII throughout).
    if (const auto byte = static_cast<unsigned char>(text[pos]); byte < 0x80) {
      if (isXMLChar(byte)) out += char(byte);
      ++pos;
      continue;
    }
    char32_t c;
    DecodeUtf8(text, pos, c);
    if (isXMLChar(c)) AppendUtf8(out, c);
  }
  return out;
}

std::string EscapeXMLText(std::string_view text) {
  const std::string clean = XMLCharacters(text);
  std::string out;
  out.reserve(clean.size());
  for (char c : clean) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string EscapeCDATAContent(std::string_view text) {
  static constexpr std::string_view kEnd = "]]>";
  std::string result;
  result.reserve(text.size());
  std::size_t start = 0;
  for (std::size_t found; (found = text.find(kEnd, start)) != std::string_view::npos; start = found + kEnd.size()) {
    result.append(text.substr(start, found - start));
    result += "]]]]><![CDATA[>";
  }
  result.append(text.substr(start));
  return result;
}

// ---------------------------------------------------------------------------
// TKXTagParamsStringList

int TKXTagParamsStringList::AddObject(const std::string& s, TObject* object) {
  std::size_t nameEnd = s.find('=');
  nameEnd = nameEnd == std::string::npos ? s.size() : nameEnd + 1;
  return TKXStringList::AddObject(LowerCase(s.substr(0, nameEnd)) + s.substr(nameEnd), object);
}

void TKXTagParamsStringList::SetValues(const std::string& name, const std::string& value) {
  TKXStringList::SetValues(LowerCase(name), value);
}

void TKXTagParamsStringList::AppendParams(const TStrings& other) {
  for (int i = 0; i < other.Count(); ++i) {
    const std::string& line = other.Strings(i);
    if (line.find(NameValueSeparator()) != std::string::npos) {
      SetValues(other.Names(i), other.ValueFromIndex(i));
    } else if (!line.empty() && IndexOf(line) < 0) {
      Add(line);
    }
  }
}

// ---------------------------------------------------------------------------
// TKXMarkupLanguageElement

TKXMarkupLanguageElement::TKXMarkupLanguageElement(TKXMarkupLanguageElement* parent) { SetParentElement(parent); }

TKXMarkupLanguageElement::~TKXMarkupLanguageElement() {
  // Normally DestroyElement has done this; here for a construction that failed half-way.
  for (TKXMarkupLanguageElement* child : FLinkedChildren) child->FParentElement = nullptr;
  DetachFromHolders();
  DetachFromParent();
}

void TKXMarkupLanguageElement::SetParentElement(TKXMarkupLanguageElement* parent) {
  if (parent == FParentElement) return;
  DetachFromParent();
  FParentElement = parent;
  if (parent) parent->FLinkedChildren.push_back(this);
}

template <class Proceed>
TKXMarkupLanguageElement* TKXMarkupLanguageElement::Outermost(Proceed proceed) {
  std::vector<TKXMarkupLanguageElement*> seen{this};
  TKXMarkupLanguageElement* element = this;
  while (TKXMarkupLanguageElement* parent = element->FParentElement) {
    if (!proceed(parent) || std::find(seen.begin(), seen.end(), parent) != seen.end()) break;
    seen.push_back(parent);
    element = parent;
  }
  return element;
}

bool TKXMarkupLanguageElement::IsWithin(const TKXMarkupLanguageElement* other) const {
  std::vector<const TKXMarkupLanguageElement*> pending{this};
  std::vector<const TKXMarkupLanguageElement*> seen;
  while (!pending.empty()) {
    const TKXMarkupLanguageElement* element = pending.back();
    pending.pop_back();
    if (element == other) return true;
    if (std::find(seen.begin(), seen.end(), element) != seen.end()) continue;
    seen.push_back(element);
    if (element->FParentElement) pending.push_back(element->FParentElement);
    for (const TKXMarkupLanguageTagCollection* holder : element->FHolders) {
      if (holder->FParentElement) pending.push_back(holder->FParentElement);
    }
  }
  return false;
}

void TKXMarkupLanguageElement::Free() {
  if (FDestroying) return;
  TKXMarkupLanguageElement* root = Outermost([](TKXMarkupLanguageElement* p) { return !p->FDestroying; });
  if (root != this) {
    // Marked first, so that tearing down the root leaves this element to us.
    FDestroying = true;
    root->DestroyElement();
  }
  DestroyElement();
}

void TKXMarkupLanguageElement::DestroyElement() {
  FDestroying = true;
  ReleaseOwned();
  while (!FLinkedChildren.empty()) {
    TKXMarkupLanguageElement* child = FLinkedChildren.back();
    FLinkedChildren.pop_back();
    child->FParentElement = nullptr;
    if (!child->FDestroying && child->FHolders.empty()) child->DestroyElement();
  }
  DetachFromHolders();
  DetachFromParent();
  delete this;
}

void TKXMarkupLanguageElement::DetachFromHolders() {
  while (!FHolders.empty()) FHolders.back()->RemoveEntries(this);
}

void TKXMarkupLanguageElement::DetachFromParent() {
  if (!FParentElement) return;
  EraseOne(FParentElement->FLinkedChildren, this);
  FParentElement = nullptr;
}

void TKXMarkupLanguageElement::Render(TKXRenderStream& stream) {
  if (FRendering) return;
  TKXMarkupLanguageElement* top = Outermost([](TKXMarkupLanguageElement* p) { return !p->FRendering; });
  TRenderingMark mark(top);
  top->RenderElement(stream, 0);
}

std::string TKXMarkupLanguageElement::Render() {
  TKXRenderStream stream(true, true);
  Render(stream);
  return "\r\n" + stream.GetAsString();
}

// ---------------------------------------------------------------------------
// TKXMarkupLanguageTag

TKXMarkupLanguageTag::TKXMarkupLanguageTag(const std::string& tag, TKXMarkupLanguageElement* parent)
    : TKXMarkupLanguageElement(parent), FParams(std::make_unique<TKXTagParamsStringList>()), FTag(LowerCase(tag)) {}

TKXMarkupLanguageTag::~TKXMarkupLanguageTag() = default;

TKXElementPtr<TKXMarkupLanguageTag> TKXMarkupLanguageTag::Create(const std::string& tag,
                                                                 TKXMarkupLanguageElement* parent) {
  return TKXElementPtr<TKXMarkupLanguageTag>(new TKXMarkupLanguageTag(tag, parent));
}

TKXTagClass TKXMarkupLanguageTag::TagClass() const {
  return [](const std::string& tag, TKXMarkupLanguageElement* parent) { return Create(tag, parent); };
}

TKXElementPtr<TKXMarkupLanguageElement> TKXMarkupLanguageTag::NewElement(TKXMarkupLanguageElement* parent) const {
  return TagClass()("", parent);
}

void TKXMarkupLanguageTag::SetTag(const std::string& tag) { FTag = LowerCase(tag); }

TKXMarkupLanguageTagCollection* TKXMarkupLanguageTag::Contents() {
  if (!FContents) FContents = NewContents();
  return FContents.get();
}

std::unique_ptr<TKXMarkupLanguageTagCollection> TKXMarkupLanguageTag::NewContents() {
  return std::make_unique<TKXMarkupLanguageTagCollection>(this);
}

void TKXMarkupLanguageTag::ReleaseOwned() {
  if (FContents) FContents->Clear();
}

std::string TKXMarkupLanguageTag::ScriptEvents() const {
  std::string events;
  if (FContents) {
    for (int i = 0; i < FContents->Count(); ++i) {
      if (const auto* tag = dynamic_cast<const TKXMarkupLanguageTag*>(FContents->GetHTMLElement(i))) {
        events += tag->ScriptEvents();
      }
    }
  }
  return events + FScriptEvents;
}

void TKXMarkupLanguageTag::AddStringParam(const std::string& name, const std::string& value, bool keepEmpty) {
  if (value.empty() && !keepEmpty) return;
  FParams->SetValues(name, value);
}

void TKXMarkupLanguageTag::AddIntegerParam(const std::string& name, std::int32_t value) {
  AddStringParam(name, IntToStr(value));
}

void TKXMarkupLanguageTag::AddBoolParam(const std::string& name, bool value) {
  AddStringParam(name, value ? "true" : "false");
}

void TKXMarkupLanguageTag::AddColor(const std::string& name, TKXColor color) {
  if (color == clNone) return;
  AddStringParam(name, ColorToRGBString(color));
}

void TKXMarkupLanguageTag::AddClassParam(const std::string& cssClass) {
  if (cssClass.empty()) return;
  const std::string old = FParams->Values("class");
  FParams->SetValues("class", old.empty() ? cssClass : old + " " + cssClass);
}

void TKXMarkupLanguageTag::Add(const std::string& line) {
  if (!line.empty()) FParams->Add(line);
}

void TKXMarkupLanguageTag::AddParmsList(const TStrings& list) {
  for (int i = 0; i < list.Count(); ++i) Add(Trim(list.Strings(i)));
}

void TKXMarkupLanguageTag::ClearParam(const std::string& name) {
  for (int index; (index = FParams->IndexOfName(name)) >= 0;) FParams->Delete(index);
}

void TKXMarkupLanguageTag::SetParams(const TStrings& list) { FParams->Assign(&list); }

void TKXMarkupLanguageTag::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TKXMarkupLanguageTag*>(source);
  if (!other) {
    TKXMarkupLanguageElement::Assign(source);
    return;
  }
  // Copying a tag from inside itself would free the source while it is read.
  if (other->Rendering() || other->IsWithin(this)) return;
  TRenderingMark mark(other);
  FParams->Assign(other->FParams.get());
  if (other->FContents) {
    Contents()->Assign(*other->FContents);
  } else if (FContents) {
    FContents->Clear();
  }
  SetTag(other->FTag);
  FIsPreformated = other->FIsPreformated;
  FClosingTag = other->FClosingTag;
  FScriptEvents = other->FScriptEvents;

  TKXMarkupLanguageElement* otherParent = other->ParentElement();
  if (!otherParent) {
    SetParentElement(nullptr);
  } else if (!otherParent->Rendering()) {
    // A parent being rendered is one being copied: the collection that copies
    // its contents links this copy to the parent's copy.
    TKXElementPtr<TKXMarkupLanguageElement> parent = otherParent->NewElement(nullptr);
    parent->Assign(otherParent);
    SetParentElement(parent.get());
    if (auto* parentTag = dynamic_cast<TKXMarkupLanguageTag*>(parent.get())) parentTag->Contents()->Append(this);
    // The copied parent now belongs to this tag's structure.
    parent.release();
  }
}

void TKXMarkupLanguageTag::RenderElement(TKXRenderStream& stream, int indent) {
  if (!FTag.empty()) {
    std::string opening = "<" + FTag;
    for (int i = 0; i < FParams->Count(); ++i) {
      const std::string& line = FParams->Strings(i);
      opening += ' ';
      const std::size_t equals = line.find('=');
      if (equals == std::string::npos) {
        opening += line;
      } else {
        opening.append(line, 0, equals + 1);
        opening += '"';
        opening += EscapeAttributeQuotes(std::string_view(line).substr(equals + 1));
        opening += '"';
      }
    }
    opening += FClosingTag == cbSimpleClose ? "/>" : ">";
    stream.Write(opening);
  }
  RenderElementContent(stream, indent);
  // A tag without a name renders only its contents, whatever its mode.
  if (!FTag.empty() && (FClosingTag == cbTrue || FClosingTag == cbAuto)) stream.Write("</" + FTag + ">");
}

void TKXMarkupLanguageTag::RenderElementContent(TKXRenderStream& stream, int) {
  if (!FContents) return;
  for (int i = 0; i < FContents->Count(); ++i) {
    TKXMarkupLanguageElement* element = FContents->GetHTMLElement(i);
    if (auto* text = dynamic_cast<TKXTextElement*>(element)) {
      stream.Write(text->Text());
    } else if (auto* binary = dynamic_cast<TKXBinaryElement*>(element)) {
      CopyWholeStream(stream, *binary->Buffer()->Stream());
    } else {
      if (!FIsPreformated) stream.Write("\r\n");
      element->Render(stream);
    }
  }
}

// ---------------------------------------------------------------------------
// TKXHTMLTag

TKXHTMLTag::TKXHTMLTag(const std::string& tag, TKXCloseTag closingTag, TKXMarkupLanguageElement* parent)
    : TKXMarkupLanguageTag(tag, parent) {
  SetClosingTag(closingTag);
  SetTag(tag);
}

TKXElementPtr<TKXHTMLTag> TKXHTMLTag::Create(const std::string& tag, TKXMarkupLanguageElement* parent) {
  return Create(tag, cbTrue, parent);
}

TKXElementPtr<TKXHTMLTag> TKXHTMLTag::Create(const std::string& tag, TKXCloseTag closingTag,
                                             TKXMarkupLanguageElement* parent) {
  return TKXElementPtr<TKXHTMLTag>(new TKXHTMLTag(tag, closingTag, parent));
}

TKXTagClass TKXHTMLTag::TagClass() const {
  return [](const std::string& tag, TKXMarkupLanguageElement* parent) -> TKXElementPtr<TKXMarkupLanguageTag> {
    return Create(tag, parent);
  };
}

void TKXHTMLTag::SetTag(const std::string& tag) {
  TKXMarkupLanguageTag::SetTag(tag);
  const std::string& name = Tag();
  if (name.empty() || VoidElements().IndexOf(name) >= 0) SetClosingTag(cbFalse);
  if (name == "pre" || name == "a" || name == "div" || name == "tr" || name == "td") SetIsPreformated(true);
}

TKXHTMLTagCollection* TKXHTMLTag::Contents() {
  return static_cast<TKXHTMLTagCollection*>(TKXMarkupLanguageTag::Contents());
}

std::unique_ptr<TKXMarkupLanguageTagCollection> TKXHTMLTag::NewContents() {
  return std::make_unique<TKXHTMLTagCollection>(this);
}

// ---------------------------------------------------------------------------
// TKXXMLTag

TKXXMLTag::TKXXMLTag(const std::string& tag, TKXMarkupLanguageElement* parent)
    : TKXMarkupLanguageTag(tag, parent), FCDATA(LowerCase(tag) == "innerhtml") {}

TKXElementPtr<TKXXMLTag> TKXXMLTag::Create(const std::string& tag, TKXMarkupLanguageElement* parent) {
  return TKXElementPtr<TKXXMLTag>(new TKXXMLTag(tag, parent));
}

TKXTagClass TKXXMLTag::TagClass() const {
  return [](const std::string& tag, TKXMarkupLanguageElement* parent) -> TKXElementPtr<TKXMarkupLanguageTag> {
    return Create(tag, parent);
  };
}

void TKXXMLTag::Assign(const TPersistent* source) {
  TKXMarkupLanguageTag::Assign(source);
  // Without this a copy of an "innerhtml" tag would lose its CDATA section.
  if (const auto* other = dynamic_cast<const TKXXMLTag*>(source)) FCDATA = other->FCDATA;
}

void TKXXMLTag::RenderElementContent(TKXRenderStream& stream, int indent) {
  if (!FCDATA) {
    TKXMarkupLanguageTag::RenderElementContent(stream, indent);
    return;
  }
  TKXRenderStream content(true, true);
  TKXMarkupLanguageTag::RenderElementContent(content, indent);
  stream.Write("<![CDATA[");
  stream.Write(EscapeCDATAContent(StreamBytes(*content.Stream())));
  stream.Write("]]>");
}

// ---------------------------------------------------------------------------
// TKXTextElement

TKXTextElement::TKXTextElement(TKXMarkupLanguageElement* parent) : TKXMarkupLanguageElement(parent) {}

TKXElementPtr<TKXTextElement> TKXTextElement::Create(TKXMarkupLanguageElement* parent) {
  return TKXElementPtr<TKXTextElement>(new TKXTextElement(parent));
}

TKXElementPtr<TKXMarkupLanguageElement> TKXTextElement::NewElement(TKXMarkupLanguageElement* parent) const {
  return Create(parent);
}

void TKXTextElement::Assign(const TPersistent* source) {
  if (const auto* other = dynamic_cast<const TKXTextElement*>(source)) {
    FText = other->FText;
  } else {
    TKXMarkupLanguageElement::Assign(source);
  }
}

void TKXTextElement::RenderElement(TKXRenderStream& stream, int) { stream.Write(FText); }

// ---------------------------------------------------------------------------
// TKXBinaryElement

TKXBinaryElement::TKXBinaryElement(TKXMarkupLanguageElement* parent)
    : TKXMarkupLanguageElement(parent), FBuffer(std::make_unique<TKXRenderStream>(true, true)) {}

TKXElementPtr<TKXBinaryElement> TKXBinaryElement::Create(TKXMarkupLanguageElement* parent) {
  return TKXElementPtr<TKXBinaryElement>(new TKXBinaryElement(parent));
}

TKXElementPtr<TKXMarkupLanguageElement> TKXBinaryElement::NewElement(TKXMarkupLanguageElement* parent) const {
  return Create(parent);
}

void TKXBinaryElement::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TKXBinaryElement*>(source);
  if (!other) {
    TKXMarkupLanguageElement::Assign(source);
    return;
  }
  if (other == this) return;
  FBuffer->Stream()->SetSize(0);
  CopyWholeStream(*FBuffer, *other->FBuffer->Stream());
}

void TKXBinaryElement::RenderElement(TKXRenderStream& stream, int) { CopyWholeStream(stream, *FBuffer->Stream()); }

// ---------------------------------------------------------------------------
// TKXMarkupLanguageTagCollection

TKXMarkupLanguageTagCollection::TKXMarkupLanguageTagCollection(TKXMarkupLanguageTag* owner, TKXTagClass tagClass)
    : FParentElement(owner), FTagClass(tagClass) {}

TKXMarkupLanguageTagCollection::~TKXMarkupLanguageTagCollection() { Clear(); }

TKXMarkupLanguageElement* TKXMarkupLanguageTagCollection::GetHTMLElement(int index) const {
  if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", index));
  return FItems[std::size_t(index)];
}

TKXTagClass TKXMarkupLanguageTagCollection::TagClass() const {
  if (FTagClass) return FTagClass;
  if (FParentElement) return FParentElement->TagClass();
  return [](const std::string& tag, TKXMarkupLanguageElement* parent) {
    return TKXMarkupLanguageTag::Create(tag, parent);
  };
}

void TKXMarkupLanguageTagCollection::Append(TKXMarkupLanguageElement* element) {
  FItems.push_back(element);
  element->FHolders.push_back(this);
}

void TKXMarkupLanguageTagCollection::RemoveEntries(TKXMarkupLanguageElement* element) {
  FItems.erase(std::remove(FItems.begin(), FItems.end(), element), FItems.end());
  auto& holders = element->FHolders;
  holders.erase(std::remove(holders.begin(), holders.end(), this), holders.end());
}

TKXMarkupLanguageTag* TKXMarkupLanguageTagCollection::AddTag(const std::string& tag, bool link) {
  TKXElementPtr<TKXMarkupLanguageTag> element = TagClass()(tag, link ? FParentElement : nullptr);
  Append(element.get());
  return element.release();
}

TKXTextElement* TKXMarkupLanguageTagCollection::AddText(const std::string& text, bool link) {
  TKXElementPtr<TKXTextElement> element = TKXTextElement::Create(link ? FParentElement : nullptr);
  element->SetText(text);
  Append(element.get());
  return element.release();
}

TKXBinaryElement* TKXMarkupLanguageTagCollection::AddBuffer(TKXRenderStream& stream, bool link) {
  TKXElementPtr<TKXBinaryElement> element = TKXBinaryElement::Create(link ? FParentElement : nullptr);
  CopyWholeStream(*element->Buffer(), *stream.Stream());
  Append(element.get());
  return element.release();
}

TKXMarkupLanguageTag* TKXMarkupLanguageTagCollection::AddTagAsObject(TKXElementPtr<TKXMarkupLanguageTag> tag,
                                                                    bool link) {
  if (!tag) return nullptr;
  TKXMarkupLanguageTag* result = tag.get();
  TKXMarkupLanguageElement* root = result->Outermost([](TKXMarkupLanguageElement*) { return true; });
  // Appending a structure that holds this collection would make a cycle: the
  // structure is owned already, by whoever owns the owner.
  if (FParentElement && FParentElement->IsWithin(root)) return tag.release();
  TKXMarkupLanguageElement* appended = link ? root : result;
  if (link && !appended->ParentElement()) appended->SetParentElement(FParentElement);
  Append(appended);
  tag.release();
  return result;
}

std::vector<TKXElementPtr<TKXMarkupLanguageElement>> TKXMarkupLanguageTagCollection::CopyElements(
    const TKXMarkupLanguageTagCollection& other, std::vector<bool>* linked) const {
  std::vector<TKXElementPtr<TKXMarkupLanguageElement>> copies;
  // Marked as being copied, so that copies of elements linked to it do not each copy it as their parent.
  std::optional<TKXMarkupLanguageElement::TRenderingMark> ownerMark;
  if (other.FParentElement) ownerMark.emplace(other.FParentElement);
  for (int i = 0; i < other.Count(); ++i) {
    TKXMarkupLanguageElement* element = other.FItems[std::size_t(i)];
    if (element->Rendering()) continue;
    TKXElementPtr<TKXMarkupLanguageElement> copy = element->NewElement(nullptr);
    copy->Assign(element);
    if (linked) {
      linked->push_back(element->ParentElement() && element->ParentElement() == other.FParentElement &&
                        !copy->ParentElement());
    }
    copies.push_back(std::move(copy));
  }
  return copies;
}

void TKXMarkupLanguageTagCollection::Assign(const TKXMarkupLanguageTagCollection& other) {
  if (&other == this) return;
  // Copied before clearing: other may sit inside what Clear frees.
  std::vector<bool> linked;
  std::vector<TKXElementPtr<TKXMarkupLanguageElement>> copies = CopyElements(other, &linked);
  Clear();
  for (std::size_t i = 0; i < copies.size(); ++i) {
    if (linked[i]) copies[i]->SetParentElement(FParentElement);
    Append(copies[i].release());
  }
}

void TKXMarkupLanguageTagCollection::AddTagCollection(const TKXMarkupLanguageTagCollection& other, bool link) {
  for (TKXElementPtr<TKXMarkupLanguageElement>& copy : CopyElements(other, nullptr)) {
    TKXMarkupLanguageElement* appended =
        link ? copy->Outermost([](TKXMarkupLanguageElement*) { return true; }) : copy.get();
    if (link && !appended->ParentElement()) appended->SetParentElement(FParentElement);
    Append(appended);
    copy.release();
  }
}

void TKXMarkupLanguageTagCollection::AddTagCollection(std::unique_ptr<TKXMarkupLanguageTagCollection> other,
                                                      bool link) {
  if (other) AddTagCollection(*other, link);
}

void TKXMarkupLanguageTagCollection::Clear() {
  // From the back, each entry taken out before it is freed: freeing one element
  // may free others of this list, which then leave it.
  while (!FItems.empty()) {
    TKXMarkupLanguageElement* element = FItems.back();
    FItems.pop_back();
    EraseOne(element->FHolders, this);
    if (element->FDestroying) continue;
    if (!element->FParentElement || element->FParentElement == FParentElement) {
      element->DestroyElement();
      continue;
    }
    // An element of another structure: freed with it, unless that structure holds this collection.
    TKXMarkupLanguageElement* root = element->Outermost([](TKXMarkupLanguageElement* p) { return !p->FDestroying; });
    if (FParentElement && FParentElement->IsWithin(root)) continue;
    if (root != element) {
      element->FDestroying = true;
      root->DestroyElement();
    }
    element->DestroyElement();
  }
}

// ---------------------------------------------------------------------------
// TKXHTMLTagCollection

TKXHTMLTagCollection::TKXHTMLTagCollection(TKXHTMLTag* owner)
    : TKXMarkupLanguageTagCollection(owner, owner ? nullptr : &CreateHTMLTag) {}

TKXHTMLTag* TKXHTMLTagCollection::AddTag(const std::string& tag, bool link) {
  return static_cast<TKXHTMLTag*>(TKXMarkupLanguageTagCollection::AddTag(tag, link));
}

TKXHTMLTag* TKXHTMLTagCollection::AddTagAsObject(TKXElementPtr<TKXHTMLTag> tag, bool link) {
  return static_cast<TKXHTMLTag*>(
      TKXMarkupLanguageTagCollection::AddTagAsObject(TKXElementPtr<TKXMarkupLanguageTag>(std::move(tag)), link));
}

TKXHTMLTag* TKXHTMLTagCollection::AddHiddenField(const std::string& name, const std::string& value) {
  TKXHTMLTag* input = AddTag("input", false);
  input->AddStringParam("type", "hidden");
  input->AddStringParam("name", name);
  input->AddStringParam("value", value);
  return input;
}

TKXHTMLTag* TKXHTMLTagCollection::AddHiddenField(const std::string& id, const std::string& name,
                                                  const std::string& value) {
  TKXHTMLTag* input = AddHiddenField(name, value);
  input->AddStringParam("id", id);
  return input;
}

}  // namespace kx
