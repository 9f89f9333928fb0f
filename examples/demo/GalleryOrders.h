// The gallery page "Orders (look-ups)": one order of the demo's database at a time, edited through the data-aware
// choice controls. The customer and the customer invoiced are chosen by name from the customers table (a look-up
// list box and a look-up combo box storing the customer's number), the item from a data-aware list box and the
// delivery from a data-aware radio group.
#pragma once

#include "examples/demo/Gallery.h"
#include "kx/controls/dbcontrols/DBListCtrls.h"
#include "kx/controls/dbgrid/DBExtCtrls.h"
#include "kx/controls/dbgrid/DBNavigator.h"
#include "kx/controls/labels/Labels.h"
#include "kx/data/SQLiteDataSet.h"

namespace kx {

class TGalleryOrdersForm : public TGalleryForm {
  KX_COMPONENT_CLASS(TGalleryOrdersForm, TGalleryForm)

 public:
  TSQLiteDataSet* Orders = nullptr;
  TDataSource* OrdersSource = nullptr;
  TKXDBNavigator* NAVORDERS = nullptr;
  TKXDBLookupListBox* LISTCUSTOMER = nullptr;
  TKXDBLookupComboBox* COMBOBILLTO = nullptr;
  TKXDBListbox* LISTITEM = nullptr;
  TKXDBEdit* EDITQTY = nullptr;
  TKXDBRadioGroup* GROUPDELIVERY = nullptr;
  TKXLabel* LABELSTATUS = nullptr;

 protected:
  void BuildComponents() override;

 private:
  void OpenOrders(TSQLiteConnection* database);
  void BuildFields(TDataSource* customers);
  void ShowPosition();
};

}  // namespace kx
