#include "kx/forms/ScriptEvents.h"

#include <utility>

#include "kx/forms/BaseControls.h"
#include "kx/forms/RenderContexts.h"
#include "kx/platform/Components.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

constexpr const char* CRLF = "\r\n";

// An entry of the default-handler list: "Event" or "Event:data,data".
struct THandlerEntry {
  std::string Event;
  std::string Data;
  bool HasData = false;
};

std::vector<THandlerEntry> ParseHandlers(const std::string& list) {
  std::vector<THandlerEntry> entries;
  std::size_t start = 0;
  while (start < list.size()) {
    std::size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    const std::string entry = list.substr(start, end - start);
    start = end + 1;
    if (entry.empty()) continue;
    const std::size_t colon = entry.find(':');
    if (colon == std::string::npos) {
      entries.push_back(THandlerEntry{entry, "", false});
    } else {
      entries.push_back(THandlerEntry{entry.substr(0, colon), entry.substr(colon + 1), true});
    }
  }
  return entries;
}

std::string JoinHandlers(const std::vector<THandlerEntry>& entries) {
  std::string list;
  for (const THandlerEntry& entry : entries) {
    list += entry.Event;
    if (entry.HasData) list += ":" + entry.Data;
    list += ";";
  }
  return list;
}

}  // namespace

std::string NormalizeScriptEventCode(std::string_view code) {
  std::string result(code);
  if (result.empty()) return result;
  if (result.find("return ") == std::string::npos) {
    result += CRLF;
    result += "return true;";
  } else if (result.back() != ';') {
    result += ';';
  }
  return result;
}

// ---------------------------------------------------------------------------
// TKXScriptEventsItem

void TKXScriptEventsItem::SetEventCode(const TStrings& value) { FEventCode.Assign(&value); }

void TKXScriptEventsItem::SetEventCodeAsString(const std::string& code) {
  FEventCode.SetText(code);
  mCodeFromHook = false;
  if (Trim(code).empty()) Free();
}

void TKXScriptEventsItem::SetHookedEventCode(const std::string& code) {
  FEventCode.SetText(code);
  mCodeFromHook = true;
}

const std::string& TKXScriptEventsItem::HookedCode(int index) const {
  if (index < 0 || index >= HookedCount()) throw EListError(Format("List index out of bounds (%d)", index));
  return FHookedCodeList[std::size_t(index)];
}

void TKXScriptEventsItem::AddHookScript(const std::string& code) { FHookedCodeList.push_back(code); }

void TKXScriptEventsItem::Assign(const TPersistent* source) {
  if (auto* item = Supports<const TKXScriptEventsItem>(source)) {
    FEventCode.Assign(&item->FEventCode);
    FEventName = item->FEventName;
    mCodeFromHook = false;
    mCreatedByHook = false;
    return;
  }
  TCollectionItem::Assign(source);
}

// ---------------------------------------------------------------------------
// TKXScriptEvents

TKXScriptEvents::TKXScriptEvents(TPersistent* owner)
    : TOwnedCollection(owner, CollectionItemClass<TKXScriptEventsItem>()) {}

int TKXScriptEvents::IndexOf(const std::string& eventName) const {
  for (int i = 0; i < Count(); ++i) {
    if (SameText(Items(i)->Event(), eventName)) return i;
  }
  return -1;
}

TKXScriptEventsItem* TKXScriptEvents::Items(int index) const {
  return static_cast<TKXScriptEventsItem*>(TCollection::Items(index));
}

void TKXScriptEvents::SetItems(int index, const TKXScriptEventsItem& value) { Items(index)->Assign(&value); }

std::string TKXScriptEvents::GetCode(int index) const { return TrimRight(Items(index)->EventCode().Text()); }

void TKXScriptEvents::SetCode(int index, const std::string& code) {
  Items(index)->SetEventCodeAsString(TrimRight(code));
}

std::string TKXScriptEvents::GetCodeByEventName(const std::string& eventName) const {
  const int index = IndexOf(eventName);
  return index < 0 ? std::string() : GetCode(index);
}

void TKXScriptEvents::SetCodeByEventName(const std::string& eventName, const std::string& code) {
  const int index = IndexOf(eventName);
  if (index >= 0) {
    SetCode(index, code);
  } else {
    Add(eventName, code);
  }
}

TKXScriptEventsItem* TKXScriptEvents::Add(const std::string& eventName, const std::string& code) {
  auto* item = static_cast<TKXScriptEventsItem*>(TCollection::Add());
  item->SetEvent(eventName);
  TStringList lines;
  lines.SetText(code);
  item->SetEventCode(lines);
  return item;
}

int TKXScriptEvents::GetHookedCount(int index) const { return Items(index)->HookedCount(); }

