#include "examples/demo/GalleryTabs.h"

namespace kx {

void TGalleryTabsForm::BuildComponents() {
  BuildGalleryFrame("Tabs, menus and links",
                    "Choose a menu item, a link or a gradient button, and switch the pages of both tab controls.", 16,
                    620);
  BuildMenu();

  LABELRESULT = Place<TKXLabel>(this, this, "LABELRESULT", 16, 40, 600, 21);
  LABELRESULT->SetCaption("Pick a menu item, a link or a button.");

  TABS1 = Place<TKXTabControl>(this, this, "TABS1", 16, 70, 600, 320);
  BuildLinksPage(TABS1->CreateNewPage("Links", "PAGELINKS"));
  BuildElementsPage(TABS1->CreateNewPage("Elements & buttons", "PAGEELEMENTS"));

  TABSASYNC = Place<TKXTabControl>(this, this, "TABSASYNC", 16, 400, 600, 150);
  for (const char* title : {"First", "Second", "Third"}) {
    TKXTabPage* page = TABSASYNC->CreateNewPage(title);
    auto* text = Place<TKXLabel>(this, page, page->Name() + "TEXT", 12, 12, 400, 21);
    text->SetCaption(std::string("This is the ") + title + " page.");
  }
  TABSASYNC->OnAsyncChange = [this](TObject*, TStrings&) {
    Report("Callback: page " + std::to_string(TABSASYNC->ActivePage()) + " is shown.");
  };

  BUTTONLASTPAGE = Place<TKXButton>(this, this, "BUTTONLASTPAGE", 16, 560, 200, 25);
  BUTTONLASTPAGE->SetCaption("Show the third page");
  BUTTONLASTPAGE->OnAsyncClick = [this](TObject*, TStrings&) {
    TABSASYNC->SetActivePage(2);
    Report("The server showed the third page.");
  };
}

void TGalleryTabsForm::BuildMenu() {
  MAINMENU1 = TComponent::Create<TMainMenu>(this);
  MAINMENU1->SetName("MAINMENU1");
  TMenuItem* file = MAINMENU1->Items().Add("&File");
  TMenuItem* greet = file->Add("&Greet");
  greet->OnClick = [this](TObject*) { Report("Menu: Greet was chosen."); };
  file->Add("-");
  file->Add("Disabled")->SetEnabled(false);
  TMenuItem* more = file->Add("More");
  more->Add("Nested <item> \"quoted\"")->OnClick = [this](TObject*) { Report("Menu: the nested item was chosen."); };
  TMenuItem* help = MAINMENU1->Items().Add("&Help");
  help->Add("About")->OnClick = [this](TObject*) { Report("Menu: About was chosen."); };

  MENU1 = Place<TKXMenu>(this, this, "MENU1", 130, 8, 486, 22);
  MENU1->SetAttachedMenu(MAINMENU1);
  // Above the regions (z-index 1000), so that the sub-menus open over the tab controls.
  MENU1->SetZIndex(2000);
}

void TGalleryTabsForm::BuildLinksPage(TKXTabPage* page) {
  LINK1 = Place<TKXLink>(this, page, "LINK1", 12, 12, 300, 21);
  LINK1->SetCaption("A link that runs a server event");
  LINK1->OnClick = [this](TObject*) { Report("The link was clicked."); };

  URLRELATIVE = Place<TKXURL>(this, page, "URLRELATIVE", 12, 44, 300, 21);
  URLRELATIVE->SetCaption("A relative link (the logo)");
  URLRELATIVE->SetURL("logo.png");

  URLNEWWINDOW = Place<TKXURL>(this, page, "URLNEWWINDOW", 12, 76, 400, 21);
  URLNEWWINDOW->SetCaption("An address in a new window of 400 x 300");
  URLNEWWINDOW->SetURL("http://example.com/?a=1&b='2'");
  URLNEWWINDOW->SetUseTarget(true);
  URLNEWWINDOW->TargetOptions().SetWindowName("kx \"demo\" window");
  URLNEWWINDOW->TargetOptions().SetWidth(400);
  URLNEWWINDOW->TargetOptions().SetHeight(300);

  URLSTOP = Place<TKXURL>(this, page, "URLSTOP", 12, 108, 400, 21);
  URLSTOP->SetCaption("End the session and leave for example.com");
  URLSTOP->SetURL("https://example.com/?q=a&b#top");
  URLSTOP->SetTerminateApp(true);
}

void TGalleryTabsForm::BuildElementsPage(TKXTabPage* page) {
  RECTANGLE1 = Place<TKXRectangle>(this, page, "RECTANGLE1", 12, 12, 180, 80);
  RECTANGLE1->SetColor(clSkyBlue);
  RECTANGLE1->SetText("A rectangle");
  RECTANGLE1->SetAlignment(taCenter);
  RECTANGLE1->BorderOptions().SetWidth(2);
  RECTANGLE1->BorderOptions().SetColor(clNavy);

  HRULE1 = Place<TKXHRule>(this, page, "HRULE1", 12, 104, 560, 3);
  HRULE1->SetBorderColor(clGray);

  LIST1 = Place<htmlcontrols::TKXList>(this, page, "LIST1", 210, 12, 180, 80);
  for (const char* item : {"Numbered", "as a", "table"}) LIST1->Items().Add(item);

  URLWINDOW1 = Place<TKXURLWindow>(this, page, "URLWINDOW1", 410, 12, 160, 80);
  URLWINDOW1->SetURI("logo.png");
  URLWINDOW1->SetScrolling(usNo);

  const std::pair<TKXGradButton**, TGradButtonColorScheme> buttons[] = {
      {&GRADRED, csRed}, {&GRADBLUE, csBlue}, {&GRADGREEN, csGreen}};
  const char* names[] = {"GRADRED", "GRADBLUE", "GRADGREEN"};
  const char* captions[] = {"Red", "Blue", "Green"};
  for (int i = 0; i < 3; ++i) {
    TKXGradButton* button = Place<TKXGradButton>(this, page, names[i], 12 + i * 156, 124, 140, 36);
    button->Style().SetColorScheme(buttons[i].second);
    button->Style().Button().SetBorderRadius(8);
    button->SetCaption(captions[i]);
    const std::string caption = captions[i];
    button->OnClick = [this, caption](TObject*) { Report("The " + caption + " gradient button was clicked."); };
    *buttons[i].first = button;
  }
}

void TGalleryTabsForm::Report(const std::string& text) { LABELRESULT->SetCaption(text); }

}  // namespace kx
