// Records a session of the sample application as a browser would drive it (the edit typed into, the button
// pressed) and writes the test source the recorder generates into the file named by the first argument.
#include <cstdio>
#include <exception>
#include <fstream>

#include "kx/appserver/Sessions.h"
#include "support/PacketFlow.h"
#include "support/RecorderSample.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <test source to write>\n", argv[0]);
    return 2;
  }
  try {
    kx::test::TRecorderSampleApp app;
    kx::TKXTestFramework& recorder = kx::TestFramework();
    kx::test::TPacketClient browser;
    browser.OpenMainForm();
    kx::TKXApplication* session = kx::SessionStore()->LookUp(browser.Id());
    auto* form = session ? dynamic_cast<kx::test::TRecorderSampleForm*>(session->GetActiveForm()) : nullptr;
    if (form == nullptr) throw kx::Exception("the sample's main form did not open");
    recorder.StartRecording();
    browser.Send("POST", "/$/", "",
                 {std::string("EDIT1=") + kx::test::kRecordedValue, "BUTTON1=", "KX_FormName=" + form->Name(),
                  "KX_FormClass=TRecorderSampleForm", "KX_FormID_=" + form->FormId(), "KX_Action=BUTTON1",
                  "KX_ActionParam=", "KX_SessionID_=" + browser.Id(), "KX_TrackID_=" + browser.Track()});
    recorder.StopRecording();
    if (kx::test::LastGreeting() != kx::test::ExpectedGreeting())
      throw kx::Exception("the recorded session did not greet: \"" + kx::test::LastGreeting() + "\"");
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << recorder.GenereateTestUnit("RecordedSample");
    if (!out.flush()) throw kx::Exception(std::string("cannot write ") + argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "recording failed: %s\n", e.what());
    return 1;
  }
  return 0;
}
