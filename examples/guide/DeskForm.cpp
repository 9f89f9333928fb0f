#include <filesystem>
#include <map>

#include "GuideForms.h"
#include "kx/foundation/AppInfo.h"
#include "kx/platform/DateUtils.h"

namespace kx {

void TGuideDeskForm::BuildComponents() {
  SetTitle("kx guide - help desk");
  OpenData();
  BuildTree();
  BuildTabs();
  BuildServices();
  STATUS = Place<TKXLabel>(this, "STATUS", 16, 330, 600);
  BUTTONBACK = Place<TKXButton>(this, "BUTTONBACK", 16, 392, 96);
  BUTTONBACK->SetCaption("Back");
  BUTTONBACK->OnClick = [this](TObject*) { Release(); };
  // OnRender runs before every whole page, not before a callback's answer: a callback handler that changes what
  // STATUS shows calls ShowCategory itself.
  OnRender = [this](TObject*) { ShowCategory(); };
}

// The categories are a fixed list in memory; the tickets a SQLite table that every session shares.
void TGuideDeskForm::OpenData() {
  Categories = TComponent::Create<TMemDataSet>(this);
  Categories->AddField("id", ftInteger);
  Categories->AddField("name", ftString, 20);
  Categories->AddField("parent", ftInteger);
  Categories->Open();
  Categories->AddRecord({"1", "Hardware"});
  Categories->AddRecord({"2", "Printers", "1"});
  Categories->AddRecord({"3", "Laptops", "1"});
  Categories->AddRecord({"4", "Software"});
  Categories->AddRecord({"5", "Mail", "4"});
  CategoriesSource = TComponent::Create<TDataSource>(this);
  CategoriesSource->SetDataSet(Categories);

  std::filesystem::create_directories(gsAppPath() + "data");
  Database = TComponent::Create<TSQLiteConnection>(this);
  Database->SetFileName(gsAppPath() + "data/desk.db");
  Database->SetShared(true);  // one SQLite connection for every session's form, as on the tasks form
  Database->Open();
  Database->Execute("CREATE TABLE IF NOT EXISTS tickets (id INTEGER PRIMARY KEY, category INTEGER NOT NULL, "
                    "subject VARCHAR(80) NOT NULL DEFAULT '', closed BOOLEAN NOT NULL DEFAULT 0)");
  Tickets = TComponent::Create<TSQLiteDataSet>(this);
  Tickets->SetConnection(Database);
  Tickets->SetTableName("tickets");
  Tickets->Open();
  TicketsSource = TComponent::Create<TDataSource>(this);
  TicketsSource->SetDataSet(Tickets);
}

void TGuideDeskForm::BuildTree() {
  // A region: a framed box whose children are placed inside it.
  SIDE = Place<TKXRegion>(this, "SIDE", 16, 16, 180, 300);
  SIDE->BorderOptions().SetColor(clGray);
  TREE = Place<TKXTreeView>(this, "TREE", 4, 4, 170, 290);
  TREE->SetParent(SIDE);
  // One item per category, under the item of its parent category; the item's Tag keeps the record's bookmark.
  std::map<std::string, TKXTreeViewItem*> items;
  for (Categories->First(); !Categories->Eof(); Categories->Next()) {
    const std::string parent = Categories->FieldByName("parent").AsString();
    TKXTreeViewItem* item = TREE->Items().Add(parent.empty() ? nullptr : items.at(parent));
    item->SetCaption(Categories->FieldByName("name").AsString());
    item->SetTag(static_cast<std::int32_t>(*Categories->Bookmark()));
    items[Categories->FieldByName("id").AsString()] = item;
  }
  Categories->First();

  // Master and detail: the tickets are those whose "category" equals the current category's "id", and a new
  // ticket gets that category. A move of the master filters the detail again.
  Tickets->SetMasterSource(CategoriesSource);
  Tickets->SetMasterFields("category=id");
  // A click on an item's caption submits the page; the handler moves the master to the item's category.
  TREE->TreeItemClick = [this](TObject*, TKXTreeViewItem* item) { Categories->GotoBookmark(item->Tag()); };
}

void TGuideDeskForm::BuildTabs() {
  TABS = Place<TKXTabControl>(this, "TABS", 204, 16, 440, 300);
  TKXTabPage* ticketsPage = TABS->CreateNewPage("Tickets", "PAGETICKETS");
  TKXTabPage* historyPage = TABS->CreateNewPage("History", "PAGEHISTORY");

  // Controls on a page: placed on the form, then given the page as their parent.
  NAVIGATOR = Place<TKXDBNavigator>(this, "NAVIGATOR", 8, 8, 300, 32);
  NAVIGATOR->SetParent(ticketsPage);
  NAVIGATOR->SetDataSource(TicketsSource);
  NAVIGATOR->OnPost = [this](TObject*) { Note("<b>Saved</b>"); };
  GRID = Place<TKXDBGrid>(this, "GRID", 8, 48, 420, 130);
  GRID->SetParent(ticketsPage);
  GRID->SetDataSource(TicketsSource);
  GRID->SetOptions({dgShowTitles, dgIndicator});
  for (const auto& [field, title] : {std::pair{"subject", "Subject"}, {"closed", "Closed"}}) {
    TKXDBGridColumn* column = GRID->Columns().Add();
    column->SetDataField(field);
    column->Title().SetText(title);
  }
  SUBJECT = Place<TKXDBEdit>(this, "SUBJECT", 8, 190, 300);
  SUBJECT->SetParent(ticketsPage);
  SUBJECT->SetDataSource(TicketsSource);
  SUBJECT->SetDataField("subject");
  CLOSED = Place<TKXDBCheckBox>(this, "CLOSED", 316, 190, 100);
  CLOSED->SetParent(ticketsPage);
  CLOSED->SetCaption("Closed");
  CLOSED->SetDataSource(TicketsSource);
  CLOSED->SetDataField("closed");

  // A plain grid: the cells the program fills. Row 0 holds the titles.
  HISTORY = Place<TKXGrid>(this, "HISTORY", 8, 8, 420, 100);
  HISTORY->SetParent(historyPage);
  HISTORY->SetColumnCount(3);
  HISTORY->SetCellPadding(2);
  for (const auto& [column, title] : {std::pair{0, "Time"}, {1, "What"}, {2, "Subject"}}) {
    HISTORY->Cell(0, column)->SetHeader(true);
    HISTORY->Cell(0, column)->SetText(title);
  }

  // A change of page answers in a callback (OnChange would submit the page): the timer runs while the tickets show.
  TABS->OnAsyncChange = [this](TObject*, TStrings&) { TIMER->SetEnabled(TABS->ActivePage() == 0); };
}

void TGuideDeskForm::BuildServices() {
  // A timer ticks in the browser; with OnAsyncTimer each tick is a callback, whose answer carries what changed.
  OPEN = Place<TKXLabel>(this, "OPEN", 16, 358, 600);
  TIMER = TComponent::Create<TKXTimer>(this);
  TIMER->SetName("TIMER");
  TIMER->SetInterval(5000);
  TIMER->OnAsyncTimer = [this](TObject*, TStrings&) { CountOpen(); };
  CountOpen();

  // A modal window above the page, asked for by the navigator's Delete button. Its content is a label of the page,
  // hidden there: the window shows it while it is open and puts it back, hidden again, when it closes.
  QUESTION = Place<TKXLabel>(this, "QUESTION", 16, 430, 300);
  QUESTION->SetCaption("Delete this ticket for good?");
  QUESTION->SetVisible(false);
  CONFIRM = TComponent::Create<TKXModalWindow>(this);
  CONFIRM->SetName("CONFIRM");
  CONFIRM->SetTitle("Delete");
  CONFIRM->SetContentElement(QUESTION);
  CONFIRM->Buttons().Add("Delete");
  CONFIRM->Buttons().Add("Keep");
  NAVIGATOR->OnBeforeAction = [this](TObject*, TNavigateBtn button, bool& handled) {
    if (button != nbDelete) return;
    handled = true;  // the navigator does not delete; the window asks first
    CONFIRM->Show();
  };
  // A button of the window: a callback with ButtonIndex, the button's position in Buttons().
  CONFIRM->OnAsyncClick = [this](TObject*, TStrings&) {
    if (CONFIRM->ButtonIndex() != 0) return;
    Note("<b>Deleted</b>");
    Tickets->Delete();
    ShowCategory();
  };
}

// A row of HISTORY. what is markup, written as it is; the subject is stored text, which RawText(false) escapes.
void TGuideDeskForm::Note(const std::string& what) {
  const std::int32_t row = HISTORY->RowCount();
  HISTORY->SetRowCount(row + 1);
  HISTORY->Cell(row, 0)->SetText(DateTimeToStr(Now()).substr(11));
  HISTORY->Cell(row, 1)->SetText(what);
  HISTORY->Cell(row, 2)->SetRawText(false);
  HISTORY->Cell(row, 2)->SetText(Tickets->FieldByName("subject").AsString());
}

void TGuideDeskForm::ShowCategory() {
  STATUS->SetCaption(Categories->FieldByName("name").AsString() + ": " + IntToStr(Tickets->RecordCount()) +
                     " ticket(s)");
}

void TGuideDeskForm::CountOpen() {
  const auto rows = Database->Execute("SELECT COUNT(*) FROM tickets WHERE closed = 0");
  OPEN->SetCaption(rows[0][0].value_or("0") + " open ticket(s) in every category, counted at " +
                   DateTimeToStr(Now()).substr(11));
}

}  // namespace kx
