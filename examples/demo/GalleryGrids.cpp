#include "examples/demo/GalleryGrids.h"

#include "kx/platform/FormatSettings.h"

namespace kx {

void TGalleryGridsForm::BuildComponents() {
  BuildGalleryFrame("Grid and calendar",
                    "Click a row header, copy the grid's edit, and pick a day or a month in the calendar.", 16, 16);
  BuildGrid();
  BuildCalendar();
}

void TGalleryGridsForm::BuildGrid() {
  GRID1 = Place<TKXGrid>(this, this, "GRID1", 16, 56, 560, 300);
  GRID1->SetColumnCount(6);
  GRID1->SetRowCount(10);
  GRID1->SetCellPadding(2);
  for (int column = 0; column < 6; ++column) {
    TKXGridCell* head = GRID1->Cell(0, column);
    head->SetHeader(true);
    head->SetText("Column " + std::to_string(column));
    head->SetBGColor(0xDEC4B0);
  }
  for (int row = 1; row < 10; ++row) {
    TKXGridCell* rowHead = GRID1->Cell(row, 0);
    rowHead->SetText("Row " + std::to_string(row));
    rowHead->SetClickable(true);
    for (int column = 3; column < 6; ++column) GRID1->Cell(row, column)->SetText(std::to_string(row * column));
  }
  GRID1->Cell(1, 2)->SetRawText(false);
  GRID1->Cell(1, 2)->SetText("<not markup> & ]]>");
  GRID1->OnCellClick = [this](TObject*, std::int32_t row, std::int32_t column) {
    LABELCLICK->SetCaption("Clicked row " + std::to_string(row) + ", column " + std::to_string(column));
  };

  EDIT1 = Place<TKXEdit>(this, this, "EDIT1", 0, 0, 120, 21);
  GRID1->Cell(2, 2)->SetControl(EDIT1);
  BUTTONCOPY = Place<TKXButton>(this, this, "BUTTONCOPY", 0, 0, 96, 25);
  BUTTONCOPY->SetCaption("Copy");
  BUTTONCOPY->OnClick = [this](TObject*) { LABELECHO->SetCaption(EDIT1->Text()); };
  GRID1->Cell(3, 2)->SetControl(BUTTONCOPY);
  BUTTONASYNC = Place<TKXButton>(this, this, "BUTTONASYNC", 0, 0, 120, 25);
  BUTTONASYNC->SetCaption("Copy (callback)");
  BUTTONASYNC->OnAsyncClick = [this](TObject*, TStrings&) {
    LABELECHO->SetCaption(EDIT1->Text());
    GRID1->Cell(4, 1)->SetRawText(false);
    GRID1->Cell(4, 1)->SetText(EDIT1->Text());
  };
  GRID1->Cell(4, 2)->SetControl(BUTTONASYNC);

  LABELCLICK = Place<TKXLabel>(this, this, "LABELCLICK", 16, 368, 300, 21);
  LABELCLICK->SetCaption("No cell clicked yet");
  LABELECHO = Place<TKXLabel>(this, this, "LABELECHO", 16, 396, 300, 21);
}

void TGalleryGridsForm::BuildCalendar() {
  CALENDAR1 = Place<TKXCalendar>(this, this, "CALENDAR1", 600, 56, 300, 240);
  LABELDATE = Place<TKXLabel>(this, this, "LABELDATE", 600, 308, 300, 21);
  CALENDAR1->OnDateChange = [this](TDateTime date) {
    LABELDATE->SetCaption("Selected: " + FormatDateTime("yyyy-mm-dd", date));
    // The month is filled again, so that the mark moves to the new day.
    CALENDAR1->LoadMonth();
  };
  // The selected day carries a mark of the demo's style sheet under its number.
  CALENDAR1->OnGetDateInformation = [this](TDateTime date, TStrings& information) {
    if (date == CALENDAR1->SelectedDate()) information.Add("<span class=\"demo-selected-day\">selected</span>");
  };
  int year, month, day;
  DecodeDate(Date(), year, month, day);
  // A calendar made at run time shows its month once StartDate changes.
  CALENDAR1->SetStartDate(EncodeDate(year, 12, 1));

  BUTTONPREV = Place<TKXButton>(this, this, "BUTTONPREV", 600, 340, 96, 25);
  BUTTONPREV->SetCaption("< (callback)");
  BUTTONPREV->OnAsyncClick = [this](TObject*, TStrings&) { CALENDAR1->GoPreviousMonth(); };
  BUTTONNEXT = Place<TKXButton>(this, this, "BUTTONNEXT", 702, 340, 96, 25);
  BUTTONNEXT->SetCaption("(callback) >");
  BUTTONNEXT->OnAsyncClick = [this](TObject*, TStrings&) { CALENDAR1->GoNextMonth(); };
  BUTTONPICK = Place<TKXButton>(this, this, "BUTTONPICK", 804, 340, 96, 25);
  BUTTONPICK->SetCaption("Pick the 15th");
  BUTTONPICK->OnAsyncClick = [this](TObject*, TStrings&) {
    CALENDAR1->SetSelectedDate(EncodeDate(CALENDAR1->CurrentYear(), CALENDAR1->CurrentMonth(), 15));
  };
}

}  // namespace kx
