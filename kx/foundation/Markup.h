// The markup element tree: controls build tags (a name, an attribute list and
// contents), text runs and pre-rendered blocks, and the tree renders itself as
// HTML or XML into a render stream. Builds on foundation/Streams.h
// (TKXRenderStream), foundation/TextUtils.h (TKXStringList) and Colors.h.
//
// Ownership. A structure is an element with no parent, every element in the
// contents of its tags (recursively) and every element linked to one of them
// by ParentElement. A structure has exactly one owner: a TKXElementPtr to any
// one of its elements, or one entry of a collection outside it (AddTagAsObject).
// - Freeing a TKXElementPtr, or Free(), frees the whole structure through the
//   element's outermost ancestor, every element exactly once; so a control may
//   hand out an inner element as the handle of what it built.
// - Create with a parent makes an element of the parent's structure: of two
//   handles on one structure keep one and release the other.
// - The adders of a collection return plain pointers: the structure owns them.
// - A collection's Clear frees what it holds: children of its owner (no parent,
//   or linked to the owner) one by one, and an element of another structure
//   together with that structure, never the structure the collection is in.
// - A destroyed element leaves every collection that holds it and unlinks the
//   elements linked to it; one that no collection holds is freed with it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kx/foundation/Colors.h"
#include "kx/foundation/Streams.h"
#include "kx/foundation/TextUtils.h"
#include "kx/platform/Classes.h"
#include "kx/platform/StringLists.h"

namespace kx {

class TKXMarkupLanguageElement;
class TKXMarkupLanguageTag;
class TKXHTMLTag;
class TKXTextElement;
class TKXBinaryElement;
class TKXMarkupLanguageTagCollection;
class TKXHTMLTagCollection;

// What follows the opening tag: cbTrue "</tag>"; cbAuto "</tag>" for a named
// tag; cbFalse nothing (void elements); cbSimpleClose nothing, the opening tag
// ending in "/>".
enum TKXCloseTag { cbAuto = 0, cbFalse = 1, cbTrue = 2, cbSimpleClose = 3 };

// Frees an element the way Free does (the whole structure).
struct TKXElementFree {
  void operator()(TKXMarkupLanguageElement* element) const;
};
template <class T>
using TKXElementPtr = std::unique_ptr<T, TKXElementFree>;

// A tag class reference: the class's (tag, parent) constructor.
using TKXTagClass = TKXElementPtr<TKXMarkupLanguageTag> (*)(const std::string& tag, TKXMarkupLanguageElement* parent);

// The HTML elements that take no closing tag: "area,br,frame,hr,img,input,link", sorted.
const TKXStringList& VoidElements();

// The value made safe for a double-quoted attribute of HTML and XML alike: '"'
// becomes "&quot;", "<" becomes "&lt;" and a "&" that does not begin a character
// or entity reference becomes "&amp;". References already in the value
// ("&amp;", "&#60;") are kept, so text escaped for HTML beforehand comes out
// unchanged.
std::string EscapeAttributeQuotes(std::string_view value);
// The text with each "]]>" written as "]]]]><![CDATA[>", so that it cannot end
// the CDATA section it is written into.
std::string EscapeCDATAContent(std::string_view text);

// text without the characters XML 1.0 cannot carry (control characters other than
// TAB, LF, CR; U+FFFE, U+FFFF); invalid UTF-8 becomes U+FFFD.
std::string XMLCharacters(std::string_view text);
// text as XML character data: XMLCharacters with "&", "<" and ">" as references.
std::string EscapeXMLText(std::string_view text);

// The attribute list of a tag: lines name=value, the names in lower case.
class TKXTagParamsStringList : public TKXStringList {
 public:
  // Lower-cases the line up to and including its first "=" (a line without
  // "=" is all name).
  int AddObject(const std::string& s, TObject* object) override;
  // The name lower-cased; an empty value removes the attribute.
  void SetValues(const std::string& name, const std::string& value) override;
  // Sets every name=value of other in this list; a line of other without "="
  // is added unless this list holds it already.
  void AppendParams(const TStrings& other);
};

class TKXMarkupLanguageElement : public TPersistent {
 public:
  TKXMarkupLanguageElement(const TKXMarkupLanguageElement&) = delete;
  TKXMarkupLanguageElement& operator=(const TKXMarkupLanguageElement&) = delete;

  // Frees the structure this element belongs to (see the top of this file).
  // Does nothing while the element is being destroyed.
  void Free();

