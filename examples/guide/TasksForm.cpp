#include <filesystem>

#include "GuideForms.h"
#include "kx/foundation/AppInfo.h"

namespace kx {

void TGuideTasksForm::BuildComponents() {
  SetTitle("kx guide - tasks");
  OpenData();
  BuildGrid();
  BuildEditors();
}

// The tasks live in a SQLite file beside the program, shared by every session. A data source stands between a data
// set and the controls that show it.
void TGuideTasksForm::OpenData() {
  std::filesystem::create_directories(gsAppPath() + "data");
  Database = TComponent::Create<TSQLiteConnection>(this);
  Database->SetFileName(gsAppPath() + "data/tasks.db");
  // Every session's form uses one SQLite connection to the file, in turn, rather than one (and its two file
  // descriptors) each.
  Database->SetShared(true);
  Database->Open();
  // A BOOLEAN column holds 1 or 0; its field reads "True" or "False".
  Database->Execute("CREATE TABLE IF NOT EXISTS tasks (id INTEGER PRIMARY KEY, title VARCHAR(60) NOT NULL, "
                    "done BOOLEAN NOT NULL DEFAULT 0, due DATE, priority INTEGER)");
  // Two sample tasks in a new file, in one transaction: two sessions that start at once do not both add them.
  Database->InTransaction([this] {
    if (Database->Execute("SELECT COUNT(*) FROM tasks")[0][0] != "0") return;
    Database->Execute("INSERT INTO tasks (title, done, due, priority) VALUES ('Write the guide', 1, '2026-12-01', 3), "
                      "('Read the guide', 0, NULL, 2)");
  });
  Tasks = TComponent::Create<TSQLiteDataSet>(this);
  Tasks->SetConnection(Database);
  Tasks->SetTableName("tasks");  // its columns become the fields; the INTEGER PRIMARY KEY is the record's key
  Tasks->Open();
  TasksSource = TComponent::Create<TDataSource>(this);
  TasksSource->SetDataSet(Tasks);

  // A data set in memory: fields declared in code, records added while it is open; gone with its owner.
  Priorities = TComponent::Create<TMemDataSet>(this);
  Priorities->AddField("id", ftInteger);
  Priorities->AddField("name", ftString, 20);
  Priorities->Open();
  Priorities->AddRecord({"1", "Low"});
  Priorities->AddRecord({"2", "Normal"});
  Priorities->AddRecord({"3", "High"});
  PrioritiesSource = TComponent::Create<TDataSource>(this);
  PrioritiesSource->SetDataSet(Priorities);
}

void TGuideTasksForm::BuildGrid() {
  // The navigator's buttons move through the records, insert, delete, post and cancel, each in a submit.
  NAVIGATOR = Place<TKXDBNavigator>(this, "NAVIGATOR", 16, 16, 300, 32);
  NAVIGATOR->SetDataSource(TasksSource);
  NAVIGATOR->OnPost = [this](TObject*) { STATUS->SetCaption("Saved."); };
  // The grid shows RowLimit records around the current one, one column per field named.
  GRID = Place<TKXDBGrid>(this, "GRID", 16, 56, 460, 130);
  GRID->SetDataSource(TasksSource);
  GRID->SetOptions({dgShowTitles, dgIndicator});
  GRID->SetRowLimit(5);
  for (const auto& [field, title] : {std::pair{"title", "Task"}, {"done", "Done"}, {"due", "Due"}}) {
    TKXDBGridColumn* column = GRID->Columns().Add();
    column->SetDataField(field);
    column->Title().SetText(title);
  }
}

// Each data-aware control shows a field of the current record; a value the user changed is written into the field
// and puts the data set into edit mode, and Post saves the record.
void TGuideTasksForm::BuildEditors() {
  TITLE = Place<TKXDBEdit>(this, "TITLE", 16, 200, 260);
  TITLE->SetDataSource(TasksSource);
  TITLE->SetDataField("title");
  DUE = Place<TKXDBEdit>(this, "DUE", 284, 200, 100);
  DUE->SetDataSource(TasksSource);
  DUE->SetDataField("due");  // a DATE column: "2026-12-24"; any other text raises EConvertError
  DONE = Place<TKXDBCheckBox>(this, "DONE", 16, 236, 80);
  DONE->SetCaption("Done");
  DONE->SetDataSource(TasksSource);
  DONE->SetDataField("done");  // checked for "True"; writes "true" or "false", which the field stores as True/False
  // A look-up combo box: shows the name of the priority whose id the task holds, and stores the id chosen.
  PRIORITY = Place<TKXDBLookupComboBox>(this, "PRIORITY", 104, 236, 120);
  PRIORITY->SetDataSource(TasksSource);
  PRIORITY->SetDataField("priority");
  PRIORITY->Lookup().SetListSource(PrioritiesSource);
  PRIORITY->Lookup().SetListField("name");
  PRIORITY->Lookup().SetKeyField("id");

  BUTTONSAVE = Place<TKXButton>(this, "BUTTONSAVE", 16, 272, 96);
  BUTTONSAVE->SetCaption("Save");
  BUTTONSAVE->OnClick = [this](TObject* sender) { SaveClick(sender); };
  STATUS = Place<TKXLabel>(this, "STATUS", 16, 308, 460);
  BUTTONBACK = Place<TKXButton>(this, "BUTTONBACK", 120, 272, 96);
  BUTTONBACK->SetCaption("Back");
  BUTTONBACK->OnClick = [this](TObject*) { Release(); };
}

// A record the data refuses (here: a task without a title, the column is NOT NULL) raises ERecordRefused and stays
// in edit mode with what the user typed; the label says why.
void TGuideTasksForm::SaveClick(TObject*) {
  try {
    Tasks->Post();
    STATUS->SetCaption("Saved.");
  } catch (const ERecordRefused& e) {
    STATUS->SetCaption("Not saved: " + e.Message());
  }
}

}  // namespace kx
