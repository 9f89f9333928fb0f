// HTML templates as a designer writes them, filled in by TKXTemplateProcessorHTML: a form with edits, a label and
// a panel renders any template text into a page or raises its template error ("unclosed control tag"), and renders
// it the same way twice (nothing of one rendering leaks into the next). The template arrives through
// OnBeforeProcess, as an application may supply one.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "kx/appserver/Runtime.h"
#include "kx/appserver/Startup.h"
#include "kx/forms/FormTypes.h"
#include "kx/forms/Forms.h"
#include "kx/forms/TemplateProcessor.h"
#include "kx/platform/Streams.h"
#include "support/FormTestControls.h"

using namespace kx;

namespace {

class TFuzzForm : public TKXForm {
  KX_COMPONENT_CLASS(TFuzzForm, TKXForm)

 public:
  test::TFlowPanel* Panel1 = nullptr;

 protected:
  void BuildComponents() override {
    test::AddControl<test::TFlowEdit>(this, this, "Edit1", 0, 0);
    test::AddControl<test::TFlowLabel>(this, this, "Label1", 0, 30);
    Panel1 = test::AddControl<test::TFlowPanel>(this, this, "Panel1", 0, 90, 200, 100);
    test::AddControl<test::TFlowEdit>(this, Panel1, "Edit2", 5, 5);
  }
};

struct TFixture {
  TFixture() : scope(runtime) {
    Startup();
    InstallForms();
    controller = std::make_unique<test::TTempController>();
    form.reset(TComponent::Create<TFuzzForm>(nullptr));
    processor = TComponent::Create<TKXTemplateProcessorHTML>(form.get());
    form->SetLayoutMgr(processor);
    processor->OnBeforeProcess = [this](std::unique_ptr<TStream>& stream) {
      auto text = std::make_unique<TMemoryStream>();
      if (!templateText.empty()) text->WriteBuffer(templateText.data(), std::int64_t(templateText.size()));
      text->SetPosition(0);
      stream = std::move(text);
    };
  }
  TKXRuntime runtime;
  TKXRuntimeSlots::TScope scope;
  std::unique_ptr<test::TTempController> controller;
  TOwnedComponent<TFuzzForm> form;
  TKXTemplateProcessorHTML* processor = nullptr;
  std::string templateText;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TFixture* fixture = new TFixture;  // lives as long as the process
  fixture->templateText.assign(reinterpret_cast<const char*>(data), size);
  std::string pages[2];
  for (std::string& page : pages) {
    TKXRenderStream stream(true, true);
    try {
      fixture->form->GenerateForm(stream);
    } catch (const Exception&) {
      return 0;
    }
    page = stream.GetAsString();
  }
  fuzz::Check(pages[0] == pages[1], "a template renders the same page twice");
  return 0;
}
