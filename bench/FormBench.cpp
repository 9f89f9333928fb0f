// Forms through the entry point: full page renders per second and callbacks per second of a session whose main
// form holds 50 controls (20 edits, 10 buttons, 20 labels), each request a packet through HttpExecute. Besides,
// the rendering of a grid of N rows x 6 columns (one clickable column), whose time must grow linearly in its cells,
// and the rendering of one page (20 records) of a data grid on an SQLite table of 100,000 rows, which must not
// grow with the table: the data set reads the page's records by key. Last, the joining of the fields of a post
// whose N fields all have names of their own, and of a callback posting N empty lines of one name, which must both
// grow linearly in N.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kx/appserver/Runtime.h"
#include "kx/appserver/CallBacks.h"
#include "kx/appserver/ServerSession.h"
#include "kx/appserver/Startup.h"
#include "kx/controls/dbgrid/DBGrid.h"
#include "kx/controls/grids/Grids.h"
#include "kx/data/SQLiteDataSet.h"
#include "kx/forms/FormExecution.h"
#include "kx/forms/FormTypes.h"
#include "kx/foundation/HttpPackets.h"
#include "kx/foundation/HttpReply.h"
#include "tests/support/FormTestControls.h"

namespace {

using namespace kx;
using test::AddControl;

class TBenchForm : public TKXForm {
  KX_COMPONENT_CLASS(TBenchForm, TKXForm)

 protected:
  void BuildComponents() override {
    SetTitle("Fifty controls");
    std::vector<test::TFlowLabel*> labels;
    for (int i = 0; i < 20; ++i) {
      labels.push_back(AddControl<test::TFlowLabel>(this, this, "Label" + std::to_string(i + 1), 10, 10 + 30 * i, 150));
      labels.back()->SetText("Label number " + std::to_string(i + 1));
    }
    for (int i = 0; i < 20; ++i) {
      auto* edit = AddControl<test::TFlowEdit>(this, this, "Edit" + std::to_string(i + 1), 170, 10 + 30 * i, 150);
      edit->SetText("value " + std::to_string(i + 1));
      test::TFlowLabel* label = labels[std::size_t(i)];
      // A new text each time, so that every callback sends the label.
      edit->OnAsyncChange = [edit, label, count = 0](TObject*, TStrings&) mutable {
        label->SetText("Change " + std::to_string(++count) + ": " + edit->Text());
      };
    }
    for (int i = 0; i < 10; ++i) {
      auto* button = AddControl<test::TFlowButton>(this, this, "Button" + std::to_string(i + 1), 330, 10 + 30 * i, 75);
      button->OnClick = [labels](TObject*) { labels[0]->SetText("Clicked"); };
    }
  }
};

// One controller and one session for the whole run.
class TBenchSession {
 public:
  // The run's runtime, made first and freed last.
  TKXRuntime mRuntime;

  TBenchSession() {
    Startup();
    InstallCallBacks();
    InstallForms();
    RegisterSessionLayer();
    SetAsMainForm<TBenchForm>();
    mController = std::make_unique<test::TTempController>();
    Send("GET", "/", "", {});
    Send("GET", "/$/StartCheck", "KX_width=1024&KX_height=768", {});
    if (Send("GET", "/$/", "", {}).Code != 200) std::abort();
  }
  ~TBenchSession() { mController.reset(); }

  TRequestPacketFields Request(const std::string& method, const std::string& path, const std::string& query,
                               const std::vector<std::string>& body) const {
    TRequestPacketFields fields;
    fields.PathInfo = path;
    fields.URL = path;
    fields.Query = query;
    fields.Method = method;
    fields.Host = "localhost:8080";
    fields.ServerPort = 8080;
    fields.RemoteAddr = "127.0.0.1";
    fields.UserAgent = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36";
    if (!mCookie.empty()) fields.CookieFields.push_back("KX_MyKXApp=" + mCookie);
    if (!query.empty()) fields.QueryFields.push_back(query);
    for (const std::string& field : body) fields.QueryFields.push_back(field);
    fields.HasContent = !body.empty();
    return fields;
  }

