// The gallery page of the grids and the calendar: a grid of 10 x 6 cells with clickable row heads, an edit and
// buttons inside cells, and a calendar whose selected date shows in a label and is marked in the month.
#pragma once

#include "examples/demo/Gallery.h"
#include "kx/controls/calendar/Calendar.h"
#include "kx/controls/edits/Edits.h"
#include "kx/controls/grids/Grids.h"
#include "kx/controls/labels/Labels.h"

namespace kx {

// GRID1: row 0 holds header cells, column 0 of rows 1..9 clickable cells ("Row 1" ...), whose click shows in
// LABELCLICK; cell (2, 2) holds EDIT1, cell (3, 2) BUTTONCOPY (a submit copying EDIT1 into LABELECHO) and cell
// (4, 2) BUTTONASYNC (the same by callback, also into cell (4, 1)). CALENDAR1 starts in December of this year; its selected date shows
// in LABELDATE; BUTTONPREV and BUTTONNEXT page it by callback, BUTTONPICK selects the 15th of its month by callback.
class TGalleryGridsForm : public TGalleryForm {
  KX_COMPONENT_CLASS(TGalleryGridsForm, TGalleryForm)

 public:
  TKXGrid* GRID1 = nullptr;
  TKXEdit* EDIT1 = nullptr;
  TKXButton* BUTTONCOPY = nullptr;
  TKXButton* BUTTONASYNC = nullptr;
  TKXLabel* LABELCLICK = nullptr;
  TKXLabel* LABELECHO = nullptr;
  TKXCalendar* CALENDAR1 = nullptr;
  TKXLabel* LABELDATE = nullptr;
  TKXButton* BUTTONPREV = nullptr;
  TKXButton* BUTTONNEXT = nullptr;
  TKXButton* BUTTONPICK = nullptr;

 protected:
  void BuildComponents() override;

 private:
  void BuildGrid();
  void BuildCalendar();
};

}  // namespace kx