  // The element this one is linked to, or null. Linking never adds the element
  // to the parent's contents.
  TKXMarkupLanguageElement* ParentElement() const { return FParentElement; }
  virtual void SetParentElement(TKXMarkupLanguageElement* parent);
  bool Destroying() const { return FDestroying; }
  // Set while the element is being rendered or copied (the guard against cycles).
  bool Rendering() const { return FRendering; }

  // Renders the whole tree: delegates to the parent unless the parent is being
  // rendered (so a call on any element renders the outermost one), else renders
  // this element. An element already being rendered writes nothing again, so a
  // cycle ends.
  void Render(TKXRenderStream& stream);
  // CR LF followed by what Render(stream) writes.
  std::string Render();

  // Virtual constructor: a new element of this object's class, empty.
  virtual TKXElementPtr<TKXMarkupLanguageElement> NewElement(TKXMarkupLanguageElement* parent) const = 0;

 protected:
  explicit TKXMarkupLanguageElement(TKXMarkupLanguageElement* parent);
  // Only Free and the collections destroy elements.
  ~TKXMarkupLanguageElement() override;

  virtual void RenderElement(TKXRenderStream& stream, int indent) = 0;
  // Frees what the element owns beyond itself (a tag its contents); runs before the destructor.
  virtual void ReleaseOwned() {}

  // Sets an element's rendering mark for a scope and then restores it.
  class TRenderingMark {
   public:
    explicit TRenderingMark(const TKXMarkupLanguageElement* element)
        : FElement(element), FWasRendering(element->FRendering) {
      element->FRendering = true;
    }
    ~TRenderingMark() { FElement->FRendering = FWasRendering; }
    TRenderingMark(const TRenderingMark&) = delete;
    TRenderingMark& operator=(const TRenderingMark&) = delete;

   private:
    const TKXMarkupLanguageElement* FElement;
    bool FWasRendering;
  };

  // Whether this element is other or hangs below it, through parents or the
  // collections that hold it.
  bool IsWithin(const TKXMarkupLanguageElement* other) const;

 private:
  friend class TKXMarkupLanguageTagCollection;

  // The last ancestor reached through parents for which proceed is true (no
  // element twice, so a parent cycle ends).
  template <class Proceed>
  TKXMarkupLanguageElement* Outermost(Proceed proceed);
  // Destroys this element alone: leaves its collections and its parent, frees
  // what it owns and the unheld elements linked to it, then deletes itself.
  void DestroyElement();
  void DetachFromHolders();
  void DetachFromParent();

  TKXMarkupLanguageElement* FParentElement = nullptr;
  bool FDestroying = false;
  mutable bool FRendering = false;
  // The collections that hold this element, once per entry.
  std::vector<TKXMarkupLanguageTagCollection*> FHolders;
  // The elements whose parent is this one.
  std::vector<TKXMarkupLanguageElement*> FLinkedChildren;
};

class TKXMarkupLanguageTag : public TKXMarkupLanguageElement {
 public:
  // Closing mode cbTrue, then SetTag(tag).
  static TKXElementPtr<TKXMarkupLanguageTag> Create(const std::string& tag,
                                                    TKXMarkupLanguageElement* parent = nullptr);

  // Always lower case.
  const std::string& Tag() const { return FTag; }
  virtual void SetTag(const std::string& tag);
  TKXTagParamsStringList* Params() { return FParams.get(); }
  const TKXTagParamsStringList* Params() const { return FParams.get(); }
  TKXMarkupLanguageTagCollection* Contents();
  // The script events of all tags in the contents (recursively, in order), then this tag's own.
  std::string ScriptEvents() const;
  void SetScriptEvents(const std::string& scriptEvents) { FScriptEvents = scriptEvents; }
  // Set: no CR LF is written before the child tags. Default false.
  bool IsPreformated() const { return FIsPreformated; }
  void SetIsPreformated(bool isPreformated) { FIsPreformated = isPreformated; }

  // Nothing for an empty value unless keepEmpty; otherwise the attribute is set
  // (an empty value removes it).
  void AddStringParam(const std::string& name, const std::string& value, bool keepEmpty = false);
  void AddIntegerParam(const std::string& name, std::int32_t value);
  // "true" or "false".
  void AddBoolParam(const std::string& name, bool value);
  // Nothing for clNone, else "#RRGGBB".
  void AddColor(const std::string& name, TKXColor color);
  // Appends the class to "class", separated by a blank; nothing for an empty class.
  void AddClassParam(const std::string& cssClass);
  // Adds a non-empty name=value line as it is (no replacement of an existing attribute).
  void Add(const std::string& line);
  // Add for each line of list, trimmed.
  void AddParmsList(const TStrings& list);
  // Removes every line of the attribute.
  void ClearParam(const std::string& name);
  void SetParams(const TStrings& list);

