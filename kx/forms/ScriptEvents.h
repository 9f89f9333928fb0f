// The client script events of a control: the script the author attaches to
// browser events of the control, and the code that the framework and the
// control hook in while rendering (submit and asynchronous-event handlers,
// default handlers, client properties). RenderEvents turns both into page-level
// functions and calls on the control's client object (HTML name + "KXCL").
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "kx/foundation/SimpleJSON.h"
#include "kx/platform/Collections.h"
#include "kx/platform/StringLists.h"

namespace kx {

class TKXPageContext40;
class TKXScriptEvents;

// One browser event of a control ("onClick") with its stored code and the scripts hooked onto it for one render.
class TKXScriptEventsItem : public TCollectionItem {
 public:
  TKXScriptEventsItem() = default;

  // The browser event name as given ("onClick").
  const std::string& Event() const { return FEventName; }
  void SetEvent(const std::string& value) { FEventName = value; }
  const TStrings& EventCode() const { return FEventCode; }
  // Takes the code from the lines of value.
  void SetEventCode(const TStrings& value);
  // Sets the code; when the code is then blank the item frees itself (it leaves
  // its collection and must not be used afterwards).
  void SetEventCodeAsString(const std::string& code);

  int HookedCount() const { return int(FHookedCodeList.size()); }
  const std::string& HookedCode(int index) const;
  void AddHookScript(const std::string& code);
  void ClearHookedCode() { FHookedCodeList.clear(); }

  // From another item: the event name and the code. Anything else goes to the platform's Assign.
  void Assign(const TPersistent* source) override;

 private:
  friend class TKXScriptEvents;

  // Code hooked for one render in place of stored code; TKXScriptEvents::Clear removes it.
  void SetHookedEventCode(const std::string& code);

  TStringList FEventCode;
  std::string FEventName;
  std::vector<std::string> FHookedCodeList;
  bool mCodeFromHook = false;   // the code was hooked, not stored
  bool mCreatedByHook = false;  // the item exists only for hooked code
};

class TKXScriptEvents : public TOwnedCollection {
 public:
  // owner: the control (its HTML name is read through IKXBaseHTMLComponent).
  explicit TKXScriptEvents(TPersistent* owner);

  // The index of the first item whose event name equals eventName ignoring case; -1 when none.
  int IndexOf(const std::string& eventName) const;
  TKXScriptEventsItem* Items(int index) const;
  // Assigns value into the item at index.
  void SetItems(int index, const TKXScriptEventsItem& value);
  // The item's code with trailing white space removed.
  std::string GetCode(int index) const;
  void SetCode(int index, const std::string& code);
  // The named item's code; empty when there is none.
  std::string GetCodeByEventName(const std::string& eventName) const;
  // Sets the named item's code, or adds an item.
  void SetCodeByEventName(const std::string& eventName, const std::string& code);
  TKXScriptEventsItem* Add(const std::string& eventName, const std::string& code);
  int GetHookedCount(int index) const;
  std::string GetHookedCode(int index, int hookIndex) const;

  // Adds script for one render: it becomes the event's code when the event has
  // none stored, else a hooked script of the event. Blank code adds nothing.
  // Code without "return " gets CR LF + "return true;"; code with it ends with ";".
  void HookEvent(const std::string& eventName, const std::string& code);
  // A client property set by the client object's SetProps.
  // The bool forms are templates, so that a text literal takes the text form.
  void HookKXCLProperty(const std::string& name, std::string_view value);
  template <std::same_as<bool> B>
  void HookKXCLProperty(const std::string& name, B value) {
    FProperties.Add(name, value);
  }
  void HookKXCLProperty(const std::string& name, std::int64_t value);
  // An entry of the default-handler list: the event name, ":" and data items
  // joined by ","; a later data item goes in front of the earlier ones. Entries
  // are matched whole, so "OnKeyUp" never matches inside "OnKeyUpEx".
  void HookDefaultHandler(const std::string& eventName, std::string_view eventData);
  // With lockOnAsync the data is "Lock".
  template <std::same_as<bool> B>
  void HookDefaultHandler(const std::string& eventName, B lockOnAsync) {
    HookDefaultHandler(eventName, lockOnAsync ? std::string_view("Lock") : std::string_view());
  }
  // Drops what the render hooked (default handlers, properties, hooked scripts);
  // the stored code stays. Hides the collection's Clear, which deletes the items.
  void Clear();
  // Writes the functions and the client-object calls into the page (see the .cpp).
  void RenderEvents(TKXPageContext40* pageContext);

  // "Event;Event:data,data;" as collected.
  const std::string& DefaultHandlers() const { return FDefaultHandlers; }
  const TKXSimpleJSON& Properties() const { return FProperties; }

 private:
  std::string FDefaultHandlers;
  TKXSimpleJSON FProperties;
};

// Code as hooked scripts are written: blank stays empty; without "return "
// CR LF + "return true;" is appended, with it a missing final ";".
std::string NormalizeScriptEventCode(std::string_view code);

}  // namespace kx
