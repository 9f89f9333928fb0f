#include "kx/forms/FormExecution.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "kx/forms/CustomControl.h"
#include "kx/forms/Forms.h"
#include "kx/forms/TestRecorder.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/foundation/KXMessages.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

// The value of the first line of name, which leaves the list; "" when none.
std::string TakeParam(TStrings& params, const std::string& name) {
  const int index = params.IndexOfName(name);
  if (index < 0) return std::string();
  std::string value = params.ValueFromIndex(index);
  params.Delete(index);
  return value;
}

// In one pass, however many lines name has (deleting them one by one moved the rest each time).
void RemoveAll(TStrings& params, const std::string& name) {
  if (params.IndexOfName(name) < 0) return;
  std::vector<std::string> kept;
  for (int i = 0; i < params.Count(); ++i) {
    const std::string& line = params.Strings(i);
    const std::size_t separator = line.find(params.NameValueSeparator());
    if (separator == std::string::npos || params.CompareStrings(line.substr(0, separator), name) != 0)
      kept.push_back(line);
  }
  params.Clear();
  for (const std::string& line : kept) params.Add(line);
}

bool IsShownAndEnabled(TComponent* component) {
  if (IKXBaseControl* control = Supports<IKXBaseControl>(component); control != nullptr && !control->Visible())
    return false;
  if (auto* control = Supports<TControl>(component); control != nullptr && !control->Enabled()) return false;
  return true;
}

// Which controls take posted values: a control that is not shown or not enabled on the page (itself, or a
// container it lies in) posts nothing from a browser, so a value posted for it is forged. A control lies in the
// containers of its parent chain up to the form, and in the container whose list holds it: a grid lists the
// controls of its cells without being their parent.
class TPostingControls {
 public:
  explicit TPostingControls(TComponent& form) : mForm(form) {}

  bool Takes(TComponent* component) {
    if (!IsShownAndEnabled(component)) return false;
    auto* control = Supports<TControl>(component);
    for (TWinControl* parent = control ? control->Parent() : nullptr;
         parent != nullptr && !Supports<IKXForm>(parent); parent = parent->Parent())
      if (!IsShownAndEnabled(parent)) return false;
    if (!mConcealed) {
      mConcealed.emplace();
      if (IKXBaseContainer* form = Supports<IKXBaseContainer>(&mForm)) Conceal(*form, false);
    }
    return !mConcealed->contains(component);
  }

 private:
  // Collects what the lists of the containers below container hold inside a hidden or disabled container.
  void Conceal(IKXBaseContainer& container, bool concealed) {
    for (int i = 0; i < container.KXComponentsCount(); ++i) {
      TComponent* component = container.ContainerComponent(i);
      if (concealed) mConcealed->insert(component);
      if (IKXBaseContainer* inner = Supports<IKXBaseContainer>(component))
        Conceal(*inner, concealed || !IsShownAndEnabled(component));
    }
  }

  TComponent& mForm;
  std::optional<std::unordered_set<const TComponent*>> mConcealed;  // made at the first question
};

std::string FriendlyNameOf(TComponent* component) {
  if (auto* control = Supports<TKXCustomControl>(component)) return control->FriendlyName();
  return component->Name();
}

}  // namespace

std::string TKXFormExecution::FailureMessage(const std::vector<std::string>& lines) {
  std::string joined;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) joined += "\r\n";
    joined += lines[i];
  }
  return Format(RSTrappedException, std::string(lines.size() >= 2 ? "s" : ""), joined);
}

