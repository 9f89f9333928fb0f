#include "kx/forms/TestRecorder.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/ServerController.h"
#include "kx/appserver/Sessions.h"
#include "kx/forms/ControlInterfaces.h"
#include "kx/forms/Forms.h"
#include "kx/foundation/Browsers.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/foundation/KXMessages.h"
#include "kx/platform/SysUtils.h"
#include "kx/platform/Utf8.h"

namespace kx {

namespace {

// The runtime's slot that holds the recorder once test mode is on. A page may turn test mode on while other
// requests run, so the recorder is made once and published atomically.
struct TKXTestMode {
  std::once_flag Made;
  std::unique_ptr<TKXTestFramework> Owned;
  std::atomic<TKXTestFramework*> Recorder{nullptr};
};

const char* const kLineEnd = "\r\n";

// A session's own recording: owned by the session, so it ends with it, and touched only by the requests that hold
// the session's lock.
class TKXSessionRecording : public TComponent {
  KX_COMPONENT_CLASS(TKXSessionRecording, TComponent)

 public:
  TKXRecordingSteps Steps;
};

// The session's recording; made on first use when make is set, else nullptr without one.
TKXRecordingSteps* SessionRecording(TKXApplication& session, bool make) {
  for (int i = 0; i < session.ComponentCount(); ++i) {
    if (auto* recording = dynamic_cast<TKXSessionRecording*>(session.Components(i))) return &recording->Steps;
  }
  return make ? &TComponent::Create<TKXSessionRecording>(&session)->Steps : nullptr;
}

void AppendOctal(std::string& out, unsigned char byte) {
  char escape[5];
  std::snprintf(escape, sizeof escape, "\\%03o", unsigned(byte));
  out += escape;
}

}  // namespace

// ---------------------------------------------------------------------------
// TKXTestApplication

TKXTestApplication::TKXTestApplication()
    : TKXApplication(std::make_unique<TInternetExplorer>(8.0f), nullptr, nullptr, "127.0.0.1", "", "", "/") {}

void TKXTestSessionFree::operator()(TKXTestApplication* session) const noexcept {
  if (session == nullptr) return;
  try {
    if (TKXSessions* store = SessionStore()) {
      store->RemoveAndFree(session);
    } else {
      session->Unlock();
      session->Free();
    }
  } catch (...) {
    // A deleter must not raise; the session is gone all the same.
  }
  if (GetWebApplication() == session) SetWebApplication(nullptr);
}

// ---------------------------------------------------------------------------
// Recording

TKXTestFramework::TOwnRecording TKXTestFramework::OwnRecording(bool make) const {
  if (TKXApplication* session = GetWebApplication()) return {{}, SessionRecording(*session, make)};
  return {std::unique_lock(mLock), &mProgramRecording};
}

void TKXTestFramework::StartRecording() { OwnRecording(true).Steps->Recording = true; }

void TKXTestFramework::StopRecording() {
  if (TOwnRecording own = OwnRecording(false); own.Steps) own.Steps->Recording = false;
}

bool TKXTestFramework::IsRecording() const {
  const TOwnRecording own = OwnRecording(false);
  return own.Steps != nullptr && own.Steps->Recording;
}

void TKXTestFramework::ClearRecording() {
  if (TOwnRecording own = OwnRecording(false); own.Steps) own.Steps->Lines.clear();
}

std::vector<std::string> TKXTestFramework::RecordedLines() const {
  const TOwnRecording own = OwnRecording(false);
  return own.Steps ? own.Steps->Lines : std::vector<std::string>();
}

bool TKXTestFramework::Recording() const {
  if (TKXApplication* session = GetWebApplication()) {
    if (const TKXRecordingSteps* steps = SessionRecording(*session, false); steps && steps->Recording) return true;
  }
  std::lock_guard lock(mLock);
  return mProgramRecording.Recording;
}

void TKXTestFramework::Record(const std::string& line) {
  if (TKXApplication* session = GetWebApplication()) {
    if (TKXRecordingSteps* steps = SessionRecording(*session, false); steps && steps->Recording)
      steps->Lines.push_back(line);
  }
  std::lock_guard lock(mLock);
  if (mProgramRecording.Recording) mProgramRecording.Lines.push_back(line);
}

void TKXTestFramework::RecordValueSet(const std::string& formClassName, const std::string& controlName,
                                      const std::string& value) {
  if (!Recording()) return;
  Record("kx::InputInterface(kx::ActiveForm(*session, " + CppStringLiteral(formClassName) + "), " +
         CppStringLiteral(controlName) + ").SetValue(" + CppStringLiteral(value) + ");");
}

void TKXTestFramework::RecordFormSubmit(const std::string& formClassName, const std::string& controlName,
                                        const std::string& extra) {
  (void)extra;
  if (!Recording()) return;
  Record("kx::TestFramework().SubmitForm(kx::ActiveForm(*session, " + CppStringLiteral(formClassName) + "), " +
         CppStringLiteral(controlName) + ");");
}

// ---------------------------------------------------------------------------
// Replaying

void TKXTestFramework::SubmitForm(TKXBaseForm& form, IKXSubmitControl* submitControl) {
  (void)form;
  if (submitControl == nullptr) throw Exception(RSNoSubmitComponent);
  submitControl->Submit("");
}

void TKXTestFramework::SubmitForm(TKXBaseForm& form, const std::string& controlName) {
  TComponent* component = form.LocateComponent(controlName);
  if (component == nullptr) throw Exception(RSNoSubmitComponent);
  IKXSubmitControl* submit = SubmitInterface(component);
  if (submit == nullptr) throw Exception(Format(RSNoSubmitHandler, controlName));
  SubmitForm(form, submit);
}

TKXBaseForm& ActiveForm(TKXApplication& session, std::string_view formClassName) {
  auto* form = Supports<TKXBaseForm>(session.GetActiveForm());
  if (form == nullptr) throw Exception("The session has no active form.");
  if (!SameText(form->ClassType().Name, formClassName))
    throw Exception(Format("The active form is a %s, not a %s.", std::string(form->ClassType().Name),
                           std::string(formClassName)));
  return *form;
}

IKXInputControl& InputInterface(TKXBaseForm& form, const std::string& controlName) {
  IKXInputControl* input = Supports<IKXInputControl>(form.LocateComponent(controlName));
  if (input == nullptr) throw Exception(Format("Cannot find input control %s.", controlName));
  return *input;
}

TKXTestSession TKXTestFramework::NewSession(const std::string& runParams) {
  if (gSC == nullptr) throw Exception("KX application not properly initialized.");
  TKXTestSession session(TComponent::Create<TKXTestApplication>(nullptr));
  SetWebApplication(session.get());
  session->RunParams().SetRawString(runParams);
  gSC->DoNewSession(session.get());

  TComponent* mainForm = nullptr;
  if (gSC->OnGetMainForm) {
    TKXAppForm* given = nullptr;
    gSC->DoGetMainForm(given);
    if (given != nullptr && gAppFormComponent != nullptr) mainForm = gAppFormComponent(given);
  }
  if (mainForm == nullptr) {
    const TComponentClass* mainFormClass = gMainFormClass;
    if (mainFormClass == nullptr || mainFormClass->Create == nullptr) throw Exception("No main form is defined.");
    mainForm = mainFormClass->Create(session.get());
  }
  session->FMainForm = Supports<TKXBaseForm>(mainForm);
  // Recorded lines work on the active form, as the browser's requests did.
  if (IKXForm* shown = Supports<IKXForm>(mainForm)) {
    shown->ForceAlign();
    shown->Show();
  }
  return session;
}

// ---------------------------------------------------------------------------
// The test source

std::string TKXTestFramework::GenereateTestUnit(const std::string& unitName) const {
  if (!IsValidIdent(unitName)) throw Exception(Format("\"%s\" is not a valid test name.", unitName));
  const std::string fixture = "T" + unitName;
  std::string text;
  auto line = [&text](const std::string& content) { text += content + kLineEnd; };
  line("// The recorded test " + unitName + ": what a user did in the browser, replayed against a test session.");
  line("#include <gtest/gtest.h>");
  line("");
  line("#include \"kx/forms/TestRecorder.h\"");
  line("// add form headers here");
  line("");
  line("class " + fixture + " : public ::testing::Test {");
  line(" protected:");
  line("  void SetUp() override {");
  line("    // Setup");
  line("  }");
  line("  void TearDown() override {");
  line("    // Clean up");
  line("  }");
  line("};");
  line("");
  line("TEST_F(" + fixture + ", Test) {");
  line("  kx::TKXTestSession session = kx::TestFramework().NewSession(\"\");");
  for (const std::string& recorded : RecordedLines()) line("  " + recorded);
  line("}");
  return text;
}

std::string CppStringLiteral(std::string_view text) {
  std::string out = "\"";
  std::size_t pos = 0;
  while (pos < text.size()) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    switch (byte) {
      case '\\': out += "\\\\"; ++pos; continue;
      case '"': out += "\\\""; ++pos; continue;
      case '\n': out += "\\n"; ++pos; continue;
      case '\r': out += "\\r"; ++pos; continue;
      case '\t': out += "\\t"; ++pos; continue;
      // A second "?" in a row is escaped, so that no trigraph ("??/" a backslash) can form.
      case '?': out += pos > 0 && text[pos - 1] == '?' ? "\\?" : "?"; ++pos; continue;
      default: break;
    }
    if (byte < 0x20 || byte == 0x7F) {
      AppendOctal(out, byte);
      ++pos;
    } else if (byte < 0x80) {
      out += char(byte);
      ++pos;
    } else {
      const std::size_t start = pos;
      char32_t codePoint;
      if (DecodeUtf8(text, pos, codePoint)) {
        out.append(text.substr(start, pos - start));
      } else {
        pos = start + 1;
        AppendOctal(out, byte);
      }
    }
  }
  out += "\"";
  return out;
}

// ---------------------------------------------------------------------------
// Test mode

TKXTestFramework* GTestFramework() {
  TKXRuntimeSlots* runtime = TKXRuntimeSlots::Current();
  return runtime ? runtime->Slot<TKXTestMode>().Recorder.load(std::memory_order_acquire) : nullptr;
}

TKXTestFramework& StartTestMode() {
  TKXTestMode& mode = TKXRuntimeSlots::Required().Slot<TKXTestMode>();
  std::call_once(mode.Made, [&mode] {
    mode.Owned = std::make_unique<TKXTestFramework>();
    mode.Recorder.store(mode.Owned.get(), std::memory_order_release);
  });
  return *mode.Recorder.load(std::memory_order_acquire);
}

TKXTestFramework& TestFramework() {
  TKXTestFramework* recorder = GTestFramework();
  if (recorder == nullptr) throw EKXException("Not in test mode.");
  return *recorder;
}

}  // namespace kx
