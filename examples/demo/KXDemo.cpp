// The demo program: serves the demo application (examples/demo/DemoForms.h) on the stand-alone server.
//   kx_demo [--port N] [--bind ADDR] [--session-timeout MINUTES]   (kx/hosts/RunStandAlone.h)
// Without --port it listens on the controller's port 8888, or the one "port.ini" beside the program names.
#include "examples/demo/DemoForms.h"
#include "examples/demo/DemoServerController.h"
#include "kx/hosts/RunStandAlone.h"

int main(int argc, char** argv) { return kx::RunStandAlone<kx::TDemoServerController, kx::TMainForm>(argc, argv); }
