// Stand-ins for what the forms layer and the callback unit give a session: a form
// that records what the session asks of it, and a callback response that keeps
// its parts as text. Tests of the application object and of session dispatch
// use them until the real forms exist.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "kx/appserver/Application.h"

namespace kx {

class TTestForm : public TComponent, public virtual IKXForm, public virtual IKXHTMLForm {
  KX_COMPONENT_CLASS(TTestForm, TComponent)

 public:
  // Run by ExecuteForm / GenerateForm when set.
  static inline std::function<void(TTestForm& form, const TStrings& params)> OnExecute;
  static inline std::function<void(TTestForm& form)> OnGenerate;

  TKXApplication* Session() const { return dynamic_cast<TKXApplication*>(Owner()); }

  TKXForm* KXForm() override { return nullptr; }
  TKXFormState FormState() const override { return fsCreated; }
  TKXConnectionMode ConnectionMode() const override { return mConnectionMode; }
  bool IsAppForm() const override { return true; }
  void DoShow() override { ++mShowCount; }
  void Show() override {
    if (TKXApplication* session = Session()) session->SetActiveForm(this);
  }
  void ForceAlign() override { ++mAlignCount; }
  TStrings& Params() override { return mParams; }
  void ExecuteForm(const TStrings& params) override {
    mParams.Assign(&params);
    ++mExecuteCount;
    if (OnExecute) OnExecute(*this, params);
  }
  void GenerateForm(TKXRenderStream& stream) override {
    if (OnGenerate) OnGenerate(*this);
    stream.Write("<html>" + Name() + " track " + std::to_string(Session()->TrackID()) + "</html>");
  }
  void GenerateCallBack(IKXCallBackResponse& response) override {
    if (OnGenerate) OnGenerate(*this);
    response.AddJavaScriptToExecute("render " + Name());
  }
  void ResyncEvents() override { ++mResyncCount; }
  bool RequestAuth(const THttpRequest&, std::string& realm) override {
    realm = "test";
    return mRequestAuth;
  }
  bool SendAJAXNotification() const override { return false; }
  std::string GetKXAJAXNotificationJSCode() const override { return {}; }
  const TComponentClass* MessageForm() const override { return nullptr; }

  int Width() const override { return mWidth; }
  int Height() const override { return mHeight; }
  void SetBounds(int, int, int width, int height) override {
    mWidth = width;
    mHeight = height;
  }
  void SetDoRefreshControl(bool value) override { mRefresh = value; }
  void SetBrowserSize(int width, int height) override { mBrowserSize = std::to_string(width) + "x" + std::to_string(height); }
  std::string GenerateControlPositions() override { return "positions();"; }
  void AddToInitProc(const std::string& script) override { mInitProc += script; }
  void AddToInitProcNewWindowCode(const std::string& script) override { mNewWindowCode += script; }

  TKXConnectionMode mConnectionMode = cmAny;
  bool mRequestAuth = true;
  int mShowCount = 0;
  int mAlignCount = 0;
  int mExecuteCount = 0;
  int mResyncCount = 0;
  int mWidth = 640;
  int mHeight = 480;
  bool mRefresh = true;
  std::string mBrowserSize;
  // Threads inside ExecuteForm or GenerateForm right now (a session serves one request at a time).
  std::atomic<int> mInside{0};
  std::string mInitProc;
  std::string mNewWindowCode;
  TStringList mParams;
};

// Keeps each part as text and streams "<response>" with the five parts.
class TTestCallBackResponse : public IKXCallBackResponse {
 public:
  static std::unique_ptr<IKXCallBackResponse> Create(TKXApplication&) {
    return std::make_unique<TTestCallBackResponse>();
  }

  void Initialize() override { mUpdate.clear(), mExecute.clear(), mRewrite.clear(), mSubmit.clear(), mTrack.clear(); }
  void AddJavaScriptToExecute(const std::string& script) override { mExecute.push_back(script); }
  void AddJavaScriptToExecuteAsCDATA(const std::string& script) override {
    if (!script.empty()) mExecute.push_back(script);
  }
  void AddTagToRewrite(const std::string& page) override { mRewrite += page; }
  void SetSubmitURL(const std::string& url) override { mSubmit += url; }
  void SetTrackNumber(const std::string& track) override { mTrack += track; }
  void AddTagToUpdate(TKXRenderStream& stream) override { mUpdate += stream.GetAsString(); }
  void AddTagToUpdate(TKXElementPtr<TKXMarkupLanguageTag> tag) override {
    if (!tag) return;
    TKXRenderStream stream(true, true);
    tag->Render(stream);
    mUpdate += stream.GetAsString();
  }
  const std::string& FocusedControlHTMLName() const override { return mFocused; }
  void SetFocusedControlHTMLName(const std::string& name) override { mFocused = name; }
  void StreamResponse(TKXRenderStream& stream) override {
    std::string text = "<response><update>" + mUpdate + "</update><execute>";
    for (const std::string& script : mExecute) text += "<literal>" + script + "</literal>";
    text += "</execute><rewrite>" + mRewrite + "</rewrite><submit>" + mSubmit + "</submit><trackid>" + mTrack +
            "</trackid></response>";
    stream.Write(text);
  }

  std::string mUpdate;
  std::string mFocused;
  std::vector<std::string> mExecute;
  std::string mRewrite;
  std::string mSubmit;
  std::string mTrack;
};

}  // namespace kx
