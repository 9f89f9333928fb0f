// The gallery's data page, "Customers (data)": the data-aware controls on the customers table of an SQLite file
// that the demo creates, with sample rows, the first time a session opens the page. The file lives in the demo's
// data folder: "data/" beside the program, or the folder given with --data-dir (KXDemo.cpp).
#pragma once

#include <string>

#include "examples/demo/Gallery.h"
#include "kx/controls/dbcontrols/DBListCtrls.h"
#include "kx/controls/dbcontrols/DBStdCtrls.h"
#include "kx/controls/dbgrid/DBNavigator.h"
#include "kx/data/SQLiteDataSet.h"

namespace kx {

// The folder of the demo's database files; set once at start-up, before any session.
void SetDemoDataFolder(const std::string& folder);
const std::string& DemoDataFolder();
// DemoDataFolder() + "customers.db".
std::string CustomersDatabaseFile();
// Creates the customers and orders tables with their sample rows unless the file has them.
void CreateCustomersDatabase(TSQLiteConnection& connection);

// The customers of the demo's database as a form shows them: the connection, the customers table open and its
// data source, all owned by the form.
struct TCustomersData {
  TSQLiteConnection* Database = nullptr;
  TSQLiteDataSet* Customers = nullptr;
  TDataSource* CustomersSource = nullptr;
};
// Opens CustomersDatabaseFile() (made with its sample rows the first time) for owner.
TCustomersData OpenCustomersData(TComponent* owner);
// Where data stands, for a status line: "Customer 2 of 5" for the noun "Customer", "No customers" when empty.
std::string PositionText(const TDataSet& data, const std::string& noun);
// Runs handler after every button of navigator that moves or changes the record (all but Edit).
void AfterEveryRecordAction(TKXDBNavigator* navigator, const TNotifyEvent& handler);

class TGalleryDBControlsForm : public TGalleryForm {
  KX_COMPONENT_CLASS(TGalleryDBControlsForm, TGalleryForm)

 public:
  TSQLiteConnection* Database = nullptr;
  TSQLiteDataSet* Customers = nullptr;
  TDataSource* CustomersSource = nullptr;
  TKXDBLabel* LABELID = nullptr;
  TKXDBEdit* EDITNAME = nullptr;
  TKXDBComboBox* COMBOCITY = nullptr;
  TKXDBCheckBox* CHECKACTIVE = nullptr;
  TKXDBEdit* EDITEMAIL = nullptr;
  TKXDBEdit* EDITSINCE = nullptr;
  TKXDBMemo* MEMONOTES = nullptr;
  TKXDBText* TEXTCITY = nullptr;
  TKXLabel* LABELSTATUS = nullptr;

 protected:
  void BuildComponents() override;

 private:
  void BuildFields();
  void BuildButtons();
  // Runs action on the customers; a failure (a locked file, a refused value) shows in the status line instead.
  void Run(const std::function<void()>& action);
  void ShowPosition();
};

}  // namespace kx
