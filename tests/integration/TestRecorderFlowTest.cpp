// The test recorder through the entry point: a session of the sample application recorded while a browser types
// and clicks, the lines and the test source it yields, and their replay against an in-process test session.
#include "kx/forms/TestRecorder.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "kx/appserver/Sessions.h"
#include "kx/foundation/KXExceptions.h"
#include "support/PacketFlow.h"
#include "support/Raised.h"
#include "support/RecorderSample.h"

namespace kx {
namespace {

using test::TRecorderSampleForm;

class TestRecorderFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetAsMainForm<TRecorderSampleForm>();
    mController.emplace();
    mRecorder = &StartTestMode();
    test::LastGreeting().clear();
  }
  void TearDown() override { mController.reset(); }

  TRecorderSampleForm* Form(const test::TPacketClient& client) const {
    TKXApplication* session = SessionStore()->LookUp(client.Id());
    return session ? dynamic_cast<TRecorderSampleForm*>(session->GetActiveForm()) : nullptr;
  }
  TRecorderSampleForm* Form() const { return Form(mClient); }

  // The post of a browser that typed text into the edit and pressed the button.
  void TypeAndPress(test::TPacketClient& client, const std::string& text) {
    TRecorderSampleForm* form = Form(client);
    client.Send("POST", "/$/", "",
                {"EDIT1=" + text, "BUTTON1=", "KX_FormName=" + form->Name(), "KX_FormClass=TRecorderSampleForm",
                 "KX_FormID_=" + form->FormId(), "KX_Action=BUTTON1", "KX_ActionParam=",
                 "KX_SessionID_=" + client.Id(), "KX_TrackID_=" + client.Track()});
  }
  void TypeAndPress(const std::string& text) { TypeAndPress(mClient, text); }

  // Runs action as a handler of the browser's session runs: with that session current.
  static void AsSessionOf(const test::TPacketClient& client, const std::function<void()>& action) {
    SetWebApplication(SessionStore()->LookUp(client.Id()));
    action();
    SetWebApplication(nullptr);
  }

  std::optional<test::TTempController> mController;
  TKXTestFramework* mRecorder = nullptr;
  test::TPacketClient mClient;
};

TEST_F(TestRecorderFlowTest, RecordsTypingAndPressingAsLinesOfTheLibrarysApi) {
  mClient.OpenMainForm();
  ASSERT_NE(Form(), nullptr);
  TypeAndPress("before");
  EXPECT_TRUE(mRecorder->RecordedLines().empty());

  mRecorder->StartRecording();
  TypeAndPress("say \"hi\"");
  mRecorder->StopRecording();
  TypeAndPress("after");
  EXPECT_EQ(mRecorder->RecordedLines(),
            (std::vector<std::string>{
                "kx::InputInterface(kx::ActiveForm(*session, \"TRecorderSampleForm\"), \"EDIT1\")"
                ".SetValue(\"say \\\"hi\\\"\");",
                "kx::TestFramework().SubmitForm(kx::ActiveForm(*session, \"TRecorderSampleForm\"), \"BUTTON1\");"}));

  const std::string source = mRecorder->GenereateTestUnit("Greeting");
  EXPECT_NE(source.find("class TGreeting : public ::testing::Test {\r\n"), std::string::npos) << source;
  EXPECT_NE(source.find("TEST_F(TGreeting, Test) {\r\n  kx::TKXTestSession session = kx::TestFramework()"
                        ".NewSession(\"\");\r\n  kx::InputInterface("),
            std::string::npos)
      << source;
  // An empty recording still makes a complete test.
  mRecorder->ClearRecording();
  EXPECT_TRUE(mRecorder->RecordedLines().empty());
  EXPECT_NE(mRecorder->GenereateTestUnit("Nothing").find("NewSession(\"\");\r\n}\r\n"), std::string::npos);
}

// A session that records holds its own steps only; no other session stops, clears or reads its recording, and the
// recording ends with the session.
TEST_F(TestRecorderFlowTest, ASessionRecordsItsOwnStepsOnly) {
  test::TPacketClient other;
  mClient.OpenMainForm();
  other.OpenMainForm();
  AsSessionOf(mClient, [this] { mRecorder->StartRecording(); });
  TypeAndPress(other, "other's secret");
  TypeAndPress("mine");
  AsSessionOf(other, [this] {
    EXPECT_FALSE(mRecorder->IsRecording());
    EXPECT_TRUE(mRecorder->RecordedLines().empty());
    mRecorder->StopRecording();
    mRecorder->ClearRecording();
  });
  TypeAndPress("still mine");
  AsSessionOf(mClient, [this] {
    EXPECT_TRUE(mRecorder->IsRecording());
    const std::vector<std::string> lines = mRecorder->RecordedLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_NE(lines[0].find("SetValue(\"mine\")"), std::string::npos) << lines[0];
    EXPECT_NE(lines[2].find("SetValue(\"still mine\")"), std::string::npos) << lines[2];
  });
  // The program has recorded nothing of it; once the session ends, nothing records.
  EXPECT_FALSE(mRecorder->IsRecording());
  EXPECT_TRUE(mRecorder->RecordedLines().empty());
  ASSERT_TRUE(SessionStore()->Terminate(mClient.Id()));
  TypeAndPress(other, "after");
  EXPECT_FALSE(mRecorder->IsRecording());
  EXPECT_TRUE(mRecorder->RecordedLines().empty());
  AsSessionOf(other, [this] { EXPECT_TRUE(mRecorder->RecordedLines().empty()); });
}

