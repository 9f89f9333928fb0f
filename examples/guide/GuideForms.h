// The guide's forms, one per topic of docs/GUIDE.md:
// - TGuideMainForm (MainForm.cpp): the main form. A name edit greeted by a full submit (BUTTONSUBMIT) or by a
//   callback (BUTTONCALLBACK), the session's greeting count, the buttons that open the other forms, and "Log out"
//   (BUTTONLOGOUT), which ends the session and shows wwwroot/bye.html.
// - TGuideSignUpForm (SignUpForm.cpp): validation. Required edits, server-side checks that write into the label
//   ERROR, a number left to StrToInt, whose exception ends in an alert; "Save" stores the visitor in the session.
// - TGuideMessagesForm (MessagesForm.cpp): one button per ShowMessage display mode.
// - TGuideTemplateForm (TemplateForm.cpp): a form laid out by Templates/GuideTemplateForm.html.
// - TGuideChoicesForm (ChoicesForm.cpp): a combo box, a list box, a check box, radio buttons and a radio group, read
//   by a submit and by a callback.
// - TGuideTasksForm (TasksForm.cpp): data. A SQLite table of tasks shown by a data grid and a navigator and edited by
//   data-aware controls; an in-memory data set of priorities behind a look-up combo box.
// - TGuideUploadForm (UploadForm.cpp): a file uploader whose files the session keeps, 10 MB at most, until it ends.
// - TGuideDeskForm (DeskForm.cpp): a help desk. A tree of categories in a region filters a SQLite table of tickets
//   (master and detail); a tab control holds the tickets (navigator, data grid, data-aware edits) and a plain grid
//   of what was done; a timer counts the open tickets; a modal window asks before a delete.
// Each form but the main one closes with its BUTTONBACK, which releases it. Builds on controls/AppForm.h.
#pragma once

#include <string>

#include "kx/controls/appform/AppForm.h"
#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/checks/Checks.h"
#include "kx/controls/dbcontrols/DBListCtrls.h"
#include "kx/controls/dbgrid/DBGrid.h"
#include "kx/controls/dbgrid/DBNavigator.h"
#include "kx/controls/edits/Edits.h"
#include "kx/controls/grids/Grids.h"
#include "kx/controls/labels/Labels.h"
#include "kx/controls/lists/Lists.h"
#include "kx/controls/pageservices/PageServices.h"
#include "kx/controls/regions/Regions.h"
#include "kx/controls/tabs/TabControl.h"
#include "kx/controls/tree/TreeView.h"
#include "kx/controls/uploader/FileUploader.h"
#include "kx/data/MemDataSet.h"
#include "kx/data/SQLiteDataSet.h"
#include "kx/forms/TemplateProcessor.h"

namespace kx {

// Creates a control owned by form, names it and places it on the form.
template <class T>
T* Place(TKXForm* form, const std::string& name, int left, int top, int width, int height = 25) {
  T* control = TComponent::Create<T>(form);
  control->SetName(name);
  control->SetParent(form);
  control->SetBounds(left, top, width, height);
  return control;
}

class TGuideMainForm : public TKXAppForm {
  KX_COMPONENT_CLASS(TGuideMainForm, TKXAppForm)

 public:
  TKXLabel* VISITOR = nullptr;
  TKXEdit* NAME = nullptr;
  TKXButton* BUTTONSUBMIT = nullptr;
  TKXButton* BUTTONCALLBACK = nullptr;
  TKXLabel* GREETING = nullptr;
  TKXLabel* COUNT = nullptr;
  TKXButton* BUTTONSIGNUP = nullptr;
  TKXButton* BUTTONMESSAGES = nullptr;
  TKXButton* BUTTONTEMPLATE = nullptr;
  TKXButton* BUTTONCHOICES = nullptr;
  TKXButton* BUTTONTASKS = nullptr;
  TKXButton* BUTTONUPLOAD = nullptr;
  TKXButton* BUTTONDESK = nullptr;
  TKXButton* BUTTONLOGOUT = nullptr;

 protected:
  void BuildComponents() override;

 private:
  // A button that opens a new form of class TForm. Moving between forms: create the next one with the session as
  // owner and show it.
  template <class TForm>
  TKXButton* AddOpener(const std::string& name, const std::string& caption, int left, int top) {
    TKXButton* button = Place<TKXButton>(this, name, left, top, 136);
    button->SetCaption(caption);
    button->OnClick = [this](TObject*) { TComponent::Create<TForm>(WebApplication())->Show(); };
    return button;
  }
  // The greeting of both buttons; how: "submit" or "callback".
  void Greet(const std::string& how);
  // Shows what the session's data module holds.
  void ShowVisitor();
};

class TGuideSignUpForm : public TKXAppForm {
  KX_COMPONENT_CLASS(TGuideSignUpForm, TKXAppForm)

