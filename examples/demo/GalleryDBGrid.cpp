#include "examples/demo/GalleryDBGrid.h"

#include <filesystem>

#include "examples/demo/GalleryDBControls.h"
#include "kx/platform/SysUtils.h"

namespace kx {

void TGalleryDBGridForm::BuildComponents() {
  BuildGalleryFrame("Customers and orders (data grid)", 16, 470);
  OpenData();
  BuildCustomers();
  BuildOrders();
  ShowPosition();
}

void TGalleryDBGridForm::OpenData() {
  std::filesystem::create_directories(DemoDataFolder());
  Database = TComponent::Create<TSQLiteConnection>(this);
  Database->SetFileName(CustomersDatabaseFile());
  Database->Open();
  CreateCustomersDatabase(*Database);
  Customers = TComponent::Create<TSQLiteDataSet>(this);
  Customers->SetName("Customers");
  Customers->SetConnection(Database);
  Customers->SetTableName("customers");
  Customers->Open();
  CustomersSource = TComponent::Create<TDataSource>(this);
  CustomersSource->SetName("CustomersSource");
  CustomersSource->SetDataSet(Customers);

  Orders = TComponent::Create<TSQLiteDataSet>(this);
  Orders->SetName("Orders");
  Orders->SetConnection(Database);
  Orders->SetTableName("orders");
  Orders->SetMasterSource(CustomersSource);
  Orders->SetMasterFields("custid=id");
  Orders->Open();
  OrdersSource = TComponent::Create<TDataSource>(this);
  OrdersSource->SetName("OrdersSource");
  OrdersSource->SetDataSet(Orders);
}

void TGalleryDBGridForm::BuildCustomers() {
  NAVCUSTOMERS = Place<TKXDBNavigator>(this, this, "NAVCUSTOMERS", 16, 16, 300, 32);
  NAVCUSTOMERS->SetDataSource(CustomersSource);
  NAVCUSTOMERS->Confirmations().SetDelete(RSDeleteMessage);
  NAVCUSTOMERS->Confirmations().SetCancel(RSCancelMessage);
  NAVCUSTOMERS->SetInsertMode(imAppend);
  auto afterAction = [this](TObject*) { ShowPosition(); };
  for (TNotifyEvent* event : {&NAVCUSTOMERS->OnFirst, &NAVCUSTOMERS->OnPrior, &NAVCUSTOMERS->OnNext,
                              &NAVCUSTOMERS->OnLast, &NAVCUSTOMERS->OnPost, &NAVCUSTOMERS->OnCancel,
                              &NAVCUSTOMERS->OnDelete, &NAVCUSTOMERS->OnRefresh})
    *event = afterAction;

  // Three customers a page: the grid pages as the navigator moves the current customer.
  GRIDCUSTOMERS = Place<TKXDBGrid>(this, this, "GRIDCUSTOMERS", 16, 56, 420, 110);
  GRIDCUSTOMERS->SetDataSource(CustomersSource);
  GRIDCUSTOMERS->SetRowLimit(3);
  GRIDCUSTOMERS->SetFromStart(false);
  GRIDCUSTOMERS->SetOptions({dgShowTitles, dgIndicator});
  GRIDCUSTOMERS->SetRowCurrentColor(clMoneyGreen);
  GRIDCUSTOMERS->SetRowHeaderColor(clSilver);
  GRIDCUSTOMERS->SetRowClick(true);
  const struct {
    const char* Field;
    const char* Title;
  } columns[] = {{"id", "#"}, {"name", "Name"}, {"city", "City"}, {"notes", "Notes"}};
  for (const auto& c : columns) {
    TKXDBGridColumn* column = GRIDCUSTOMERS->Columns().Add();
    column->SetDataField(c.Field);
    column->Title().SetText(c.Title);
  }
  GRIDCUSTOMERS->Columns().Items(3)->SetBlobCharLimit(12);
  // A click on a row makes its customer the current one.
  TKXDBGridColumn* name = GRIDCUSTOMERS->Columns().Items(1);
  name->SetLinkField("id");
  name->OnClick = [this](TObject*, const std::string& id) {
    std::int64_t key = 0;
    if (TryStrToInt64(id, key) && Customers->BookmarkValid(key)) Customers->GotoBookmark(key);
    ShowPosition();
  };

  Place<TKXLabel>(this, this, "CAPTIONNAME", 450, 60, 50, 21)->SetCaption("Name");
  EDITNAME = Place<TKXDBEdit>(this, this, "EDITNAME", 500, 58, 200, 21);
  EDITNAME->SetDataSource(CustomersSource);
  EDITNAME->SetDataField("name");
  Place<TKXLabel>(this, this, "CAPTIONCITY", 450, 92, 50, 21)->SetCaption("City");
  EDITCITY = Place<TKXDBEdit>(this, this, "EDITCITY", 500, 90, 200, 21);
  EDITCITY->SetDataSource(CustomersSource);
  EDITCITY->SetDataField("city");
  LABELSTATUS = Place<TKXLabel>(this, this, "LABELSTATUS", 450, 124, 250, 21);
}

void TGalleryDBGridForm::BuildOrders() {
  Place<TKXLabel>(this, this, "CAPTIONORDERS", 16, 180, 300, 21)->SetCaption("Orders of the selected customer");
  GRIDORDERS = Place<TKXDBGrid>(this, this, "GRIDORDERS", 16, 204, 420, 120);
  GRIDORDERS->SetDataSource(OrdersSource);
  const struct {
    const char* Field;
    const char* Title;
  } columns[] = {{"item", "Item"}, {"qty", "Quantity"}, {"price", "Price"}};
  for (const auto& c : columns) {
    TKXDBGridColumn* column = GRIDORDERS->Columns().Add();
    column->SetDataField(c.Field);
    column->Title().SetText(c.Title);
  }
}

void TGalleryDBGridForm::ShowPosition() {
  if (Customers->IsEmpty()) return LABELSTATUS->SetCaption("No customers");
  LABELSTATUS->SetCaption("Customer " + std::to_string(Customers->RecNo()) + " of " +
                          std::to_string(Customers->RecordCount()));
}

}  // namespace kx
