// The gallery page of the services for long work: a job that runs inside a callback for two seconds, raising the
// session's status value step by step. Meanwhile the progress indicator covers the page, the monitor polls the
// status value until it reaches 100, and the AJAX notifier, armed by the job, makes the browser call back once more
// after the job's answer.
#pragma once

#include <string>

#include "examples/demo/Gallery.h"
#include "kx/controls/labels/Labels.h"
#include "kx/controls/pageservices/PageServices.h"
#include "kx/controls/progress/Progress.h"

namespace kx {

class TGalleryServicesForm : public TGalleryForm {
  KX_COMPONENT_CLASS(TGalleryServicesForm, TGalleryForm)

 public:
  TKXProgressIndicator* INDICATOR1 = nullptr;
  TKXMonitor* MONITOR1 = nullptr;
  TKXAJAXNotifier* NOTIFIER1 = nullptr;
  TKXButton* BUTTONJOB = nullptr;
  TKXLabel* LABELJOB = nullptr;
  TKXLabel* LABELMONITOR = nullptr;
  TKXLabel* LABELNOTIFY = nullptr;

  // The job's steps: the status value goes up by 100 / kJobSteps every kJobStepMs milliseconds.
  static constexpr int kJobSteps = 10;
  static constexpr int kJobStepMs = 200;

 protected:
  void BuildComponents() override;

 private:
  void RunJob();
  int FRuns = 0;
};

}  // namespace kx
