// Silverlight controls: TKXSilverlight places an application package (XAP) on the page through the client script
// "/js/Silverlight.js"; TKXSilverlightVideo describes a media element and its play buttons in XAML. No current
// browser runs this content: our Silverlight.js shows a plain notice in its place.
#pragma once

#include <cstdint>
#include <string>

#include "kx/appserver/FileReference.h"
#include "kx/forms/CustomControl.h"
#include "kx/platform/StringLists.h"

namespace kx {

class TKXBaseSilverlight : public TKXCustomControl {
  KX_COMPONENT_CLASS(TKXBaseSilverlight, TKXCustomControl)

 public:
  // The application package.
  TKXFileReference& XAP() { return FXAP; }
  void SetXAP(const TKXFileReference& value) { FXAP.Assign(&value); }
  // White by default.
  TKXColor BGColor() const { return FBGColor; }
  void SetBGColor(TKXColor value) { FBGColor = value; }
  // False by default.
  bool Windowless() const { return FWindowless; }
  void SetWindowless(bool value) { FWindowless = value; }
  // Frames per second; 24 by default.
  std::int32_t Framerate() const { return FFramerate; }
  void SetFramerate(std::int32_t value) { FFramerate = value; }
  // True by default.
  bool EnableFramerateCounter() const { return FEnableFramerateCounter; }
  void SetEnableFramerateCounter(bool value) { FEnableFramerateCounter = value; }

  // A DIV whose text is a script element that defines and calls createSilverlight(); the page gets
  // "/js/Silverlight.js".
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // The function createSilverlight() that hands the package to Silverlight.createObjectEx; every value is
  // escaped for its script string.
  std::string RenderSilverlight();

 protected:
  // The control's own absolute positioning is not written (style render option 6).
  void InitControl() override;

 private:
  TKXFileReference FXAP;
  TKXColor FBGColor = 0xFFFFFF;
  bool FWindowless = false;
  std::int32_t FFramerate = 24;
  bool FEnableFramerateCounter = true;
};

class TKXSilverlight : public TKXBaseSilverlight {
  KX_COMPONENT_CLASS(TKXSilverlight, TKXBaseSilverlight)
};

enum TKXSilverlightVideoStretch : std::uint8_t { stretchNone, stretchUniform, stretchUniformToFill, stretchFill };

// The video player. Its XAML document has no place to be served from: rendering it raises Exception
// "Silverlight error" (XAMLDocument builds the document).
class TKXSilverlightVideo : public TKXBaseSilverlight {
  KX_COMPONENT_CLASS(TKXSilverlightVideo, TKXBaseSilverlight)

 public:
  // True by default.
  bool AutoPlay() const { return FAutoPlay; }
  void SetAutoPlay(bool value) { FAutoPlay = value; }
  bool Muted() const { return FMuted; }
  void SetMuted(bool value) { FMuted = value; }
  // stretchFill by default.
  TKXSilverlightVideoStretch Stretch() const { return FStretch; }
  void SetStretch(TKXSilverlightVideoStretch value) { FStretch = value; }
  // 0 to 10, 5 by default; a value outside is ignored.
  std::int32_t Volume() const { return FVolume; }
  void SetVolume(std::int32_t value);
  TKXFileReference& Media() { return FMedia; }
  void SetMedia(const TKXFileReference& value) { FMedia.Assign(&value); }
  bool ShowControls() const { return FShowControls; }
  void SetShowControls(bool value) { FShowControls = value; }

  // The page gets the play buttons' handlers and "/js/Silverlight.js"; then Exception "Silverlight error".
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // The XAML document of the player, one line per entry.
  void XAMLDocument(TStrings& lines);
  // The script of the three handlers media_stop, media_pause and media_begin.
  std::string MediaHandlers();

 private:
  bool FAutoPlay = true;
  bool FMuted = false;
  TKXSilverlightVideoStretch FStretch = stretchFill;
  std::int32_t FVolume = 5;
  TKXFileReference FMedia;
  bool FShowControls = false;
};

}  // namespace kx