// A session without a browser, shown its main form, out of the store once freed.
TEST_F(TestRecorderFlowTest, NewSessionMakesATestSession) {
  TKXTestSession session = TestFramework().NewSession("?lang=en");
  ASSERT_NE(session->MainForm(), nullptr);
  EXPECT_EQ(session->GetActiveForm(), session->MainForm());
  EXPECT_EQ(GetWebApplication(), session.get());
  EXPECT_EQ(session->RunParams().Values("lang"), "en");
  EXPECT_EQ(session->Browser()->ClassType().Name, "TInternetExplorer");
  // The form's own Submit goes through the recorder in test mode (the recorded lines run in tests/recorder/).
  auto* form = dynamic_cast<TRecorderSampleForm*>(session->MainForm());
  form->Edit1->SetValue("again");
  form->Submit(form->Button1);
  EXPECT_EQ(test::LastGreeting(), "Hello again");
  const std::string id = session->AppID();
  session.reset();
  EXPECT_EQ(SessionStore()->LookUp(id), nullptr);
  EXPECT_EQ(GetWebApplication(), nullptr);
}

TEST_F(TestRecorderFlowTest, ReplayRefusesWhatTheFormDoesNotHold) {
  TKXTestSession session = TestFramework().NewSession("");
  TKXBaseForm& form = ActiveForm(*session, "trecordersampleform");
  struct TCase {
    std::function<void()> Action;
    const char* Message;
  };
  const TCase cases[] = {
      {[&] { ActiveForm(*session, "TOtherForm"); }, "The active form is a TRecorderSampleForm, not a TOtherForm."},
      {[&] { InputInterface(form, "NOSUCH"); }, "Cannot find input control NOSUCH."},
      {[&] { InputInterface(form, "LABEL1"); }, "Cannot find input control LABEL1."},
      {[&] { TestFramework().SubmitForm(form, "NOSUCH"); }, "Cannot find submit component."},
      {[&] { TestFramework().SubmitForm(form, "LABEL1"); }, "Submit control (LABEL1) does not have a handler."},
      {[&] { TestFramework().SubmitForm(form, static_cast<IKXSubmitControl*>(nullptr)); },
       "Cannot find submit component."},
      {[&] { mRecorder->GenereateTestUnit("bad name();"); }, "\"bad name();\" is not a valid test name."},
  };
  for (const TCase& row : cases) EXPECT_EQ(test::MessageOf(row.Action), row.Message);
}

TEST(TestRecorderOutsideTestMode, SubmitAndSessionsAreRefused) {
  EXPECT_EQ(GTestFramework(), nullptr);
  EXPECT_EQ(test::MessageOf<EKXException>([] { TestFramework(); }), "Not in test mode.");
  TKXTestFramework recorder;
  EXPECT_EQ(test::MessageOf([&] { recorder.NewSession(""); }), "KX application not properly initialized.");
  // Nothing is recorded while recording is off.
  recorder.RecordValueSet("TForm", "EDIT1", "x");
  recorder.RecordFormSubmit("TForm", "BUTTON1", "");
  EXPECT_TRUE(recorder.RecordedLines().empty());
}

TEST(TestRecorderOutsideTestMode, FormSubmitRaisesAndNewSessionNeedsAMainForm) {
  test::TTempController controller;
  test::LastGreeting().clear();
  TOwnedComponent<TRecorderSampleForm> form(TComponent::Create<TRecorderSampleForm>(nullptr));
  EXPECT_EQ(test::MessageOf<EKXException>([&] { form->Submit(form->Button1); }), "Not in test mode.");
  EXPECT_EQ(test::LastGreeting(), "");
  EXPECT_EQ(test::MessageOf([] { StartTestMode().NewSession(""); }), "No main form is defined.");
  EXPECT_EQ(GetWebApplication(), nullptr);
}

TEST(CppStringLiteral, EscapesWhatACompilerWouldReadOtherwise) {
  const std::pair<const char*, const char*> cases[] = {
      {"a \"quote\"", "\"a \\\"quote\\\"\""},
      {"back\\slash", "\"back\\\\slash\""},
      {"line\r\nnext\ttab", "\"line\\r\\nnext\\ttab\""},
      {"\x01" "7", "\"\\0017\""},
      {"del\x7F", "\"del\\177\""},
      {"caf\xC3\xA9 \xE2\x82\xAC", "\"caf\xC3\xA9 \xE2\x82\xAC\""},
      {"bad \xFF\xC3", "\"bad \\377\\303\""},
      // No trigraph can form: "??/" would be a backslash to a compiler that reads trigraphs.
      {"what?\?/", "\"what?\\?/\""},
      {"?\?\?=?", "\"?\\?\\?=?\""},
  };
  for (const auto& [text, literal] : cases) EXPECT_EQ(CppStringLiteral(text), literal) << text;
  EXPECT_EQ(CppStringLiteral(std::string("nul\0x", 5)), "\"nul\\000x\"");
}

}  // namespace
}  // namespace kx
