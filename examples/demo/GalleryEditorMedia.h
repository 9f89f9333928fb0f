// The gallery page of the editor, media and plug-in families: an HTML editor whose HTML is shown as text after a
// submit, an audio control playing the demo's own chime (wwwroot/sounds/chime.wav), a script widget that loads a
// small jQuery plug-in of the demo (wwwroot/js/jquery.kxhighlight.js), and the plug-in objects, which no current
// browser plays: they render their markup and the Silverlight control its notice.
#pragma once

#include "examples/demo/Gallery.h"
#include "kx/controls/htmleditor/WebEdit.h"
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

 protected:
  void BuildComponents() override;
};

}  // namespace kx
