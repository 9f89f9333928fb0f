#include "examples/demo/GalleryEditorMedia.h"

namespace kx {

void TGalleryEditorMediaForm::BuildComponents() {
  BuildGalleryFrame("Editor and media", 16, 12);

  WEBEDIT1 = Place<TTKXWebEdit>(this, this, "WEBEDIT1", 16, 48, 620, 260);
  WEBEDIT1->Lines().SetText("<p>Type here: make a word bold, add a list or a colour, then submit.</p>");
  BUTTONSUBMIT = Place<TKXButton>(this, this, "BUTTONSUBMIT", 16, 318, 96, 25);
  BUTTONSUBMIT->SetCaption("Submit");
  // The label shows the posted HTML as text: what one user typed never becomes markup of the page.
  BUTTONSUBMIT->OnClick = [this](TObject*) { ECHO->SetCaption(WEBEDIT1->Lines().Text()); };
  ECHO = Place<TKXLabel>(this, this, "ECHO", 16, 352, 620, 120);
  ECHO->SetAutoSize(false);
  ECHO->SetCaption("The editor's HTML shows here after a submit.");

  AUDIO1 = Place<TKXAudio>(this, this, "AUDIO1", 660, 48, 320, 45);
  TKXFileReference chime;
  chime.SetURL("sounds/chime.wav");
  AUDIO1->SetAudioFile(chime);

  WIDGETLABEL = Place<TKXLabel>(this, this, "WIDGETLABEL", 660, 104, 320, 21);
  WIDGETLABEL->SetCaption("A jQuery plug-in of the demo highlights this line.");
  WIDGET1 = TComponent::Create<TKXJQueryWidget>(this);
  WIDGET1->SetName("WIDGET1");
  WIDGET1->ContentFiles().Add("js/jquery.kxhighlight.js");
  WIDGET1->OnReady().Add("$('#WIDGETLABEL').kxHighlight('#ffef9f');");

  // Plug-in content: written as markup, played by no current browser.
  OBJECT1 = Place<TKXActiveX>(this, this, "OBJECT1", 660, 136, 320, 40);
  OBJECT1->SetClassID("clsid:00000000-0000-0000-0000-000000000000");
  OBJECT1->SetForceActivation(true);
  FLASH1 = Place<TKXFlash>(this, this, "FLASH1", 660, 184, 320, 40);
  MOVIE1 = Place<TKXQuickTime>(this, this, "MOVIE1", 660, 232, 320, 40);
  VIDEO1 = Place<TKXMPEG>(this, this, "VIDEO1", 660, 280, 320, 40);
  LIGHT1 = Place<TKXSilverlight>(this, this, "LIGHT1", 660, 328, 320, 60);
}

}  // namespace kx
