// The page services' contract rows: each is rendered with the form, puts no element into the page and sends no
// update element (its script goes to the page's start-up code or the callback answer).
#include "kx/controls/pageservices/PageServices.h"
#include "support/ControlContract.h"

namespace kx::test {
namespace {

const TControlContract kPageServicesContract[] = {
    {.Name = "Timer",
     .Make = [](TFormFixture& f) -> TComponent* { return f.Add<TKXTimer>("Timer1", nullptr); }},
    {.Name = "Monitor",
     .Make = [](TFormFixture& f) -> TComponent* { return f.Add<TKXMonitor>("Monitor1", nullptr); }},
    {.Name = "AJAXNotifier",
     .Make = [](TFormFixture& f) -> TComponent* { return f.Add<TKXAJAXNotifier>("Notifier1", nullptr); }},
    {.Name = "ModalWindowShown",
     .Make = [](TFormFixture& f) -> TComponent* {
       auto* window = f.Add<TKXModalWindow>("Window1", nullptr);
       window->SetTitle("Title");
       window->Show();
       return window;
     }},
};
KX_CONTROL_CONTRACT(PageServices, kPageServicesContract);

}  // namespace
}  // namespace kx::test
