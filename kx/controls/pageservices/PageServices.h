// Page services: components of a form that put no markup into the page but start-up script, and answer
// callbacks named after them (HTML name + "." + handler):
// - TKXTimer fires a submit (OnTimer) or a callback (OnAsyncTimer) every Interval milliseconds;
// - TKXMonitor polls the session's status value ("/$/QueryStatus") until it reaches TargetValue, then fires once;
// - TKXAJAXNotifier lets code running in a callback make the browser call back once more (OnNotify);
// - TKXModalWindow shows a modal dialog (title, buttons, a control of the page, an image or an HTML page) and
//   reports its closing and button clicks through callbacks.
#pragma once

#include <cstdint>
#include <string>

#include "kx/controls/ControlFamily.h"
#include "kx/forms/BaseControls.h"
#include "kx/forms/ControlInterfaces.h"
#include "kx/forms/CustomControl.h"
#include "kx/forms/Forms.h"

namespace kx {

class IKXCallBackResponse;

// What the page services share: their callbacks and the place their script goes.
class TKXPageService : public TKXBaseHTML40Component, public virtual IKXResyncEvents {
  KX_COMPONENT_CLASS(TKXPageService, TKXBaseHTML40Component)

 public:
  // Registers the callbacks the assigned events need (RegisterServiceCallBacks).
  void RegisterAsyncEvents(TKXApplication* application) override;

 protected:
  // Registers name (HTMLName + "." + method) to run method on this component while it lives.
  template <class TService>
  void RegisterCallBack(TKXApplication* application, const std::string& method,
                        void (TService::*handler)(TStrings& params)) {
    if (application == nullptr) return;
    TComponentRef<TService> self(static_cast<TService*>(this));
    application->RegisterCallBack(HTMLName() + "." + method, [self, handler](TStrings& params) {
      if (self) (self.Get()->*handler)(params);
    });
  }
  // The callbacks of the assigned events; nothing here.
  virtual void RegisterServiceCallBacks(TKXApplication* application) { (void)application; }
  // The session of context (or of the current thread).
  static TKXApplication* ApplicationOf(TKXCompContext* context);
  // The page's last start-up code, or the scripts the callback answer runs.
  static void AddPageScript(TKXCompContext* context, const std::string& script);
  static void AddCallBackScript(TKXCompContext* context, const std::string& script);
};

class TKXTimer : public TKXPageService, public virtual IKXSubmitControl {
  KX_COMPONENT_CLASS(TKXTimer, TKXPageService)

 public:
  // True by default; a change is sent with the next callback answer.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  // 1000 ms by default; below 1 the timer does not run. A change is sent with the next callback answer.
  std::int32_t Interval() const { return FInterval; }
  void SetInterval(std::int32_t value);
  // A tick submits the form (OnTimer) unless OnAsyncTimer is set, which makes it a callback.
  TKXAsyncEvent OnAsyncTimer;
  TNotifyEvent OnTimer;

  // A tick's callback: while enabled the timer is sent again (the browser re-arms it) and OnAsyncTimer runs.
  void DoOnAsyncTimer(TStrings& params);
  // "KX.setTimer(\"N\", true, interval, async);" or, when it does not run, "KX.setTimer(\"N\", false);".
  std::string TimerScript();

  // ---- IKXSubmitControl: a tick's submit.
  void Submit(const std::string& value) override;
  TSubmitProc getSubmitProc() override;
  std::string GetSubmitParam() override { return FSubmitParam; }

  void RenderScripts(TKXCompContext* context) override;
  // Sends the script as a script of the answer; no update element.
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 protected:
  void RegisterServiceCallBacks(TKXApplication* application) override;

 private:
  bool Runs() const { return FEnabled && FInterval >= 1; }

  std::string FSubmitParam;
  bool FEnabled = true;
  std::int32_t FInterval = 1000;
};

class TKXMonitor : public TKXPageService, public virtual IKXSubmitControl {
  KX_COMPONENT_CLASS(TKXMonitor, TKXPageService)

 public:
  // 100 by default: the status value that fires the monitor (reached when the value is at least this).
  std::int32_t TargetValue() const { return FTargetValue; }
  void SetTargetValue(std::int32_t value);
  // Milliseconds after which the browser stops polling; 0 (the default) for never.
  std::int32_t Timeout() const { return FTimeout; }
  void SetTimeout(std::int32_t value);
  // True by default: false keeps the monitor in the page without polling.
  bool Active() const { return FActive; }
  void SetActive(bool value);
  // True by default; firing turns it off.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  // 2000 ms by default.
  std::int32_t Interval() const { return FInterval; }
  void SetInterval(std::int32_t value);
  TKXAsyncEvent OnAsyncEvent;
  TNotifyEvent OnEvent;

  // While enabled: disables the monitor, then OnAsyncEvent.
  void DoOnAsyncEvent(TStrings& params);
  // "KX.Session.setMonitor(...)" or, when disabled, "KX.Session.deleteMonitor(\"N\");".
  std::string MonitorScript();

  // ---- IKXSubmitControl: while enabled disables the monitor, then OnEvent.
  void Submit(const std::string& value) override;
  TSubmitProc getSubmitProc() override;
  std::string GetSubmitParam() override { return FSubmitParam; }

  void RenderScripts(TKXCompContext* context) override;
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 protected:
  void RegisterServiceCallBacks(TKXApplication* application) override;

