#include "examples/demo/GalleryEditorMedia.h"

#include <filesystem>

#include "kx/appserver/Application.h"
#include "kx/controls/htmleditor/WebEditor.h"
#include "kx/forms/ControlSession.h"
#include "kx/foundation/FileUtils.h"

namespace kx {

void TGalleryEditorMediaForm::BuildComponents() {
  BuildGalleryFrame("Editor and media",
                    "Format text and submit it, play the chime, or edit a page of the site in the editor form.", 16,
                    12);

  WEBEDIT1 = Place<TTKXWebEdit>(this, this, "WEBEDIT1", 16, 48, 620, 260);
  WEBEDIT1->Lines().SetText("<p>Type here: make a word bold, add a list or a colour, then submit.</p>");
  BUTTONSUBMIT = Place<TKXButton>(this, this, "BUTTONSUBMIT", 16, 318, 96, 25);
  BUTTONSUBMIT->SetCaption("Submit");
  // The label shows the posted HTML as text: what one user typed never becomes markup of the page.
  BUTTONSUBMIT->OnClick = [this](TObject*) { ECHO->SetCaption(WEBEDIT1->Lines().Text()); };
  ECHO = Place<TKXLabel>(this, this, "ECHO", 16, 352, 620, 120);
  ECHO->SetAutoSize(false);
  ECHO->SetCaption("The editor's HTML shows here after a submit.");
  BUTTONEDITPAGE = Place<TKXButton>(this, this, "BUTTONEDITPAGE", 124, 318, 220, 25);
  BUTTONEDITPAGE->SetCaption("Edit the site's About page");
  BUTTONEDITPAGE->OnClick = [this](TObject*) { EditOwnAboutPage(); };

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

  BuildPlugins();
}

void TGalleryEditorMediaForm::BuildPlugins() {
  OBJECT1 = Place<TKXActiveX>(this, this, "OBJECT1", 660, 136, 320, 40);
  OBJECT1->SetClassID("clsid:00000000-0000-0000-0000-000000000000");
  OBJECT1->SetForceActivation(true);
  PlacePluginNote(OBJECT1, "ActiveX object: only old versions of Internet Explorer ran these.");
  FLASH1 = Place<TKXFlash>(this, this, "FLASH1", 660, 184, 320, 40);
  PlacePluginNote(FLASH1, "Flash movie: no current browser plays Flash.");
  MOVIE1 = Place<TKXQuickTime>(this, this, "MOVIE1", 660, 232, 320, 40);
  PlacePluginNote(MOVIE1, "QuickTime movie: needs the QuickTime plug-in, which browsers no longer load.");
  VIDEO1 = Place<TKXMPEG>(this, this, "VIDEO1", 660, 280, 320, 40);
  PlacePluginNote(VIDEO1, "MPEG video through the Windows Media plug-in, which browsers no longer load.");
  LIGHT1 = Place<TKXSilverlight>(this, this, "LIGHT1", 660, 328, 320, 60);
  APPLET1 = Place<TKXApplet>(this, this, "APPLET1", 660, 396, 320, 40);
  APPLET1->SetClassFile("Clock.class");
  APPLET1->SetAppletName("Clock");
  APPLET1->SetAltText("A clock applet");
  APPLET1->Params().Add("timezone=UTC");
  PlacePluginNote(APPLET1, "Java applet: no current browser runs applets.");

  BUTTONVIDEO = Place<TKXButton>(this, this, "BUTTONVIDEO", 660, 446, 320, 25);
  BUTTONVIDEO->SetCaption("Open the Silverlight video");
  BUTTONVIDEO->OnClick = [this](TObject*) { TComponent::Create<TGalleryVideoForm>(WebApplication())->Show(); };
}

// The shared wwwroot/about.html is served to every visitor, and the editor saves what was posted, scripts
// included: each visitor edits a copy in the session's folder instead, which no request serves and which goes
// with the session. The copy is made on the first edit and kept for the next ones.
void TGalleryEditorMediaForm::EditOwnAboutPage() {
  TKXApplication* session = WebApplication();
  const std::string copy = session->ForceUserCacheDir() + "about.html";
  std::filesystem::copy_file(IncludeTrailingPathDelim(TKXControlSession::ContentPath()) + "about.html", copy,
                             std::filesystem::copy_options::skip_existing);
  TOwnedComponent<TfrmWebEditor> form(TComponent::Create<TfrmWebEditor>(session));
  form->SetDocumentFile(copy);
  form.release()->Show();
}

void TGalleryEditorMediaForm::PlacePluginNote(TKXCustomControl* control, const std::string& text) {
  control->SetCss("demo-plugin-slot");
  auto* note = Place<TKXLabel>(this, this, control->Name() + "NOTE", control->Left(), control->Top(),
                               control->Width(), control->Height());
  note->SetAutoSize(false);
  note->SetCss("demo-plugin");
  note->SetCaption(text);
}

void TGalleryVideoForm::BuildComponents() {
  BuildGalleryFrame("Silverlight video", "The video control cannot render: its XAML document has nowhere to go.", 16,
                    16);
  VIDEO1 = Place<TKXSilverlightVideo>(this, this, "VIDEO1", 16, 56, 320, 240);
  TKXFileReference media;
  media.SetURL("sounds/chime.wav");
  VIDEO1->SetMedia(media);
}

void TGalleryVideoForm::DoGenerateForm(TKXRenderStream& stream) {
  try {
    TGalleryForm::DoGenerateForm(stream);
  } catch (...) {
    Release();
    throw;
  }
}

}  // namespace kx
