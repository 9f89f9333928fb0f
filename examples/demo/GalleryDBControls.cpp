#include "examples/demo/GalleryDBControls.h"

#include <filesystem>

#include "kx/foundation/AppInfo.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

// Set by main before the server starts; the default is made once, whichever session asks first.
std::string& DataFolderSetting() {
  static std::string folder = gsAppPath() + "data/";
  return folder;
}

struct TSampleCustomer {
  const char* Name;
  const char* City;
  const char* Email;
  const char* Active;
  const char* Since;
  const char* Notes;
};

const TSampleCustomer kSampleCustomers[] = {
    {"Ada Byron", "London", "ada@example.com", "1", "2019-03-14", "Pays on time.\r\nPrefers e-mail."},
    {"Charles Babbage", "London", "charles@example.com", "1", "2018-11-02", "Large orders twice a year."},
    {"Grace Hopper", "New York", "grace@example.com", "1", "2020-06-30", ""},
    {"Alan Turing", "Manchester", "alan@example.com", "0", "2017-01-09", "Account paused."},
    {"Edsger Dijkstra", "Eindhoven", "edsger@example.com", "1", "2021-09-21", "Asks for short invoices."},
};

}  // namespace

void SetDemoDataFolder(const std::string& folder) {
  if (!folder.empty()) DataFolderSetting() = folder.back() == '/' ? folder : folder + "/";
}

const std::string& DemoDataFolder() { return DataFolderSetting(); }

std::string CustomersDatabaseFile() { return DemoDataFolder() + "customers.db"; }

void CreateCustomersDatabase(TSQLiteConnection& db) {
  // One transaction: two sessions opening the page on a fresh file do not both add the sample rows.
  db.InTransaction([&db] {
    db.Execute("CREATE TABLE IF NOT EXISTS customers (id INTEGER PRIMARY KEY, name VARCHAR(40) NOT NULL, "
               "city VARCHAR(40), email VARCHAR(60), active BOOLEAN NOT NULL DEFAULT 1, since DATE, notes TEXT, "
               "picture BLOB)");
    db.Execute("CREATE TABLE IF NOT EXISTS orders (id INTEGER PRIMARY KEY, "
               "custid INTEGER NOT NULL REFERENCES customers(id) ON DELETE CASCADE, item VARCHAR(40) NOT NULL, "
               "qty INTEGER NOT NULL DEFAULT 1, price REAL, delivery VARCHAR(10) NOT NULL DEFAULT 'post', "
               "billto INTEGER REFERENCES customers(id) ON DELETE SET NULL)");
    // Files made before orders had a delivery and a customer invoiced get the two columns.
    if (db.Execute("SELECT COUNT(*) FROM pragma_table_info('orders') WHERE name = 'delivery'")[0][0] == "0") {
      db.Execute("ALTER TABLE orders ADD COLUMN delivery VARCHAR(10) NOT NULL DEFAULT 'post'");
      db.Execute("ALTER TABLE orders ADD COLUMN billto INTEGER REFERENCES customers(id) ON DELETE SET NULL");
      db.Execute("UPDATE orders SET billto = custid");
    }
    if (db.Execute("SELECT COUNT(*) FROM customers")[0][0] != "0") return;
    for (const TSampleCustomer& c : kSampleCustomers)
      db.Execute("INSERT INTO customers (name, city, email, active, since, notes) VALUES (?, ?, ?, ?, ?, ?)",
                 {c.Name, c.City, c.Email, c.Active, c.Since, c.Notes});
    db.Execute("INSERT INTO orders (custid, item, qty, price, delivery, billto) VALUES "
               "(1, 'Gears', 12, 3.5, 'post', 1), (1, 'Cards', 500, 0.02, 'courier', 2), "
               "(2, 'Brass columns', 4, 120, 'pickup', 2), (3, 'Compiler manual', 1, 25, 'post', 3)");
  });
}

TCustomersData OpenCustomersData(TComponent* owner) {
  std::filesystem::create_directories(DemoDataFolder());
  TCustomersData data;
  data.Database = TComponent::Create<TSQLiteConnection>(owner);
  data.Database->SetFileName(CustomersDatabaseFile());
  data.Database->Open();
  CreateCustomersDatabase(*data.Database);
  data.Customers = TComponent::Create<TSQLiteDataSet>(owner);
  data.Customers->SetName("Customers");
  data.Customers->SetConnection(data.Database);
  data.Customers->SetTableName("customers");
  data.Customers->Open();
  data.CustomersSource = TComponent::Create<TDataSource>(owner);
  data.CustomersSource->SetName("CustomersSource");
  data.CustomersSource->SetDataSet(data.Customers);
  return data;
}