  // From another tag: attributes, a copy of the contents, name, IsPreformated,
  // closing mode, script events, and a copy of its parent chain (this tag is
  // appended to the copied parent). Does nothing while source is being rendered
  // or copied, or when source is this tag or lies inside it. Other sources raise
  // EConvertError.
  void Assign(const TPersistent* source) override;

  // This object's class as a reference; a descendant overrides it to return its own.
  virtual TKXTagClass TagClass() const;
  // TagClass()("", parent).
  TKXElementPtr<TKXMarkupLanguageElement> NewElement(TKXMarkupLanguageElement* parent) const override;

 protected:
  TKXMarkupLanguageTag(const std::string& tag, TKXMarkupLanguageElement* parent);
  ~TKXMarkupLanguageTag() override;

  // Opening tag (no attributes written for an empty name), contents, closing tag.
  void RenderElement(TKXRenderStream& stream, int indent) override;
  // Text as it is, binary blocks copied, other elements rendered after CR LF
  // (none when IsPreformated).
  virtual void RenderElementContent(TKXRenderStream& stream, int indent);
  void ReleaseOwned() override;
  // The contents collection of this class (made on first use).
  virtual std::unique_ptr<TKXMarkupLanguageTagCollection> NewContents();

  TKXCloseTag ClosingTag() const { return FClosingTag; }
  void SetClosingTag(TKXCloseTag closingTag) { FClosingTag = closingTag; }

 private:
  std::unique_ptr<TKXMarkupLanguageTagCollection> FContents;
  std::unique_ptr<TKXTagParamsStringList> FParams;
  std::string FScriptEvents;
  std::string FTag;
  bool FIsPreformated = false;
  TKXCloseTag FClosingTag = cbTrue;
};

class TKXHTMLTag : public TKXMarkupLanguageTag {
 public:
  // Closing mode cbTrue, then SetTag (which makes void elements cbFalse).
  static TKXElementPtr<TKXHTMLTag> Create(const std::string& tag, TKXMarkupLanguageElement* parent = nullptr);
  // The given closing mode, then SetTag.
  static TKXElementPtr<TKXHTMLTag> Create(const std::string& tag, TKXCloseTag closingTag,
                                          TKXMarkupLanguageElement* parent = nullptr);

  // Also sets cbFalse for an empty name or a void element, and IsPreformated for
  // "pre", "a", "div", "tr" and "td"; neither is ever cleared here.
  void SetTag(const std::string& tag) override;
  using TKXMarkupLanguageTag::ClosingTag;
  using TKXMarkupLanguageTag::SetClosingTag;
  TKXHTMLTagCollection* Contents();

  TKXTagClass TagClass() const override;

 protected:
  TKXHTMLTag(const std::string& tag, TKXCloseTag closingTag, TKXMarkupLanguageElement* parent);
  std::unique_ptr<TKXMarkupLanguageTagCollection> NewContents() override;
};

class TKXXMLTag : public TKXMarkupLanguageTag {
 public:
  static TKXElementPtr<TKXXMLTag> Create(const std::string& tag, TKXMarkupLanguageElement* parent = nullptr);

  // Wraps the contents in a CDATA section. Set at creation exactly for "innerhtml".
  bool CDATA() const { return FCDATA; }
  void SetCDATA(bool cdata) { FCDATA = cdata; }

  // The tag's Assign, and CDATA from an XML tag.
  void Assign(const TPersistent* source) override;
  TKXTagClass TagClass() const override;

 protected:
  TKXXMLTag(const std::string& tag, TKXMarkupLanguageElement* parent);
  // With CDATA: "<![CDATA[" + contents (each "]]>" split) + "]]>".
  void RenderElementContent(TKXRenderStream& stream, int indent) override;

 private:
  bool FCDATA;
};

// A run of text, written as it is (UTF-8, no escaping).
class TKXTextElement : public TKXMarkupLanguageElement {
 public:
  static TKXElementPtr<TKXTextElement> Create(TKXMarkupLanguageElement* parent = nullptr);

  const std::string& Text() const { return FText; }
  void SetText(const std::string& text) { FText = text; }

  // Copies the text of another text element.
  void Assign(const TPersistent* source) override;
  TKXElementPtr<TKXMarkupLanguageElement> NewElement(TKXMarkupLanguageElement* parent) const override;

 protected:
  explicit TKXTextElement(TKXMarkupLanguageElement* parent);
  void RenderElement(TKXRenderStream& stream, int indent) override;

