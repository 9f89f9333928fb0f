#include "examples/demo/GalleryRecorder.h"

#include "kx/forms/TestRecorder.h"

namespace kx {

void TGalleryRecorderForm::BuildComponents() {
  BuildGalleryFrame("Test recorder",
                    "Start recording, greet someone, then stop: the memo shows the session as a test unit.", 16, 16);

  BUTTONRECORD = Place<TKXButton>(this, this, "BUTTONRECORD", 16, 56, 140, 25);
  BUTTONRECORD->SetCaption("Start recording");
  BUTTONRECORD->OnClick = [this](TObject*) {
    TKXTestFramework& recorder = StartTestMode();
    recorder.ClearRecording();
    recorder.StartRecording();
    LABELSTATE->SetCaption("Recording");
  };
  BUTTONSTOP = Place<TKXButton>(this, this, "BUTTONSTOP", 168, 56, 140, 25);
  BUTTONSTOP->SetCaption("Stop recording");
  BUTTONSTOP->OnClick = [this](TObject*) {
    TKXTestFramework& recorder = StartTestMode();
    recorder.StopRecording();
    MEMOSOURCE->SetText(recorder.GenereateTestUnit("GalleryRecording"));
    LABELSTATE->SetCaption("Stopped");
  };
  LABELSTATE = Place<TKXLabel>(this, this, "LABELSTATE", 320, 60, 200, 21);
  LABELSTATE->SetCaption("Not recording");

  EDITNAME = Place<TKXEdit>(this, this, "EDITNAME", 16, 96, 292, 21);
  BUTTONGREET = Place<TKXButton>(this, this, "BUTTONGREET", 320, 94, 96, 25);
  BUTTONGREET->SetCaption("Greet");
  BUTTONGREET->OnClick = [this](TObject*) { LABELGREETING->SetCaption("Hello " + EDITNAME->Text()); };
  LABELGREETING = Place<TKXLabel>(this, this, "LABELGREETING", 16, 128, 400, 21);

  MEMOSOURCE = Place<TKXMemo>(this, this, "MEMOSOURCE", 16, 160, 960, 500);
  MEMOSOURCE->SetEditable(false);
  MEMOSOURCE->SetHorizScrollBar(true);
}

}  // namespace kx
