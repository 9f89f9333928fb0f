// Media and script widgets: TKXAudio renders an HTML5 audio element for one or two sound files; TKXJQueryWidget
// is a non-visual component that adds a jQuery plug-in's script and style files and its start-up code to the page
// of the form that owns it.
#pragma once

#include <string>

#include "kx/appserver/FileReference.h"
#include "kx/controls/ControlFamily.h"
#include "kx/forms/ControlInterfaces.h"
#include "kx/forms/CustomControl.h"
#include "kx/platform/StringLists.h"

namespace kx {

class TKXAudio : public TKXCustomControl {
  KX_COMPONENT_CLASS(TKXAudio, TKXCustomControl)

 public:
  // The first source; empty by default.
  TKXFileReference& AudioFile() { return FAudioFile; }
  void SetAudioFile(const TKXFileReference& value) { FAudioFile.Assign(&value); }
  // False by default.
  bool AutoPlay() const { return FAutoPlay; }
  void SetAutoPlay(bool value) { FAutoPlay = value; }
  // False by default.
  bool Loop() const { return FLoop; }
  void SetLoop(bool value) { FLoop = value; }
  // True by default: the browser's player is shown ("controls"). A change invalidates.
  bool ShowAudioPlayer() const { return FShowAudioPlayer; }
  void SetShowAudioPlayer(bool value);
  // True by default: preload="auto".
  bool PreLoad() const { return FPreLoad; }
  void SetPreLoad(bool value) { FPreLoad = value; }
  // The second source, written only when AudioFile is set; empty by default.
  TKXFileReference& AlternateAudioFile() { return FAlternateAudioFile; }
  void SetAlternateAudioFile(const TKXFileReference& value) { FAlternateAudioFile.Assign(&value); }
  // False by default: the style says "outline: none;". A change invalidates.
  bool FocusOutline() const { return FFocusOutline; }
  void SetFocusOutline(bool value);
  // Shown by browsers without audio support. It is markup, written as it is: text from users must be escaped
  // (TextToHTML) before it is set here.
  const std::string& AltText() const { return FAltText; }
  void SetAltText(const std::string& value) { SetProperty(FAltText, value); }

  // An "audio" element with a "source" per file.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // No class.
  std::string RenderCSSClass(TKXCompContext* context) override;
  // The base's style, then "outline: none;" unless FocusOutline.
  std::string RenderStyle(TKXCompContext* context) override;

 protected:
  // 400 x 45.
  void InitControl() override;

 private:
  void AddSource(TKXHTMLTag* audio, const TKXFileReference& file);

  TKXFileReference FAudioFile;
  bool FAutoPlay = false;
  bool FLoop = false;
  bool FShowAudioPlayer = true;
  bool FPreLoad = true;
  TKXFileReference FAlternateAudioFile;
  bool FFocusOutline = false;
  std::string FAltText;
};

// The MIME type of a sound file by its extension, ignoring case: ".mp3" "audio/mpeg", ".ogg" "audio/ogg", ".wav"
// "audio/wav"; empty for any other.
std::string GetAudioType(const std::string& fileName);

// A jQuery plug-in on the form's page: its files (a name ending in ".js" becomes a script file loaded before the
// framework's, any other a style sheet) and its start-up code, run when the document is ready. A disabled widget
// adds nothing.
class TKXJQueryWidget : public TComponent, public virtual IKXRequiresFormRender {
  KX_COMPONENT_CLASS(TKXJQueryWidget, TComponent)

 public:
  // True by default.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value) { FEnabled = value; }
  // Addresses of the plug-in's files, as the page writes them.
  TStringList& ContentFiles() { return FContentFiles; }
  void SetContentFiles(const TStrings& value) { FContentFiles.Assign(&value); }
  // The start-up code, script as it is.
  TStringList& OnReady() { return FOnReady; }
  void SetOnReady(const TStrings& value) { FOnReady.Assign(&value); }

  // ---- IKXRequiresFormRender
  bool GetEnabled() override { return FEnabled; }
  void GetContentFiles(TStrings& list) override { list.Assign(&FContentFiles); }
  std::string GetOnReadyProc() override { return FOnReady.Text(); }

 private:
  bool FEnabled = true;
  TStringList FContentFiles;
  TStringList FOnReady;
};

// The family's registration (the audio control and the script widget), listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& MediaFamily();

}  // namespace kx
