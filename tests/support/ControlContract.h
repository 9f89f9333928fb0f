// The contract every control keeps, checked from a table: one row per control (or per configuration of one) says
// what it renders, what a posted value does to it, and what its callback update carries. The facts are compared on
// the parsed markup (tag, attributes, style declarations, XPath values), never as whole strings, so a row survives
// harmless changes of attribute order or spacing. Every row that shows a text is also rendered with hostile texts:
// the page and the update must stay well-formed, gain no element, and show the text as it was. A case runs only for
// the rows it applies to (posted values, hostile texts), so no row passes a case by checking nothing.
//
// A family's test file instantiates the suite with its rows:
//
//   const TControlContract kEditContract[] = {{
//       .Name = "Edit",
//       .Make = [](TFormFixture& f) -> TComponent* { return f.Add<TKXEdit>("Edit1", f.Form); },
//       .Tag = "input",
//       .Attributes = {{"name", "EDIT1"}, {"type", "TEXT"}, {"readonly", kAbsent}},
//       .Styles = {{"border", "1px inset"}},
//       .Posts = {{"typed", "typed", &EditText}},
//       .HostileText = [](TKXEdit& edit, const std::string& text) { edit.SetText(text); },
//       .AsyncType = "KXEDIT",
//       .AsyncFacts = {{"text", "typed"}},
//   }};
//   KX_CONTROL_CONTRACT(Edits, kEditContract);
//
// A row's control is any HTML 4.0 component (a control, a region, a page service); the functions of a row take it
// as the class they are written for. A control inside a region is the element of its id in the region's markup.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "kx/forms/ControlInterfaces.h"
#include "kx/forms/CustomControl.h"
#include "support/TestForms.h"

namespace kx::test {

// An attribute value that says: the attribute must not be there.
inline const std::string kAbsent = "\x01(absent)";

// A function of the component a row made, written for the component's own class (TKXEdit&, TKXTabPage&): a
// lambda or a function taking that class first. The contract calls it with the component Make returned.
template <class TSignature>
class TOfControl;

template <class R, class... TArgs>
class TOfControl<R(TArgs...)> {
 public:
  TOfControl() = default;
  // Implicit, so that a row assigns a lambda or a function as it would to a std::function.
  template <class F>
  TOfControl(F function) : TOfControl(std::function{std::move(function)}) {}
  template <class TControl>
  TOfControl(std::function<R(TControl&, TArgs...)> function)
      : FCall([function = std::move(function)](TComponent& component, TArgs... args) {
          return function(dynamic_cast<TControl&>(component), args...);
        }) {}

  explicit operator bool() const { return bool(FCall); }
  R operator()(TComponent& component, TArgs... args) const { return FCall(component, args...); }

 private:
  std::function<R(TComponent&, TArgs...)> FCall;
};

struct TPostedValue {
  // What the browser posts for the control (IKXInputControl::SetValue).
  std::string Posted = {};
  // What Read then gives.
  std::string Expected = {};
  // Reads the property the post changes.
  TOfControl<std::string()> Read = {};
};

struct TControlContract {
  // The row's name, part of the test's name: letters and digits only.
  std::string Name = {};
  // Makes the control on f.Form (or a container of it) with the row's properties set.
  std::function<TComponent*(TFormFixture&)> Make = {};
  // The control's element in the page: its tag (lower case), attribute values (kAbsent: not there) and the
  // declarations of its style (RenderStyle; property -> value). Empty Tag: the control puts no element there.
  std::string Tag = {};
  std::vector<std::pair<std::string, std::string>> Attributes = {};
  std::vector<std::pair<std::string, std::string>> Styles = {};
  // The message rendering the page raises, for a control that cannot render; then Tag is empty.
  std::string RenderError = {};
  // Posted values, applied one after the other.
  std::vector<TPostedValue> Posts = {};
  // Puts text where the control shows it (caption, text, item); empty when it shows none.
  TOfControl<void(const std::string&)> HostileText = {};
  // The callback update: its type attribute, then XPath expressions relative to the update's element -> their
  // string value as it stands in the XML ("text" is the child element <text>, "@id" the id; a property's text is
  // HTML-escaped there). Empty AsyncType: the control sends none.
  std::string AsyncType = {};
  std::vector<std::pair<std::string, std::string>> AsyncFacts = {};
  // Whether the update carries the text HostileText puts; false for a control whose update sends its state only
  // (the update must still stay well-formed).
  bool UpdateShowsText = true;
};

// Every row: its element and its callback update.
class TControlContractTest : public ::testing::TestWithParam<TControlContract> {};
// The rows with Posts.
class TPostedValueContractTest : public TControlContractTest {};
// The rows with HostileText.
class THostileTextContractTest : public TControlContractTest {};

std::vector<TControlContract> RowsTakingPosts(std::span<const TControlContract> rows);
std::vector<TControlContract> RowsShowingText(std::span<const TControlContract> rows);

// Names the instantiated tests after the rows; a failure prints the row's name.
std::string ContractRowName(const ::testing::TestParamInfo<TControlContract>& info);
void PrintTo(const TControlContract& row, std::ostream* out);

}  // namespace kx::test

// A family none of whose rows takes a post (or shows a text) instantiates no case of that suite.
#define KX_CONTROL_CONTRACT(Family, rows)                                                              \
  INSTANTIATE_TEST_SUITE_P(Family, TControlContractTest, ::testing::ValuesIn(rows),                    \
                           ::kx::test::ContractRowName);                                               \
  INSTANTIATE_TEST_SUITE_P(Family, TPostedValueContractTest,                                           \
                           ::testing::ValuesIn(::kx::test::RowsTakingPosts(rows)),                     \
                           ::kx::test::ContractRowName);                                               \
  INSTANTIATE_TEST_SUITE_P(Family, THostileTextContractTest,                                           \
                           ::testing::ValuesIn(::kx::test::RowsShowingText(rows)),                     \
                           ::kx::test::ContractRowName)
