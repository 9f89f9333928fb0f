// The gallery's "Customers and orders (data grid)" page: a navigator and a data grid on the customers of the
// demo's SQLite file (the master), the selected customer's orders in a second grid (the detail), and edits of
// the customer's name and city that the navigator posts, the customer's picture (a blob) in a data image, and two
// callbacks that change the orders.
#pragma once

#include "examples/demo/Gallery.h"
#include "kx/controls/dbcontrols/DBListCtrls.h"
#include "kx/controls/dbcontrols/DBStdCtrls.h"
#include "kx/controls/dbgrid/DBExtCtrls.h"
#include "kx/controls/dbgrid/DBGrid.h"
#include "kx/controls/dbgrid/DBNavigator.h"
#include "kx/data/SQLiteDataSet.h"

namespace kx {

class TGalleryDBGridForm : public TGalleryForm {
  KX_COMPONENT_CLASS(TGalleryDBGridForm, TGalleryForm)

 public:
  TSQLiteConnection* Database = nullptr;
  TSQLiteDataSet* Customers = nullptr;
  TSQLiteDataSet* Orders = nullptr;
  TDataSource* CustomersSource = nullptr;
  TDataSource* OrdersSource = nullptr;
  TKXDBNavigator* NAVCUSTOMERS = nullptr;
  TKXDBGrid* GRIDCUSTOMERS = nullptr;
  TKXDBGrid* GRIDORDERS = nullptr;
  TKXDBEdit* EDITNAME = nullptr;
  TKXDBEdit* EDITCITY = nullptr;
  TKXDBCheckBox* CHECKACTIVE = nullptr;
  TKXLabel* LABELSTATUS = nullptr;
  TKXDBImage* IMAGEPICTURE = nullptr;
  // Callbacks on the selected customer's orders: one more of the first order, and a new order at the end.
  TKXButton* BUTTONMORE = nullptr;
  TKXButton* BUTTONADDORDER = nullptr;

 protected:
  void BuildComponents() override;

 private:
  void OpenData();
  // Gives every customer without a picture one of our own drawing, in a colour of its own.
  void DrawMissingPictures();
  void BuildCustomers();
  void BuildOrders();
  void ShowPosition();
};

}  // namespace kx
