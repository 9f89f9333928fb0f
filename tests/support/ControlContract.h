// The contract every control keeps, checked from a table: one row per control (or per configuration of one) says
// what it renders, what a posted value does to it, and what its callback update carries. The facts are compared on
// the parsed markup (tag, attributes, style declarations, XPath values), never as whole strings, so a row survives
// harmless changes of attribute order or spacing. Every row is also rendered with hostile texts: the page and the
// update must stay well-formed, gain no element, and show the text as it was.
//
// A family's test file instantiates the suite with its rows:
//
//   const TControlContract kEditContract[] = {{
//       .Name = "Edit",
//       .Make = [](TFormFixture& f) -> TKXCustomControl* { return f.Add<TKXEdit>("Edit1", f.Form); },
//       .Tag = "input",
//       .Attributes = {{"name", "EDIT1"}, {"type", "TEXT"}, {"readonly", kAbsent}},
//       .Styles = {{"border", "1px inset"}},
//       .Posts = {{"typed", "typed", &EditText}},
//       .HostileText = [](TKXCustomControl& c, const std::string& text) { c.SetText(text); },
//       .AsyncType = "KXEDIT",
//       .AsyncFacts = {{"text", "typed"}},
//   }};
//   KX_CONTROL_CONTRACT(Edits, kEditContract);
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "kx/forms/CustomControl.h"
#include "support/TestForms.h"

namespace kx::test {

// An attribute value that says: the attribute must not be there.
inline const std::string kAbsent = "\x01(absent)";

struct TPostedValue {
  // What the browser posts for the control (IKXInputControl::SetValue).
  std::string Posted = {};
  // What Read then gives.
  std::string Expected = {};
  // Reads the property the post changes.
  std::function<std::string(TKXCustomControl&)> Read = {};
};

struct TControlContract {
  // The row's name, part of the test's name: letters and digits only.
  std::string Name = {};
  // Makes the control on f.Form (or a container of it) with the row's properties set.
  std::function<TKXCustomControl*(TFormFixture&)> Make = {};
  // The control's element in the page: its tag (lower case), attribute values (kAbsent: not there) and the
  // declarations of its style (RenderStyle; property -> value).
  std::string Tag = {};
  std::vector<std::pair<std::string, std::string>> Attributes = {};
  std::vector<std::pair<std::string, std::string>> Styles = {};
  // Posted values, applied one after the other.
  std::vector<TPostedValue> Posts = {};
  // Puts text where the control shows it (caption, text, item); empty when it shows none.
  std::function<void(TKXCustomControl&, const std::string&)> HostileText = {};
  // The callback update: its type attribute, then XPath expressions relative to the update's element -> their
  // string value as it stands in the XML ("text" is the child element <text>, "@id" the id; a property's text is
  // HTML-escaped there). Empty AsyncType: the control sends none.
  std::string AsyncType = {};
  std::vector<std::pair<std::string, std::string>> AsyncFacts = {};
};

class TControlContractTest : public ::testing::TestWithParam<TControlContract> {};

// Names the instantiated tests after the rows; a failure prints the row's name.
std::string ContractRowName(const ::testing::TestParamInfo<TControlContract>& info);
void PrintTo(const TControlContract& row, std::ostream* out);

}  // namespace kx::test

#define KX_CONTROL_CONTRACT(Family, rows)                                                        \
  INSTANTIATE_TEST_SUITE_P(Family, TControlContractTest, ::testing::ValuesIn(rows), \
                           ::kx::test::ContractRowName)
