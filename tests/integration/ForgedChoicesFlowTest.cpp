// Posted values that name no item, through the entry point: every list-like control (combo and list boxes, radio
// groups, their data-aware kinds and the look-ups) keeps its selection, and none writes its data field, whether the
// value comes with a full submit or with a callback.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "kx/appserver/ServerSession.h"
#include "kx/appserver/Sessions.h"
#include "kx/appserver/Startup.h"
#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/checks/Checks.h"
#include "kx/controls/dbcontrols/DBListCtrls.h"
#include "kx/controls/dbgrid/DBExtCtrls.h"
#include "kx/controls/lists/Lists.h"
#include "kx/data/MemDataSet.h"
#include "kx/forms/FormTypes.h"
#include "kx/forms/Forms.h"
#include "support/FormTestControls.h"
#include "support/PacketFlow.h"

namespace kx {
namespace {

// One record whose every field holds the second item of its control; Button1 saves it, Button2 calls back.
class TForgedChoicesForm : public TKXForm {
  KX_COMPONENT_CLASS(TForgedChoicesForm, TKXForm)

 public:
  TMemDataSet* Data = nullptr;
  std::vector<TKXCustomControl*> Choices;

 protected:
  void BuildComponents() override {
    Data = TComponent::Create<TMemDataSet>(this);
    for (const char* field : {"combo", "list", "radio", "lkcombo", "lklist"}) Data->AddField(field, ftString);
    Data->Open();
    Data->AddRecord({"b", "b", "b", "2", "2"});
    Data->Refresh();
    auto* source = TComponent::Create<TDataSource>(this);
    source->SetDataSet(Data);
    auto* cities = TComponent::Create<TMemDataSet>(this);
    cities->AddField("key", ftString);
    cities->AddField("name", ftString);
    cities->Open();
    for (const char* key : {"1", "2", "3"}) cities->AddRecord({key, std::string("City ") + key});
    cities->Refresh();
    auto* citiesSource = TComponent::Create<TDataSource>(this);
    citiesSource->SetDataSet(cities);

    int top = 10;
    auto place = [this, &top](auto* control) {
      control->SetBounds(10, top, 160, 60);
      top += 70;
      Choices.push_back(control);
      return control;
    };
    auto items = [](auto* control) {
      for (const char* item : {"a", "b", "c"}) control->Items().Add(item);
      control->SetItemIndex(1);
      return control;
    };
    auto bind = [source](auto* control, const char* field) {
      control->SetDataSource(source);
      control->SetDataField(field);
      return control;
    };
    auto lookup = [citiesSource](auto* control) {
      control->Lookup().SetListSource(citiesSource);
      control->Lookup().SetListField("name");
      control->Lookup().SetKeyField("key");
      return control;
    };
    place(items(test::AddControl<TKXComboBox>(this, this, "Combo1", 0, 0, 0, 0)));
    auto* byValue = place(test::AddControl<TKXComboBox>(this, this, "Combo2", 0, 0, 0, 0));
    byValue->SetItemsHaveValues(true);
    for (const char* item : {"A=a", "B=b", "C=c"}) byValue->Items().Add(item);
    byValue->SetItemIndex(1);
    place(items(test::AddControl<TKXListbox>(this, this, "List1", 0, 0, 0, 0)));
    place(items(test::AddControl<TKXRadioGroup>(this, this, "Group1", 0, 0, 0, 0)));
    place(bind(items(test::AddControl<TKXDBComboBox>(this, this, "DBCombo1", 0, 0, 0, 0)), "combo"));
    place(bind(items(test::AddControl<TKXDBListbox>(this, this, "DBList1", 0, 0, 0, 0)), "list"));
    place(bind(items(test::AddControl<TKXDBRadioGroup>(this, this, "DBGroup1", 0, 0, 0, 0)), "radio"));
    place(lookup(bind(test::AddControl<TKXDBLookupComboBox>(this, this, "Lookup1", 0, 0, 0, 0), "lkcombo")));
    place(lookup(bind(test::AddControl<TKXDBLookupListBox>(this, this, "Lookup2", 0, 0, 0, 0), "lklist")));
    auto* save = test::AddControl<TKXButton>(this, this, "Button1", 200, 10, 75, 25);
    save->OnClick = [this](TObject*) {
      if (Data->State() == dsEdit) Data->Post();
    };
    auto* callBack = test::AddControl<TKXButton>(this, this, "Button2", 200, 40, 75, 25);
    callBack->OnAsyncClick = [](TObject*, TStrings&) {};
  }
};

class ForgedChoicesFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterSessionLayer();
    SetAsMainForm<TForgedChoicesForm>();
    mController = std::make_unique<test::TTempController>([this](TKXServerControllerBase& controller) {
      controller.OnException = [this](TKXApplication*, const std::exception& e, bool&) { mErrors.push_back(e.what()); };
    });
  }
  void TearDown() override { mController.reset(); }

  TForgedChoicesForm* Form() const {
    TKXApplication* session = SessionStore()->LookUp(mClient.Id());
    return session ? dynamic_cast<TForgedChoicesForm*>(session->GetActiveForm()) : nullptr;
  }

  // Every control's field (a radio group's is N_INPUT) with value.
  std::vector<std::string> Fields(const std::string& value) const {
    std::vector<std::string> fields;
    for (TKXCustomControl* control : Form()->Choices) {
      const bool group = dynamic_cast<TKXCustomRadioGroup*>(control) != nullptr;
      fields.push_back(control->HTMLName() + (group ? "_INPUT=" : "=") + value);
    }
    return fields;
  }

