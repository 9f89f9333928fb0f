#include "examples/demo/GalleryDBGrid.h"

#include "examples/demo/GalleryDBControls.h"
#include "kx/platform/Graphics.h"
#include "kx/platform/Streams.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

// A 64 x 64 PNG portrait: a head and shoulders on a background whose colour follows the customer's number.
std::string PortraitPNG(std::int64_t id) {
  TBitmap bitmap;
  bitmap.SetSize(64, 64);
  const auto shade = [id](int base, int step) { return std::uint8_t((base + step * id) % 200 + 40); };
  const TRGBA background{shade(90, 61), shade(150, 37), shade(200, 83), 255};
  const TRGBA figure{250, 245, 235, 255};
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const int dx = x - 32, hy = y - 24, sy = y - 70;
      const bool head = dx * dx + hy * hy < 13 * 13;
      const bool shoulders = dx * dx + sy * sy < 30 * 30;
      bitmap.SetPixel(x, y, head || shoulders ? figure : background);
    }
  }
  TPngImage png;
  png.Assign(&bitmap);
  TMemoryStream stream;
  png.SaveToStream(stream);
  std::string bytes(std::size_t(stream.Size()), '\0');
  stream.SetPosition(0);
  stream.Read(bytes.data(), stream.Size());
  return bytes;
}

}  // namespace

void TGalleryDBGridForm::BuildComponents() {
  BuildGalleryFrame("Customers and orders (data grid)",
                    "Click a name or use the navigator; + adds a customer and the tick saves it. Orders follow.", 16,
                    470);
  OpenData();
  BuildCustomers();
  BuildOrders();
  ShowPosition();
}

void TGalleryDBGridForm::OpenData() {
  const TCustomersData data = OpenCustomersData(this);
  Database = data.Database;
  Customers = data.Customers;
  CustomersSource = data.CustomersSource;

  DrawMissingPictures();

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
  AfterEveryRecordAction(NAVCUSTOMERS, [this](TObject*) { ShowPosition(); });

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
  // Every customer has the flag; a new one starts ticked, the column's default.
  CHECKACTIVE = Place<TKXDBCheckBox>(this, this, "CHECKACTIVE", 500, 122, 200, 21);
  CHECKACTIVE->SetDataSource(CustomersSource);
  CHECKACTIVE->SetDataField("active");
  CHECKACTIVE->SetCaption("Active");
  LABELSTATUS = Place<TKXLabel>(this, this, "LABELSTATUS", 450, 154, 250, 21);
  IMAGEPICTURE = Place<TKXDBImage>(this, this, "IMAGEPICTURE", 720, 58, 64, 64);
  IMAGEPICTURE->SetDataSource(CustomersSource);
  IMAGEPICTURE->SetDataField("picture");
  IMAGEPICTURE->SetAltText("Picture of the customer");
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

  // The orders grid is sent again by these callbacks, in its place and size on the page.
  BUTTONMORE = Place<TKXButton>(this, this, "BUTTONMORE", 16, 336, 200, 25);
  BUTTONMORE->SetCaption("One more (callback)");
  BUTTONMORE->OnAsyncClick = [this](TObject*, TStrings&) {
    if (Orders->IsEmpty()) return;
    Orders->First();
    Orders->Edit();
    Orders->FieldByName("qty").SetAsInteger(Orders->FieldByName("qty").AsInteger() + 1);
    Orders->Post();
  };
  BUTTONADDORDER = Place<TKXButton>(this, this, "BUTTONADDORDER", 224, 336, 200, 25);
  BUTTONADDORDER->SetCaption("Add an order (callback)");
  BUTTONADDORDER->OnAsyncClick = [this](TObject*, TStrings&) {
    if (Customers->IsEmpty()) return;
    Orders->Append();
    Orders->FieldByName("custid").SetAsInteger(Customers->FieldByName("id").AsInteger());
    Orders->FieldByName("item").SetAsString("Spare part");
    Orders->FieldByName("qty").SetAsInteger(1);
    Orders->FieldByName("price").SetAsString("2.5");
    Orders->Post();
  };
}

void TGalleryDBGridForm::DrawMissingPictures() {
  TField& picture = Customers->FieldByName("picture");
  for (Customers->First(); !Customers->Eof(); Customers->Next()) {
    if (!picture.IsNull()) continue;
    Customers->Edit();
    picture.SetAsString(PortraitPNG(Customers->FieldByName("id").AsInteger()));
    Customers->Post();
  }
  Customers->First();
}

void TGalleryDBGridForm::ShowPosition() {
  if (Customers->State() == dsInsert) return LABELSTATUS->SetCaption("A new customer: the tick saves it");
  LABELSTATUS->SetCaption(PositionText(*Customers, "Customer"));
}

}  // namespace kx