std::string TKXScriptEvents::GetHookedCode(int index, int hookIndex) const {
  return Items(index)->HookedCode(hookIndex);
}

// The hooked code that becomes an event's code is marked, so that Clear takes
// it away again: otherwise it would be stored code at the next render and the
// same handler would run twice.
void TKXScriptEvents::HookEvent(const std::string& eventName, const std::string& code) {
  const std::string trimmed = Trim(code);
  if (trimmed.empty()) return;
  const std::string normalized = NormalizeScriptEventCode(trimmed);
  const int index = IndexOf(eventName);
  if (index >= 0 && !Trim(GetCode(index)).empty()) {
    Items(index)->AddHookScript(normalized);
  } else if (index >= 0) {
    Items(index)->SetHookedEventCode(normalized);
  } else {
    TKXScriptEventsItem* item = Add(eventName, "");
    item->SetHookedEventCode(normalized);
    item->mCreatedByHook = true;
  }
}

void TKXScriptEvents::HookKXCLProperty(const std::string& name, std::string_view value) {
  FProperties.Add(name, value);
}

void TKXScriptEvents::HookKXCLProperty(const std::string& name, std::int64_t value) {
  FProperties.Add(name, value);
}

void TKXScriptEvents::HookDefaultHandler(const std::string& eventName, std::string_view eventData) {
  std::vector<THandlerEntry> entries = ParseHandlers(FDefaultHandlers);
  THandlerEntry* found = nullptr;
  for (THandlerEntry& entry : entries) {
    if (entry.Event == eventName) {
      found = &entry;
      break;
    }
  }
  if (found == nullptr) {
    entries.push_back(THandlerEntry{eventName, std::string(eventData), !eventData.empty()});
  } else if (!eventData.empty()) {
    found->Data = found->HasData ? std::string(eventData) + "," + found->Data : std::string(eventData);
    found->HasData = true;
  } else {
    return;
  }
  FDefaultHandlers = JoinHandlers(entries);
}

void TKXScriptEvents::Clear() {
  FDefaultHandlers.clear();
  FProperties.Clear();
  for (int i = Count() - 1; i >= 0; --i) {
    TKXScriptEventsItem* item = Items(i);
    item->ClearHookedCode();
    if (item->mCreatedByHook) {
      Delete(i);
    } else if (item->mCodeFromHook) {
      item->FEventCode.Clear();
      item->mCodeFromHook = false;
    }
  }
}

void TKXScriptEvents::RenderEvents(TKXPageContext40* pageContext) {
  if (Count() == 0 && FDefaultHandlers.empty() && FProperties.IsEmpty()) return;
  if (pageContext == nullptr) return;
  auto* owner = Supports<IKXBaseHTMLComponent>(Owner());
  if (owner == nullptr) return;
  const std::string name = owner->HTMLName();
  std::string init;

  for (int i = 0; i < Count(); ++i) {
    TKXScriptEventsItem* item = Items(i);
    std::string event = LowerCase(item->Event());
    // The event name becomes part of script identifiers: a name that cannot be one is skipped.
    if (!IsValidIdent(event)) continue;
    const std::string function = name + "_" + event;
    if (StartsStr("on", event)) event.erase(0, 2);
    const std::string hookLine = "  " + name + "KXCL.HookEvent(\"" + event + "\",";

    const std::string code = Trim(GetCode(i));
    if (!code.empty()) {
      pageContext->AddToJavaScriptOnce("function " + function + "(event) {" + CRLF + NormalizeScriptEventCode(code) +
                                       "}" + CRLF);
      if (SameText(event, "load")) {
        owner->ExtraTagParams().SetValues("onload", function + "()");
      } else {
        init += hookLine + function + ");" + CRLF;
      }
    }
    for (int j = 0; j < item->HookedCount(); ++j) {
      const std::string hooked = function + std::to_string(j);
      pageContext->AddToJavaScriptOnce("function " + hooked + "(event) {" + CRLF + item->HookedCode(j) + "}" + CRLF);
      init += hookLine + hooked + ");" + CRLF;
    }
  }

  if (!FDefaultHandlers.empty()) {
    std::string list = FDefaultHandlers;
    while (!list.empty() && list.back() == ';') list.pop_back();
    init += "  " + name + "KXCL.HookDefaultHandlers(\"" + TKXBaseHTMLControl::TextToJSStringLiteral(list) + "\");" +
            CRLF;
  }
  if (!FProperties.IsEmpty()) init += "  " + name + "KXCL.SetProps(" + FProperties.GetData() + ");" + CRLF;
  if (!init.empty()) pageContext->AddToKXCLInitProc(init);
}

}  // namespace kx