std::string PositionText(const TDataSet& data, const std::string& noun) {
  if (data.IsEmpty()) return "No " + LowerCase(noun) + "s";
  return noun + " " + std::to_string(data.RecNo()) + " of " + std::to_string(data.RecordCount());
}

void AfterEveryRecordAction(TKXDBNavigator* navigator, const TNotifyEvent& handler) {
  for (TNotifyEvent* event : {&navigator->OnFirst, &navigator->OnPrior, &navigator->OnNext, &navigator->OnLast,
                              &navigator->OnInsert, &navigator->OnPost, &navigator->OnCancel, &navigator->OnDelete,
                              &navigator->OnRefresh})
    *event = handler;
}

void TGalleryDBControlsForm::BuildComponents() {
  BuildGalleryFrame("Customers (data)",
                    "Move through the customers, change a field and Save; Cancel forgets the change.", 16, 376);
  const TCustomersData data = OpenCustomersData(this);
  Database = data.Database;
  Customers = data.Customers;
  CustomersSource = data.CustomersSource;
  BuildFields();
  BuildButtons();
  ShowPosition();
}

void TGalleryDBControlsForm::BuildFields() {
  const struct {
    const char* Caption;
    int Top;
  } captions[] = {{"Customer #", 16}, {"Name", 48}, {"City", 80}, {"E-mail", 112}, {"Since", 144}, {"Notes", 176}};
  int number = 0;
  for (const auto& caption : captions)
    Place<TKXLabel>(this, this, "CAPTION" + std::to_string(++number), 16, caption.Top + 2, 90, 21)
        ->SetCaption(caption.Caption);

  auto bind = [this](auto* control, const char* field) {
    control->SetDataSource(CustomersSource);
    control->SetDataField(field);
    return control;
  };
  LABELID = bind(Place<TKXDBLabel>(this, this, "LABELID", 110, 18, 100, 21), "id");
  EDITNAME = bind(Place<TKXDBEdit>(this, this, "EDITNAME", 110, 48, 260, 21), "name");
  COMBOCITY = bind(Place<TKXDBComboBox>(this, this, "COMBOCITY", 110, 80, 160, 21), "city");
  COMBOCITY->Items().SetText("Eindhoven\nLondon\nManchester\nNew York\nParis\n");
  CHECKACTIVE = bind(Place<TKXDBCheckBox>(this, this, "CHECKACTIVE", 290, 80, 80, 21), "active");
  CHECKACTIVE->SetCaption("Active");
  EDITEMAIL = bind(Place<TKXDBEdit>(this, this, "EDITEMAIL", 110, 112, 260, 21), "email");
  EDITSINCE = bind(Place<TKXDBEdit>(this, this, "EDITSINCE", 110, 144, 120, 21), "since");
  MEMONOTES = bind(Place<TKXDBMemo>(this, this, "MEMONOTES", 110, 176, 260, 90), "notes");
  TEXTCITY = bind(Place<TKXDBText>(this, this, "TEXTCITY", 390, 48, 200, 21), "city");
  LABELSTATUS = Place<TKXLabel>(this, this, "LABELSTATUS", 16, 340, 560, 21);
}

void TGalleryDBControlsForm::BuildButtons() {
  const struct {
    const char* Name;
    const char* Caption;
    void (TDataSet::*Action)();
  } buttons[] = {
      {"BUTTONFIRST", "First", &TDataSet::First},   {"BUTTONPRIOR", "Prior", &TDataSet::Prior},
      {"BUTTONNEXT", "Next", &TDataSet::Next},      {"BUTTONLAST", "Last", &TDataSet::Last},
      {"BUTTONSAVE", "Save", &TDataSet::Post},      {"BUTTONCANCEL", "Cancel", &TDataSet::Cancel},
      {"BUTTONREFRESH", "Refresh", &TDataSet::Refresh},
  };
  int left = 16;
  for (const auto& b : buttons) {
    auto* button = Place<TKXButton>(this, this, b.Name, left, 290, 78, 25);
    button->SetCaption(b.Caption);
    button->OnClick = [this, action = b.Action](TObject*) { Run([this, action] { (Customers->*action)(); }); };
    left += 84;
  }
}

void TGalleryDBControlsForm::Run(const std::function<void()>& action) {
  try {
    action();
    ShowPosition();
  } catch (const Exception& e) {
    LABELSTATUS->SetCaption("Not saved: " + e.Message());
  }
}

void TGalleryDBControlsForm::ShowPosition() { LABELSTATUS->SetCaption(PositionText(*Customers, "Customer")); }

}  // namespace kx