 public:
  TKXEdit* NAME = nullptr;
  TKXEdit* AGE = nullptr;
  TKXLabel* ERROR = nullptr;
  TKXButton* BUTTONSAVE = nullptr;
  TKXButton* BUTTONBACK = nullptr;

 protected:
  void BuildComponents() override;

 private:
  void SaveClick(TObject* sender);
};

class TGuideMessagesForm : public TKXAppForm {
  KX_COMPONENT_CLASS(TGuideMessagesForm, TKXAppForm)

 protected:
  void BuildComponents() override;
};

class TGuideTemplateForm : public TKXAppForm {
  KX_COMPONENT_CLASS(TGuideTemplateForm, TKXAppForm)

 public:
  TKXTemplateProcessorHTML* TEMPLATE = nullptr;
  TKXLabel* VISITOR = nullptr;
  TKXEdit* NOTE = nullptr;
  TKXButton* BUTTONADD = nullptr;
  TKXLabel* NOTES = nullptr;
  TKXButton* BUTTONBACK = nullptr;

 protected:
  void BuildComponents() override;
};

class TGuideChoicesForm : public TKXAppForm {
  KX_COMPONENT_CLASS(TGuideChoicesForm, TKXAppForm)

 public:
  TKXComboBox* COLOR = nullptr;
  TKXListbox* DAYS = nullptr;
  TKXCheckBox* NEWSLETTER = nullptr;
  TKXRadioButton* TEA = nullptr;
  TKXRadioButton* COFFEE = nullptr;
  TKXRadioGroup* SIZE = nullptr;
  TKXButton* BUTTONSHOW = nullptr;
  TKXLabel* CHOSEN = nullptr;
  TKXButton* BUTTONBACK = nullptr;

 protected:
  void BuildComponents() override;

 private:
  // Writes every choice into CHOSEN.
  void ShowChoices();
};

class TGuideTasksForm : public TKXAppForm {
  KX_COMPONENT_CLASS(TGuideTasksForm, TKXAppForm)

 public:
  TSQLiteConnection* Database = nullptr;
  TSQLiteDataSet* Tasks = nullptr;
  TDataSource* TasksSource = nullptr;
  TMemDataSet* Priorities = nullptr;
  TDataSource* PrioritiesSource = nullptr;
  TKXDBNavigator* NAVIGATOR = nullptr;
  TKXDBGrid* GRID = nullptr;
  TKXDBEdit* TITLE = nullptr;
  TKXDBEdit* DUE = nullptr;
  TKXDBCheckBox* DONE = nullptr;
  TKXDBLookupComboBox* PRIORITY = nullptr;
  TKXButton* BUTTONSAVE = nullptr;
  TKXLabel* STATUS = nullptr;
  TKXButton* BUTTONBACK = nullptr;

 protected:
  void BuildComponents() override;

 private:
  void OpenData();
  void BuildGrid();
  void BuildEditors();
  void SaveClick(TObject* sender);
};

class TGuideUploadForm : public TKXAppForm {
  KX_COMPONENT_CLASS(TGuideUploadForm, TKXAppForm)

 public:
  TKXFileUploader* UPLOADER = nullptr;
  TKXLabel* LIMIT = nullptr;
  TKXLabel* RECEIVED = nullptr;
  TKXButton* BUTTONBACK = nullptr;

 protected:
  void BuildComponents() override;

 private:
  // The names of the files the session keeps and their size in all, into RECEIVED.
  void ShowKept();
};

class TGuideDeskForm : public TKXAppForm {
  KX_COMPONENT_CLASS(TGuideDeskForm, TKXAppForm)

 public:
  TMemDataSet* Categories = nullptr;
  TDataSource* CategoriesSource = nullptr;
  TSQLiteConnection* Database = nullptr;
  TSQLiteDataSet* Tickets = nullptr;
  TDataSource* TicketsSource = nullptr;
  TKXRegion* SIDE = nullptr;
  TKXTreeView* TREE = nullptr;
  TKXTabControl* TABS = nullptr;
  TKXDBNavigator* NAVIGATOR = nullptr;
  TKXDBGrid* GRID = nullptr;
  TKXDBEdit* SUBJECT = nullptr;
  TKXDBCheckBox* CLOSED = nullptr;
  TKXGrid* HISTORY = nullptr;
  TKXTimer* TIMER = nullptr;
  TKXLabel* OPEN = nullptr;
  TKXLabel* QUESTION = nullptr;
  TKXModalWindow* CONFIRM = nullptr;
  TKXLabel* STATUS = nullptr;
  TKXButton* BUTTONBACK = nullptr;

 protected:
  void BuildComponents() override;

 private:
  void OpenData();
  void BuildTree();
  void BuildTabs();
  void BuildServices();
  // Adds a row to HISTORY about the current ticket.
  void Note(const std::string& what);
  // The current category and its number of tickets, into STATUS.
  void ShowCategory();
  // The open tickets of every session, into OPEN.
  void CountOpen();
};

}  // namespace kx
