// What the control tests read back from a render: a control's tag in its fixture form's page, an attribute of a tag
// and the text of a control's callback update.
#pragma once

#include <string>

#include "kx/forms/CustomControl.h"
#include "kx/forms/RenderContexts.h"
#include "support/TestForms.h"

namespace kx::test {

// The tag of a control of the fixture's form, rendered afresh; null when the page has none of that name.
inline TKXMarkupLanguageTag* Rendered(TFormFixture& f, const char* htmlName) {
  return f.Form->Render()->GetMarkupLanguageTag(htmlName);
}

inline std::string Attribute(TKXMarkupLanguageTag* tag, const char* name) { return tag->Params()->Values(name); }

// The update a control writes into a callback answer; empty when it writes none.
inline std::string RenderAsyncText(TKXCustomControl* control) {
  TKXCompContext context(control, nullptr, nullptr);
  TKXElementPtr<TKXXMLTag> tag = control->RenderAsync(&context);
  return tag ? tag->Render() : std::string();
}

}  // namespace kx::test
