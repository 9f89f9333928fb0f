// The gallery page of the editor, media and plug-in families: an HTML editor whose HTML is shown as text after a
// submit, a button opening the library's editor form on a page of the site (wwwroot/about.html), an audio control
// playing the demo's own chime (wwwroot/sounds/chime.wav), a script widget that loads a small jQuery plug-in of the
// demo (wwwroot/js/jquery.kxhighlight.js), and the plug-in objects, which no current browser plays: they render
// their markup under a frame that says what they are, and the Silverlight control its notice. The Silverlight video
// opens on a form of its own, whose rendering stops with the control's error; the visitor goes on from the page
// under it.
#pragma once

#include "examples/demo/Gallery.h"
#include "kx/controls/htmleditor/WebEdit.h"
#include "kx/controls/htmlelements/HTMLControls.h"
#include "kx/controls/labels/Labels.h"
#include "kx/controls/media/Media.h"
#include "kx/controls/plugins/Plugins.h"
#include "kx/controls/plugins/Silverlight.h"

namespace kx {

class TGalleryEditorMediaForm : public TGalleryForm {
  KX_COMPONENT_CLASS(TGalleryEditorMediaForm, TGalleryForm)

 public:
  TTKXWebEdit* WEBEDIT1 = nullptr;
  TKXButton* BUTTONSUBMIT = nullptr;
  TKXLabel* ECHO = nullptr;
  TKXAudio* AUDIO1 = nullptr;
  TKXLabel* WIDGETLABEL = nullptr;
  TKXJQueryWidget* WIDGET1 = nullptr;
  TKXActiveX* OBJECT1 = nullptr;
  TKXFlash* FLASH1 = nullptr;
  TKXQuickTime* MOVIE1 = nullptr;
  TKXMPEG* VIDEO1 = nullptr;
  TKXSilverlight* LIGHT1 = nullptr;
  TKXApplet* APPLET1 = nullptr;
  TKXButton* BUTTONEDITPAGE = nullptr;
  TKXButton* BUTTONVIDEO = nullptr;

 protected:
  void BuildComponents() override;

 private:
  void BuildPlugins();
  // Opens the editor form on this visitor's own copy of the site's About page.
  void EditOwnAboutPage();
  // A frame over control saying what it is; the object itself stays in the page, hidden by the demo's sheet.
  void PlacePluginNote(TKXCustomControl* control, const std::string& text);
};

// The Silverlight video on a form of its own: the control raises "Silverlight error" when it renders.
class TGalleryVideoForm : public TGalleryForm {
  KX_COMPONENT_CLASS(TGalleryVideoForm, TGalleryForm)

 public:
  TKXSilverlightVideo* VIDEO1 = nullptr;

 protected:
  void BuildComponents() override;
  // A page that cannot be drawn releases itself before its error page goes out: a reload, Back or the start
  // address then shows the page under it in the same session, not the same error again.
  void DoGenerateForm(TKXRenderStream& stream) override;
};

}  // namespace kx
