// The test recorder: while recording is on, form execution reports every value a user posts into a control and
// every submit; the recording becomes the source of a GoogleTest test written in this library's API, which replays
// the steps against an in-process session (NewSession) that has no browser. The recorder lives in the runtime once
// a program turns test mode on (StartTestMode); outside test mode GTestFramework() is nullptr, nothing is recorded
// and TKXBaseForm::Submit raises "Not in test mode.".
// Builds on forms/Forms.h and appserver/Application.h.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "kx/appserver/Application.h"
#include "kx/forms/ControlInterfaces.h"
#include "kx/forms/Forms.h"

namespace kx {

// A session without a browser connection: the browser counts as Internet Explorer 8, the address as loopback.
class TKXTestApplication : public TKXApplication {
  KX_COMPONENT_CLASS(TKXTestApplication, TKXApplication)

 public:
  TKXTestApplication();
  // The form NewSession made (or the controller's OnGetMainForm gave); nullptr once it is freed.
  TKXBaseForm* MainForm() const { return FMainForm.Get(); }

 private:
  friend class TKXTestFramework;
  TComponentRef<TKXBaseForm> FMainForm;
};

// Takes a test session out of the session store and frees it, as the store frees any session.
struct TKXTestSessionFree {
  void operator()(TKXTestApplication* session) const noexcept;
};
using TKXTestSession = std::unique_ptr<TKXTestApplication, TKXTestSessionFree>;

// One recording: whether it is on, and the recorded lines of test code, oldest first.
struct TKXRecordingSteps {
  bool Recording = false;
  std::vector<std::string> Lines;
};

// A recording belongs to whoever starts it. Called in a session (the calling thread's current application), the
// recording members act on that session's own recording: it holds the steps of that session only, no other session
// stops, clears or reads it, and it ends with the session. Called outside any session (the program itself, such as
// a test harness), they act on the program's recording, which holds the steps of every session.
class TKXTestFramework {
 public:
  void StartRecording();
  void StopRecording();
  bool IsRecording() const;
  void ClearRecording();
  // The recorded lines of test code, oldest first.
  std::vector<std::string> RecordedLines() const;

  // While recording: the line that gives the control of that HTML or input name on the active form (which must
  // be of class formClassName) the value; it goes to the current session's recording and to the program's.
  void RecordValueSet(const std::string& formClassName, const std::string& controlName, const std::string& value);
  // While recording: the line that submits the control of that HTML name on the active form, as RecordValueSet.
  // extra is not used.
  void RecordFormSubmit(const std::string& formClassName, const std::string& controlName, const std::string& extra);

  // Replays a submit: the submit control's Submit with an empty parameter. Raises Exception "Cannot find submit
  // component." for nullptr or a name the form does not know, and "Submit control (NAME) does not have a handler."
  // for a control that does not submit.
  void SubmitForm(TKXBaseForm& form, IKXSubmitControl* submitControl);
  void SubmitForm(TKXBaseForm& form, const std::string& controlName);

  // The source of a test file: the fixture "T" + unitName with SetUp and TearDown to fill in, and the test "Test"
  // that opens a session and runs the recorded lines. Lines end with CR LF. Raises Exception when unitName is not
  // an identifier.
  std::string GenereateTestUnit(const std::string& unitName) const;

  // A session for runParams (query text) that is the calling thread's current application: the controller's
  // OnNewSession runs, then its OnGetMainForm may give the main form, else one of the registered main-form class is
  // made; the main form is shown. Raises Exception "KX application not properly initialized." without a server
  // controller and "No main form is defined." without a main form.
  TKXTestSession NewSession(const std::string& runParams);

 private:
  // The caller's own recording (nullptr for a session that has none yet, unless make makes it), with the lock
  // the program's recording needs held.
  struct TOwnRecording {
    std::unique_lock<std::mutex> Lock;
    TKXRecordingSteps* Steps = nullptr;
  };
  TOwnRecording OwnRecording(bool make) const;
  // Whether a line recorded now is kept: the current session's recording or the program's is on.
  bool Recording() const;
  void Record(const std::string& line);

  // The program's recording.
  mutable std::mutex mLock;
  mutable TKXRecordingSteps mProgramRecording;
};

// The calling thread runtime's recorder (GTestFramework); nullptr outside test mode.
TKXTestFramework* GTestFramework();
// Turns test mode on in the calling thread's runtime: makes its recorder unless it has one (safe while requests
// run), and returns it.
TKXTestFramework& StartTestMode();
// The recorder; raises EKXException "Not in test mode." outside test mode.
TKXTestFramework& TestFramework();

// What recorded lines call. The active form of session; raises Exception when there is none or when it is not of
// the class named formClassName (ignoring case).
TKXBaseForm& ActiveForm(TKXApplication& session, std::string_view formClassName);
// The input control of that HTML or input name on form; raises Exception "Cannot find input control NAME." otherwise.
IKXInputControl& InputInterface(TKXBaseForm& form, const std::string& controlName);

// text as a C++ string literal in double quotes: backslash, quote and control characters escaped (bytes that are
// not UTF-8 too, as octal escapes, which never run into the next character), and "??" written "?\?".
std::string CppStringLiteral(std::string_view text);

}  // namespace kx