 private:
  std::string FText;
};

// A pre-rendered block, copied byte for byte.
class TKXBinaryElement : public TKXMarkupLanguageElement {
 public:
  static TKXElementPtr<TKXBinaryElement> Create(TKXMarkupLanguageElement* parent = nullptr);

  // Owned by the element; a transient render stream.
  TKXRenderStream* Buffer() const { return FBuffer.get(); }

  // Copies the buffer of another binary element.
  void Assign(const TPersistent* source) override;
  TKXElementPtr<TKXMarkupLanguageElement> NewElement(TKXMarkupLanguageElement* parent) const override;

 protected:
  explicit TKXBinaryElement(TKXMarkupLanguageElement* parent);
  void RenderElement(TKXRenderStream& stream, int indent) override;

 private:
  std::unique_ptr<TKXRenderStream> FBuffer;
};

// The contents of a tag, or a free-standing list of elements. Owns what it holds
// (see the top of this file); freeing the collection clears it.
class TKXMarkupLanguageTagCollection : public TObject {
 public:
  // owner: the tag whose contents these are, or null. tagClass: what AddTag
  // creates; null means the owner's own class (TKXMarkupLanguageTag without owner).
  explicit TKXMarkupLanguageTagCollection(TKXMarkupLanguageTag* owner, TKXTagClass tagClass = nullptr);
  ~TKXMarkupLanguageTagCollection() override;
  TKXMarkupLanguageTagCollection(const TKXMarkupLanguageTagCollection&) = delete;
  TKXMarkupLanguageTagCollection& operator=(const TKXMarkupLanguageTagCollection&) = delete;

  TKXMarkupLanguageTag* ParentElement() const { return FParentElement; }
  int Count() const { return static_cast<int>(FItems.size()); }
  // Raises EListError "List index out of bounds (%d)" outside 0..Count-1.
  TKXMarkupLanguageElement* GetHTMLElement(int index) const;

  // A new tag of the tag class, linked to the owner when link is set, appended.
  TKXMarkupLanguageTag* AddTag(const std::string& tag, bool link);
  TKXTextElement* AddText(const std::string& text, bool link);
  // A binary element holding a copy of the whole stream (its position is kept).
  TKXBinaryElement* AddBuffer(TKXRenderStream& stream, bool link);
  // Takes the structure of tag and returns tag (null for null). Without link the
  // tag itself is appended. With link its outermost ancestor is appended, linked
  // to the owner when it has no parent. When the owner already belongs to that
  // structure nothing is appended: the structure is owned already.
  TKXMarkupLanguageTag* AddTagAsObject(TKXElementPtr<TKXMarkupLanguageTag> tag, bool link);

  // Clears, then appends a copy of each element of other that is not being
  // rendered; a copy of an element linked to other's owner is linked to this
  // collection's owner.
  void Assign(const TKXMarkupLanguageTagCollection& other);
  // Appends copies of all elements of other, each as AddTagAsObject does.
  void AddTagCollection(const TKXMarkupLanguageTagCollection& other, bool link);
  // The same, then frees other.
  void AddTagCollection(std::unique_ptr<TKXMarkupLanguageTagCollection> other, bool link);

  // Frees the elements held, then empties the list.
  virtual void Clear();

 protected:
  TKXTagClass TagClass() const;

 private:
  friend class TKXMarkupLanguageElement;
  friend class TKXMarkupLanguageTag;

  void Append(TKXMarkupLanguageElement* element);
  // Drops every entry of element (the element lives on).
  void RemoveEntries(TKXMarkupLanguageElement* element);
  std::vector<TKXElementPtr<TKXMarkupLanguageElement>> CopyElements(const TKXMarkupLanguageTagCollection& other,
                                                                    std::vector<bool>* linked) const;

  TKXMarkupLanguageTag* FParentElement;
  TKXTagClass FTagClass;
  std::vector<TKXMarkupLanguageElement*> FItems;
};

class TKXHTMLTagCollection : public TKXMarkupLanguageTagCollection {
 public:
  // The tag class is the owner's, or TKXHTMLTag without owner.
  explicit TKXHTMLTagCollection(TKXHTMLTag* owner);

  TKXHTMLTag* AddTag(const std::string& tag, bool link);
  TKXHTMLTag* AddTagAsObject(TKXElementPtr<TKXHTMLTag> tag, bool link);
  // An "input" with "type"="hidden", "name"=name and, for a non-empty value, "value"=value.
  TKXHTMLTag* AddHiddenField(const std::string& name, const std::string& value);
  // The same, then "id"=id.
  TKXHTMLTag* AddHiddenField(const std::string& id, const std::string& name, const std::string& value);
};

}  // namespace kx