  TReplyPacket Submit(const std::vector<std::string>& fields) { return mClient.SubmitForm(*Form(), "BUTTON1", fields); }
  TReplyPacket CallBack(const std::vector<std::string>& fields) {
    return mClient.CallBack(*Form(), "BUTTON2.DoOnAsyncClick", fields);
  }

  // Each control's name and selection, then the record's fields and whether it is being edited.
  std::string State() const {
    std::string state;
    for (TKXCustomControl* control : Form()->Choices) {
      int index = -2;
      if (auto* list = dynamic_cast<TKXCustomListCombo*>(control)) index = list->ItemIndex();
      if (auto* group = dynamic_cast<TKXCustomRadioGroup*>(control)) index = group->ItemIndex();
      state += control->Name() + "=" + std::to_string(index) + " ";
    }
    TDataSet& data = *Form()->Data;
    for (int i = 0; i < data.FieldCount(); ++i)
      state += data.Fields(i).IsNull() ? "null " : data.Fields(i).Text() + " ";
    return state + (data.State() == dsBrowse ? "browsing" : "editing");
  }

  std::unique_ptr<test::TTempController> mController;
  std::vector<std::string> mErrors;
  test::TPacketClient mClient;
};

const char* const kShown = "Combo1=1 Combo2=1 List1=1 Group1=1 DBCombo1=1 DBList1=1 DBGroup1=1 Lookup1=1 Lookup2=1 "
                           "b b b 2 2 browsing";

TEST_F(ForgedChoicesFlowTest, ValuesNamingNoItemChangeNothing) {
  mClient.OpenMainForm();
  ASSERT_NE(Form(), nullptr);
  ASSERT_EQ(State(), kShown);
  for (const char* forged : {"abc", "London'--", "9", "-7", "1x"}) {
    SCOPED_TRACE(forged);
    ASSERT_EQ(Submit(Fields(forged)).Code, 200);
    EXPECT_EQ(State(), kShown);
    ASSERT_EQ(CallBack(Fields(forged)).Code, 200);
    EXPECT_EQ(State(), kShown);
    // A list box's entries are numbers: anything else is its conversion error, reported (and nothing changed).
    for (const std::string& error : mErrors)
      EXPECT_NE(error.find("List1: '" + std::string(forged) + "' is not a valid integer value"), std::string::npos)
          << error;
    mErrors.clear();
  }
}

// What the page offers still goes through: another item, and no selection where the control has one.
TEST_F(ForgedChoicesFlowTest, ValuesNamingAnItemOrNoSelectionStillApply) {
  mClient.OpenMainForm();
  ASSERT_NE(Form(), nullptr);
  std::vector<std::string> fields = Fields("2");
  fields[1] = "COMBO2=c";
  ASSERT_EQ(Submit(fields).Code, 200);
  EXPECT_EQ(State(), "Combo1=2 Combo2=2 List1=2 Group1=2 DBCombo1=2 DBList1=2 DBGroup1=2 Lookup1=2 Lookup2=2 "
                     "c c c 3 3 browsing");
  ASSERT_EQ(CallBack({"COMBO1=-1", "DBCOMBO1=-1", "LIST1=", "DBLIST1=", "LOOKUP1=-1", "LOOKUP2=-1"}).Code, 200);
  EXPECT_EQ(State(), "Combo1=-1 Combo2=2 List1=-1 Group1=2 DBCombo1=-1 DBList1=-1 DBGroup1=2 Lookup1=-1 Lookup2=-1 "
                     "null null c null null editing");
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
}

// The record changes after the page was shown (another request, another part of the program): a post is taken
// against what the field holds now, not against the selection the control was left with, so that nothing stale is
// written back. The look-ups' record holds a key no item has in the last two rows.
TEST_F(ForgedChoicesFlowTest, ARecordChangedAfterTheShowGetsNothingStale) {
  const struct {
    const char* name;
    std::vector<std::string> record;  // combo list radio lkcombo lklist
    std::vector<std::string> posted;  // empty: a value naming no item for every control
  } cases[] = {
      {"a value naming no item", {"c", "c", "c", "3", "3"}, {}},
      {"a value naming no item, keys not on the list", {"c", "c", "c", "9", "9"}, {}},
      {"no selection, keys not on the list", {"c", "c", "c", "9", "9"}, {"LOOKUP1=-1", "LOOKUP2=-1"}},
  };
  for (const auto& c : cases) {
    for (const bool callBack : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (callBack ? ", callback" : ", submit"));
      mClient = test::TPacketClient();
      mClient.OpenMainForm();
      ASSERT_NE(Form(), nullptr);
      ASSERT_EQ(State(), kShown);
      TDataSet& data = *Form()->Data;
      data.Edit();
      for (int i = 0; i < data.FieldCount(); ++i) data.Fields(i).SetText(c.record[i]);
      data.Post();
      const std::vector<std::string> fields = c.posted.empty() ? Fields("9") : c.posted;
      ASSERT_EQ((callBack ? CallBack(fields) : Submit(fields)).Code, 200);
      std::string record;
      for (const std::string& value : c.record) record += value + " ";
      EXPECT_TRUE(State().ends_with(record + "browsing")) << State();
      EXPECT_TRUE(mErrors.empty()) << mErrors.front();
    }
  }
}

}  // namespace
}  // namespace kx
