#include "examples/demo/GalleryOrders.h"

#include "examples/demo/GalleryDBControls.h"

namespace kx {

void TGalleryOrdersForm::BuildComponents() {
  BuildGalleryFrame("Orders (look-ups)",
                    "Move through the orders, choose a customer, the invoice, an item or the delivery, then save.", 16,
                    400);
  const TCustomersData customers = OpenCustomersData(this);
  OpenOrders(customers.Database);
  BuildFields(customers.CustomersSource);
  ShowPosition();
}

void TGalleryOrdersForm::OpenOrders(TSQLiteConnection* database) {
  Orders = TComponent::Create<TSQLiteDataSet>(this);
  Orders->SetName("Orders");
  Orders->SetConnection(database);
  Orders->SetTableName("orders");
  Orders->Open();
  OrdersSource = TComponent::Create<TDataSource>(this);
  OrdersSource->SetName("OrdersSource");
  OrdersSource->SetDataSet(Orders);

  NAVORDERS = Place<TKXDBNavigator>(this, this, "NAVORDERS", 16, 0, 300, 32);
  NAVORDERS->SetDataSource(OrdersSource);
  NAVORDERS->SetInsertMode(imAppend);
  AfterEveryRecordAction(NAVORDERS, [this](TObject*) { ShowPosition(); });
  LABELSTATUS = Place<TKXLabel>(this, this, "LABELSTATUS", 330, 6, 300, 21);
}

void TGalleryOrdersForm::BuildFields(TDataSource* customers) {
  const struct {
    const char* Name;
    const char* Caption;
    int Top;
  } captions[] = {{"CAPTIONCUSTOMER", "Customer", 44}, {"CAPTIONBILLTO", "Invoice to", 160},
                  {"CAPTIONITEM", "Item", 196},        {"CAPTIONQTY", "Quantity", 312},
                  {"CAPTIONDELIVERY", "Delivery", 346}};
  for (const auto& caption : captions)
    Place<TKXLabel>(this, this, caption.Name, 16, caption.Top + 2, 100, 21)->SetCaption(caption.Caption);

  auto bind = [this](auto* control, const char* field) {
    control->SetDataSource(OrdersSource);
    control->SetDataField(field);
    return control;
  };
  // Both look-ups show the customers' names and store their numbers.
  auto lookUpCustomers = [customers](TKXDBLookup& lookup) {
    lookup.SetListSource(customers);
    lookup.SetListField("name");
    lookup.SetKeyField("id");
  };
  LISTCUSTOMER = bind(Place<TKXDBLookupListBox>(this, this, "LISTCUSTOMER", 120, 44, 220, 104), "custid");
  lookUpCustomers(LISTCUSTOMER->Lookup());
  COMBOBILLTO = bind(Place<TKXDBLookupComboBox>(this, this, "COMBOBILLTO", 120, 160, 220, 21), "billto");
  lookUpCustomers(COMBOBILLTO->Lookup());
  LISTITEM = bind(Place<TKXDBListbox>(this, this, "LISTITEM", 120, 196, 220, 104), "item");
  for (const char* item : {"Brass columns", "Cards", "Compiler manual", "Gears", "Punched tape", "Relays"})
    LISTITEM->Items().Add(item);
  EDITQTY = bind(Place<TKXDBEdit>(this, this, "EDITQTY", 120, 312, 80, 21), "qty");
  GROUPDELIVERY = bind(Place<TKXDBRadioGroup>(this, this, "GROUPDELIVERY", 120, 346, 320, 24), "delivery");
  GROUPDELIVERY->SetLayout(glHorizontal);
  for (const char* item : {"By post", "By courier", "Picked up"}) GROUPDELIVERY->Items().Add(item);
  GROUPDELIVERY->Values().SetText("post\ncourier\npickup\n");
}

void TGalleryOrdersForm::ShowPosition() { LABELSTATUS->SetCaption(PositionText(*Orders, "Order")); }

}  // namespace kx