void TKXFormExecution::JoinRepeatedFields(TStrings& params) {
  // The first line of each name, looked up by the name with its letters folded: one scan whatever the number of
  // fields. A list that tells case apart keeps the first line of each spelling under the same folded name.
  struct TFirstLine {
    std::string Name;
    std::size_t Index;
  };
  std::unordered_map<std::string, std::vector<TFirstLine>> firstLines;
  std::vector<std::string> lines;
  lines.reserve(std::size_t(params.Count()));
  for (int i = 0; i < params.Count(); ++i) {
    std::string line = params.Strings(i);
    const std::size_t separator = line.find(params.NameValueSeparator());
    if (separator != std::string::npos && separator > 0) {
      std::string name = line.substr(0, separator);
      std::vector<TFirstLine>& firsts = firstLines[UpperCase(name)];
      auto first = std::find_if(firsts.begin(), firsts.end(),
                                [&](const TFirstLine& f) { return params.CompareStrings(f.Name, name) == 0; });
      if (first == firsts.end()) {
        firsts.push_back(TFirstLine{std::move(name), lines.size()});
      } else if (std::string& joined = lines[first->Index]; joined.size() > first->Name.size() + 1) {
        joined += ',';
        joined.append(line, separator + 1);
        continue;
      }
    }
    lines.push_back(std::move(line));
  }
  params.Clear();
  for (const std::string& line : lines) params.Add(line);
}

void TKXFormExecution::Execute() {
  TStrings& params = mForm.Params();
  std::string action = TakeParam(params, "KX_Action");
  const std::string actionParam = TakeParam(params, "KX_ActionParam");
  const std::string callback = params.Values("callback");

  const std::string widthText = params.Values("KX_width");
  const std::string heightText = params.Values("KX_height");
  if (!widthText.empty() && !heightText.empty()) {
    const int width = PostedWindowSide(widthText, mForm.Width());
    const int height = PostedWindowSide(heightText, mForm.Height());
    mForm.SetBounds(0, 0, width, height);
    if (TKXApplication* application = mForm.WebApplication()) {
      application->SetFormWidth(width);
      application->SetFormHeight(height);
    }
    RemoveAll(params, "KX_width");
    RemoveAll(params, "KX_height");
  }

  if (!callback.empty()) action = callback;
  if (action.empty() && actionParam.empty()) return;

  ApplyPostedValues();

  if (!callback.empty()) {
    if (TKXApplication* application = mForm.WebApplication()) application->PerformCallBack(&mForm, callback);
    return;
  }

  const bool defaultAction = SameText(actionParam, "default");
  if (action.empty()) {
    // The page's own default submit (Enter in a wrapper without a submit
    // element) posts no action: the default action is what it asks for.
    if (defaultAction) mForm.DoDefaultAction();
    return;
  }
  TComponent* component = FindActionComponent(action);
  // The page offers only its submitting controls: any other action was posted by hand.
  if (component == nullptr) throw EKXSubmitRefused(RSNoSubmitComponent);
  IKXBaseComponent* base = Supports<IKXBaseComponent>(component);
  if (base == nullptr || !base->SupportsSubmit()) {
    IKXBaseHTMLComponent* html = Supports<IKXBaseHTMLComponent>(component);
    throw EKXSubmitRefused(Format(RSNoSubmitHandler, html ? html->HTMLName() : component->Name()));
  }
  if (TKXTestFramework* recorder = GTestFramework()) {
    IKXBaseHTMLComponent* html = Supports<IKXBaseHTMLComponent>(component);
    recorder->RecordFormSubmit(std::string(mForm.ClassType().Name), html ? html->HTMLName() : component->Name(),
                               actionParam);
  }
  auto* control = Supports<TControl>(component);
  if (control == nullptr || control->Enabled()) {
    IKXSubmitControl* submit = Supports<IKXSubmitControl>(component);
    TSubmitProc procedure = submit ? submit->getSubmitProc() : TSubmitProc();
    try {
      if (procedure) procedure(actionParam);
    } catch (const EAbort&) {
      // The silent abort ends the submit procedure only.
    }
  }
  if (defaultAction) mForm.DoDefaultAction();
}

TComponent* TKXFormExecution::FindActionComponent(const std::string& action) {
  if (TKXContainerContext* context = mForm.ContainerContext()) {
    TComponent* component = context->GetControlInstance(action);
    if (Supports<IKXBaseHTMLComponent>(component)) return component;
  }
  return mForm.LocateComponent(action);
}

