// The program of docs/GUIDE.md: a controller, a per-session data module and eight forms, one laid out by an HTML
// template (Templates/GuideTemplateForm.html, copied beside the program), and the page shown after "Log out"
// (wwwroot/bye.html, copied beside it too).
//   guide [--port N] [--bind ADDR] [--session-timeout MINUTES] [--max-body MB] [--quiet-errors]
//   (kx/hosts/RunStandAlone.h)
#include "GuideController.h"
#include "GuideForms.h"
#include "kx/hosts/RunStandAlone.h"

int main(int argc, char** argv) { return kx::RunStandAlone<kx::TGuideController, kx::TGuideMainForm>(argc, argv); }