  TReplyPacket Send(const std::string& method, const std::string& path, const std::string& query,
                    const std::vector<std::string>& body) {
    std::vector<char> buffer(THttpPacket::HostBufferSize);
    WriteRequestPacket(Request(method, path, query, body), buffer.data(), std::int64_t(buffer.size()));
    HttpExecute(buffer.data(), std::int32_t(buffer.size()));
    TReplyPacket reply = ReadReplyPacket(buffer.data(), std::int64_t(buffer.size()));
    for (const TReplyPacketCookie& cookie : reply.Cookies)
      if (cookie.Name == "KX_MyKXApp") mCookie = cookie.Value;
    return reply;
  }

 private:
  std::unique_ptr<test::TTempController> mController;
  std::string mCookie;
};

TBenchSession& Session() {
  static TBenchSession session;
  return session;
}

// Each iteration: the request packet into the host buffer, HttpExecute, the reply packet read back.
void Run(benchmark::State& state, const TRequestPacketFields& fields, const char* expected) {
  std::vector<char> request(THttpPacket::HostBufferSize);
  const std::int64_t length = WriteRequestPacket(fields, request.data(), std::int64_t(request.size()));
  std::vector<char> buffer(THttpPacket::HostBufferSize);
  std::int64_t bytes = 0;
  for (auto _ : state) {
    std::memcpy(buffer.data(), request.data(), std::size_t(length));
    HttpExecute(buffer.data(), std::int32_t(buffer.size()));
    TReplyPacket reply = ReadReplyPacket(buffer.data(), std::int64_t(buffer.size()));
    if (reply.Code != 200 || reply.Content.find(expected) == std::string::npos) {
      state.SkipWithError("unexpected reply");
      break;
    }
    bytes += std::int64_t(reply.Content.size());
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(bytes);
}

void BM_FullPage(benchmark::State& state) {
  Run(state, Session().Request("GET", "/$/", "", {}), "</html>");
}
BENCHMARK(BM_FullPage);

void BM_Callback(benchmark::State& state) {
  Run(state,
      Session().Request("POST", "/$/callback", "callback=EDIT7.DoOnAsyncChange", {"EDIT7=typed text"}),
      "<control id=\"LABEL7\"");
}
BENCHMARK(BM_Callback);

// The grid's markup, from RenderHTML to text; complexity N is the number of cells.
void BM_GridRender(benchmark::State& state) {
  Session();  // the runtime the components live in
  const int rows = int(state.range(0));
  TOwnedComponent<TComponent> owner(TComponent::Create<TComponent>(nullptr));
  auto* grid = TComponent::Create<TKXGrid>(owner.get());
  grid->SetName("Grid1");
  grid->SetColumnCount(6);
  grid->SetRowCount(rows);
  for (int row = 0; row < rows; ++row) {
    grid->Cell(row, 0)->SetText("Row " + std::to_string(row));
    grid->Cell(row, 0)->SetClickable(true);
    for (int column = 1; column < 6; ++column) grid->Cell(row, column)->SetText(std::to_string(row * column));
  }
  std::int64_t bytes = 0;
  for (auto _ : state) {
    TKXCompContext context(grid, nullptr, nullptr);
    TKXElementPtr<TKXHTMLTag> tag = grid->RenderHTML(&context);
    TKXRenderStream stream(true, true);
    tag->Render(stream);
    bytes += stream.Stream()->Size();
  }
  state.SetComplexityN(std::int64_t(rows) * 6);
  state.SetItemsProcessed(state.iterations() * rows * 6);
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_GridRender)->Arg(125)->Arg(250)->Arg(500)->Arg(1000)->Arg(2000)->Complexity(benchmark::oN);

}  // namespace

// One page of 20 records around the current one (its position in the table is the argument), of a table of
// 100,000 rows with a memo column, rendered as the page shows it.
void BM_DBGridPage(benchmark::State& state) {
  Session();
  constexpr int kRows = 100000;
  static const std::string file = [] {
    const std::string path = (std::filesystem::temp_directory_path() / "kx_bench_dbgrid.db").string();
    std::filesystem::remove(path);
    TOwnedComponent<TSQLiteConnection> db(TComponent::Create<TSQLiteConnection>(nullptr));
    db->SetFileName(path);
    db->Open();
    db->InTransaction([&db] {
      db->Execute("CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(40), city VARCHAR(40), notes TEXT)");
      for (int i = 1; i <= kRows; ++i)
        db->Execute("INSERT INTO people (name, city, notes) VALUES (?, ?, ?)",
                    {"Person " + std::to_string(i), "City " + std::to_string(i % 97),
                     "Notes about person " + std::to_string(i) + ", long enough to be cut."});
    });
    return path;
  }();
  TOwnedComponent<TComponent> owner(TComponent::Create<TComponent>(nullptr));
  auto* db = TComponent::Create<TSQLiteConnection>(owner.get());
  db->SetFileName(file);
  db->Open();
  auto* people = TComponent::Create<TSQLiteDataSet>(owner.get());
  people->SetConnection(db);
  people->SetTableName("people");
  people->Open();
  auto* source = TComponent::Create<TDataSource>(owner.get());
  source->SetDataSet(people);
  auto* grid = TComponent::Create<TKXDBGrid>(owner.get());
  grid->SetName("DBGrid1");
  grid->SetDataSource(source);
  grid->SetRowLimit(20);
  grid->SetFromStart(false);
  grid->SetOptions({dgShowTitles, dgIndicator});
  people->SetRecNo(int(state.range(0)));
  for (int i = 0; i < 4; ++i) {
    TKXDBGridColumn* column = grid->Columns().Add();
    column->SetDataField(people->Fields(i).FieldName());
  }
  grid->Columns().Items(3)->SetBlobCharLimit(20);
  grid->Columns().Items(1)->SetLinkField("id");
  std::int64_t bytes = 0;
  for (auto _ : state) {
    TKXCompContext context(grid, nullptr, nullptr);
    TKXElementPtr<TKXHTMLTag> tag = grid->RenderHTML(&context);
    TKXRenderStream stream(true, true);
    tag->Render(stream);
    bytes += stream.Stream()->Size();
  }
  state.SetItemsProcessed(state.iterations() * 20);
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_DBGridPage)->Arg(1)->Arg(50000)->Arg(99990)->Unit(benchmark::kMicrosecond);

// A post of N distinct fields, as a submit or a callback hands it to the form; complexity N is the fields.
void BM_JoinRepeatedFields(benchmark::State& state) {
  const int count = int(state.range(0));
  for (auto _ : state) {
    TStringList params;
    for (int i = 0; i < count; ++i) params.Add("EDIT" + std::to_string(i) + "=value " + std::to_string(i));
    TKXFormExecution::JoinRepeatedFields(params);
    if (params.Count() != count) {
      state.SkipWithError("fields were joined");
      break;
    }
  }
  state.SetComplexityN(count);
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_JoinRepeatedFields)
    ->Arg(5000)->Arg(10000)->Arg(20000)->Arg(40000)->Arg(100000)->Arg(200000)
    ->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

// A callback posting N empty lines of one name, which are not joined: the form takes them all out of its fields.
void BM_PostedEmptyLines(benchmark::State& state) {
  Session();  // the runtime the form lives in
  TOwnedComponent<TBenchForm> form{TComponent::Create<TBenchForm>(nullptr)};
  const int count = int(state.range(0));
  for (auto _ : state) {
    TStringList params;
    params.Add("callback=EDIT1.DoOnAsyncChange");
    for (int i = 0; i < count; ++i) params.Add("KX_FormName=");
    form->ExecuteForm(params);
    if (form->Params().Count() != 1) {
      state.SkipWithError("the lines were not taken out");
      break;
    }
  }
  state.SetComplexityN(count);
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_PostedEmptyLines)->Arg(2500)->Arg(5000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

BENCHMARK_MAIN();