void TKXFormExecution::ApplyPostedValues() {
  TStrings& params = mForm.Params();

  TStringList& hidden = mForm.HiddenFields();
  for (int i = 0; i < hidden.Count(); ++i) {
    const std::string name = hidden.Names(i);
    if (name.empty()) continue;
    const std::string value = params.Values(name);
    if (value.empty()) continue;
    hidden.SetStrings(i, name + hidden.NameValueSeparator() + value);
    RemoveAll(params, name);
  }

  JoinRepeatedFields(params);
  RemoveAll(params, "KX_FormName");
  RemoveAll(params, "KX_FormClass");

  // Guarded: a control's SetValue or change event may free another control.
  struct TTarget {
    std::string Name;
    std::string Value;
    TComponentRef<TComponent> Component;
  };
  std::vector<TTarget> targets;
  std::vector<std::string> multiLines;
  TPostingControls posting(mForm);
  for (int i = 0; i < params.Count(); ++i) {
    const std::string name = params.Names(i);
    if (name.empty()) continue;
    TComponent* component = mForm.LocateComponent(name);
    IKXBaseComponent* base = Supports<IKXBaseComponent>(component);
    if (base == nullptr || !base->SupportsInput()) continue;
    // An upload control hears of an upload it cannot take now, so that it refuses it instead of dropping it.
    if (!posting.Takes(component) && !Supports<IKXUploadControl>(component)) continue;
    if (Supports<IKXMultiInputControl>(component)) {
      const std::string& line = params.Strings(i);
      if (std::find(multiLines.begin(), multiLines.end(), line) != multiLines.end()) continue;
      multiLines.push_back(line);
    } else if (std::any_of(targets.begin(), targets.end(),
                           [component](const TTarget& target) { return target.Component.Get() == component; })) {
      continue;
    }
    targets.push_back(TTarget{name, params.ValueFromIndex(i), component});
  }

  std::vector<std::string> errors;
  bool clientCaused = true;  // every failure is the user's: the log gets a warning, not an error
  std::vector<TComponentRef<TComponent>> changed;
  for (const TTarget& target : targets) {
    TComponent* component = target.Component.Get();
    if (component == nullptr) continue;
    const std::string friendlyName = FriendlyNameOf(component);
    try {
      IKXInputControl* input = Supports<IKXInputControl>(component);
      if (input != nullptr && input->Editable()) {
        if (IKXExInputControl* extended = Supports<IKXExInputControl>(component)) {
          bool valueChanged = false;
          extended->SetValue(target.Value, valueChanged);
          if (valueChanged) changed.emplace_back(component);
        } else {
          input->SetValue(target.Value);
        }
        if (IKXMultiInputControl* multi = Supports<IKXMultiInputControl>(component))
          multi->SetValue(target.Name, target.Value);
        if (TKXTestFramework* recorder = GTestFramework())
          recorder->RecordValueSet(std::string(mForm.ClassType().Name), target.Name, target.Value);
      }
      if (IKXUploadControl* upload = Supports<IKXUploadControl>(component)) upload->NotifyUploadCompleted();
    } catch (const std::exception& e) {
      errors.push_back("  " + friendlyName + ": " + e.what());
      clientCaused = clientCaused && IsClientCaused(e);
    }
  }
  for (const TComponentRef<TComponent>& guarded : changed) {
    TComponent* component = guarded.Get();
    if (component == nullptr) continue;
    const std::string friendlyName = FriendlyNameOf(component);
    try {
      Supports<IKXExInputControl>(component)->ValueChanged();
    } catch (const std::exception& e) {
      errors.push_back("  " + friendlyName + ": " + e.what());
      clientCaused = clientCaused && IsClientCaused(e);
    }
  }
  if (errors.empty()) return;
  if (clientCaused) throw EKXPostedValuesRefused(FailureMessage(errors));
  throw EKXException(FailureMessage(errors));
}

// ---------------------------------------------------------------------------
// TKXForm's execution step

void TKXForm::DoExecuteForm() {
  if (!FPageContext) {
    CreatePageContext();
    FJavaScriptOnce.clear();
  } else {
    FPageContext->Clear(false);
  }
  kx::SetDoRefreshControl(this, false);
  if (ComponentHash().NeedsRefresh()) ComponentHash().Populate(this);
  TKXBaseHTMLForm::DoExecuteForm();
  TKXFormExecution(*this).Execute();
}

}  // namespace kx