 private:
  bool Runs() const { return FEnabled && FInterval >= 1; }
  template <class T>
  void Change(T& field, T value) {
    if (field == value) return;
    field = value;
    SetDoRefreshControl(true);
  }

  std::int32_t FTargetValue = 100;
  std::int32_t FTimeout = 0;
  bool FActive = true;
  std::string FSubmitParam;
  bool FEnabled = true;
  std::int32_t FInterval = 2000;
};

class TKXAJAXNotifier : public TKXPageService, public virtual IKXAJAXNotifier {
  KX_COMPONENT_CLASS(TKXAJAXNotifier, TKXPageService)

 public:
  TNotifyEvent OnNotify;

  // Only inside a callback (else EKXException "You only can use TKXAJAXNotifier in Async calls."): makes this the
  // form's notifier; the answer then asks the browser for the "DoOnNotify" callback.
  void Notify();
  // The second callback: OnNotify once per Notify.
  void DoOnNotify(TStrings& params);

  bool NotificationPending() const override { return FSendNotification; }
  // Registers the callback.
  void RenderScripts(TKXCompContext* context) override;

 protected:
  void RegisterServiceCallBacks(TKXApplication* application) override;

 private:
  bool FSendNotification = false;
};

enum TKXSizeUnit : std::uint8_t { suPercent, suPixel };

class TKXModalWindow : public TKXPageService {
  KX_COMPONENT_CLASS(TKXModalWindow, TKXPageService)

 public:
  // True by default: a disabled window never shows.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value) { FEnabled = value; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& value) { FTitle = value; }
  // 0 by default: the window takes its content's size.
  std::int32_t WindowWidth() const { return FWindowWidth; }
  void SetWindowWidth(std::int32_t value) { FWindowWidth = value; }
  std::int32_t WindowHeight() const { return FWindowHeight; }
  void SetWindowHeight(std::int32_t value) { FWindowHeight = value; }
  // -1 by default: centred.
  std::int32_t WindowLeft() const { return FWindowLeft; }
  void SetWindowLeft(std::int32_t value) { FWindowLeft = value; }
  std::int32_t WindowTop() const { return FWindowTop; }
  void SetWindowTop(std::int32_t value) { FWindowTop = value; }
  // suPercent by default: the unit of WindowWidth and WindowHeight.
  TKXSizeUnit SizeUnit() const { return FSizeUnit; }
  void SetSizeUnit(TKXSizeUnit value) { FSizeUnit = value; }
  // True by default.
  bool RenderStyles() const { return FRenderStyles; }
  void SetRenderStyles(bool value) { FRenderStyles = value; }
  bool Autosize() const { return FAutoSize; }
  void SetAutosize(bool value) { FAutoSize = value; }
  // True by default: the title bar moves the window.
  bool Draggable() const { return FDraggable; }
  void SetDraggable(bool value) { FDraggable = value; }
  // False by default: with it the window stays inside the browser window while dragged.
  bool DragConstraint() const { return FDragConstraint; }
  void SetDragConstraint(bool value) { FDragConstraint = value; }
  // A control of the page shown inside the window (not owned; forgotten when freed). A component that is no
  // HTML 4.0 control raises Exception "ContentElement must implement IKXHTML40Control interface". Clears Src.
  TComponent* ContentElement() const { return FContentElement.Get(); }
  void SetContentElement(TComponent* value);
  // An image or HTML page shown in the window: a bare file name is resolved against the application's URL, a
  // text with "/" is used as it is. Clears ContentElement.
  const std::string& Src() const { return FSrc; }
  void SetSrc(const std::string& value);
  // The captions of the window's buttons.
  TStringList& Buttons() { return FButtons; }
  void SetButtons(const TStrings& value) { FButtons.Assign(&value); }
  // The button clicked last; -1 before any.
  std::int32_t ButtonIndex() const { return FButtonIndex; }
  // Whether a Show waits for the next rendering.
  bool ShowPending() const { return FVisible; }
  TKXAsyncEvent OnAsyncClose;
  TKXAsyncEvent OnAsyncClick;

  // Shows the window with the next page or callback answer (once).
  void Show();
  // The defaults of every property but Title and Src.
  void Reset();
  // The window closed: OnAsyncClose while enabled.
  void DoOnAsyncClose(TStrings& params);
  // A button: ButtonIndex from the parameter "ButtonIndex" (-1 when it is no number), then OnAsyncClick.
  void DoOnAsyncClick(TStrings& params);
  // The script that opens the window when a show is pending and the window is enabled; empty otherwise.
  std::string GetInitCode(TKXApplication* application);

  void RenderScripts(TKXCompContext* context) override;
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 protected:
  void AfterConstruction() override;
  void RegisterServiceCallBacks(TKXApplication* application) override;

 private:
  // Registers the callbacks, takes the script and consumes the pending show.
  std::string TakeShowScript(TKXCompContext* context);

  bool FEnabled = true;
  std::int32_t FWindowWidth = 0;
  std::int32_t FWindowTop = -1;
  std::int32_t FWindowLeft = -1;
  std::string FTitle;
  TKXSizeUnit FSizeUnit = suPercent;
  std::int32_t FWindowHeight = 0;
  bool FAutoSize = true;
  bool FDragConstraint = false;
  bool FDraggable = true;
  TComponentRef<TComponent> FContentElement;
  bool FRenderStyles = true;
  std::string FSrc;
  TStringList FButtons;
  bool FVisible = false;
  std::int32_t FButtonIndex = -1;
};

// The family's registration (the page services and their script), listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& PageServicesFamily();

}  // namespace kx
