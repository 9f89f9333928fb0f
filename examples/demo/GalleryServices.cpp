#include "examples/demo/GalleryServices.h"

#include <chrono>
#include <thread>

namespace kx {

void TGalleryServicesForm::BuildComponents() {
  BuildGalleryFrame("Long jobs",
                    "Run the job: the indicator covers the page, the monitor sees it end, the notifier calls back.", 16,
                    16);

  INDICATOR1 = TComponent::Create<TKXProgressIndicator>(this);
  INDICATOR1->SetName("INDICATOR1");
  INDICATOR1->SetMode(pimBoth);
  INDICATOR1->ProgressTextSettings().SetText("The job is running...");
  SetProgressIndicator(INDICATOR1);

  MONITOR1 = TComponent::Create<TKXMonitor>(this);
  MONITOR1->SetName("MONITOR1");
  MONITOR1->SetInterval(300);
  MONITOR1->SetTargetValue(100);
  // Polls from the page's start; firing turns it off until the next run. The status starts from 0 on every visit.
  WebApplication()->SetStatus(0);
  MONITOR1->OnAsyncEvent = [this](TObject*, TStrings&) {
    LABELMONITOR->SetCaption("The monitor saw the status reach " + std::to_string(WebApplication()->Status()) + ".");
  };

  NOTIFIER1 = TComponent::Create<TKXAJAXNotifier>(this);
  NOTIFIER1->SetName("NOTIFIER1");
  NOTIFIER1->OnNotify = [this](TObject*) {
    LABELNOTIFY->SetCaption("Notified after run " + std::to_string(FRuns) + ": the browser called back once more.");
  };

  BUTTONJOB = Place<TKXButton>(this, this, "BUTTONJOB", 16, 56, 200, 25);
  BUTTONJOB->SetCaption("Run a two-second job");
  BUTTONJOB->OnAsyncClick = [this](TObject*, TStrings&) { RunJob(); };
  LABELJOB = Place<TKXLabel>(this, this, "LABELJOB", 16, 96, 600, 21);
  LABELJOB->SetCaption("The job has not run yet.");
  LABELMONITOR = Place<TKXLabel>(this, this, "LABELMONITOR", 16, 124, 600, 21);
  LABELMONITOR->SetCaption("The monitor waits for the status to reach 100.");
  LABELNOTIFY = Place<TKXLabel>(this, this, "LABELNOTIFY", 16, 152, 600, 21);
  LABELNOTIFY->SetCaption("No notification yet.");
}

// Runs in the click's callback: the session stays busy, while its status value, which the monitor polls without
// waiting for the session, goes up.
void TGalleryServicesForm::RunJob() {
  TKXApplication* application = WebApplication();
  application->SetStatus(0);
  MONITOR1->SetEnabled(true);
  for (int step = 1; step <= kJobSteps; ++step) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kJobStepMs));
    application->SetStatus(step * 100 / kJobSteps);
  }
  ++FRuns;
  LABELJOB->SetCaption("Run " + std::to_string(FRuns) + " of the job is done.");
  NOTIFIER1->Notify();
}

}  // namespace kx
