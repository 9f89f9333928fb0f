#include "kx/controls/appform/AppForm.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "kx/appserver/ServerController.h"
#include "kx/foundation/AppInfo.h"
#include "kx/foundation/HttpPackets.h"
#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/labels/Labels.h"
#include "kx/forms/TemplateProcessor.h"
#include "support/TestForms.h"

namespace kx {
namespace {

constexpr const char* kChrome = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36";

class TFirstForm : public TKXAppForm {
  KX_COMPONENT_CLASS(TFirstForm, TKXAppForm)
};

class TStartForm : public TKXAppForm {
  KX_COMPONENT_CLASS(TStartForm, TKXAppForm)
};

// A form that asks for its release while it is still being made, before it has its session.
class TEarlyReleased : public TKXAppForm {
  KX_COMPONENT_CLASS(TEarlyReleased, TKXAppForm)

 public:
  TEarlyReleased() { Release(); }
};

// A message form of the author's own, derived from the framework's.
class TOwnMessage : public TKXShowMessage {
  KX_COMPONENT_CLASS(TOwnMessage, TKXShowMessage)
};

// A session with no main form unless the test sets one.
struct TAppFormFixture : test::TSessionFixture {
  TAppFormFixture() : test::TSessionFixture(kChrome) {
    gMainFormClass = nullptr;
    TRequestPacketFields fields;
    fields.Host = "www.example.com";
    fields.Method = "GET";
    WriteRequestPacket(fields, mPacket.data(), std::int64_t(mPacket.size()));
    Request = std::make_unique<THttpRequest>(mPacket.data(), std::int64_t(mPacket.size()));
  }
  ~TAppFormFixture() { gMainFormClass = nullptr; }

  std::vector<char> mPacket = std::vector<char>(THttpPacket::HostBufferSize);
  std::unique_ptr<THttpRequest> Request;

  // What ShowMessage makes of the active form's message class.
  TKXShowMessage* ShowMessage(const std::string& text, TKXShowMessageType kind) {
    Session->ShowMessage(text, kind);
    return dynamic_cast<TKXShowMessage*>(Session->GetActiveForm());
  }
};

TEST(TKXAppForm, RequestAuthOnlyWhenTheAuthenticatorRestrictsAll) {
  TAppFormFixture f;
  THttpRequest* request = f.Request.get();
  std::string realm;
  EXPECT_FALSE(TKXAppForm::ClassRequestAuth(*request, realm));  // no authenticator

  TKXAutherEvent auther(f.Controller.get());
  f.Controller->SetAuther(&auther);
  EXPECT_TRUE(TKXAppForm::ClassRequestAuth(*request, realm));
  auto* form = TComponent::Create<TFirstForm>(f.Session);
  EXPECT_TRUE(form->RequestAuth(*request, realm));
  auther.SetAutherPolicy(apRestrictNone);
  EXPECT_FALSE(TKXAppForm::ClassRequestAuth(*request, realm));
  EXPECT_FALSE(form->RequestAuth(*request, realm));
}

TEST(TKXAppForm, FormHandlersAskTheClassWhetherToAuthenticate) {
  TAppFormFixture f;
  InstallAppForms();
  THttpRequest* request = f.Request.get();
  std::string realm;
  TKXAutherEvent auther(f.Controller.get());
  f.Controller->SetAuther(&auther);
  auther.SetAutherPolicy(apRestrictNone);
  TContentForm handler(&TFirstForm::ClassRecord());
  EXPECT_FALSE(handler.RequestAuth(*request, realm));
  auther.SetAutherPolicy(apRestrictAll);
  EXPECT_TRUE(handler.RequestAuth(*request, realm));
  EXPECT_TRUE(GKXFormTypes().Contains(TFirstForm::ClassRecord()));
}

// Handlers are registered before the controller locks them: here, before there is one.
TEST(TKXAppForm, SetURLPublishesAFormHandlerForTheClass) {
  ASSERT_EQ(gSC, nullptr);
  THandlers::Clear();
  TKXAppForm::SetURL<TFirstForm>("/first/", "page.kx");
  auto* handler = dynamic_cast<TContentForm*>(THandlers::FindMatch("/first/page.kx"));
  ASSERT_NE(handler, nullptr);
  EXPECT_EQ(handler->FormClass(), &TFirstForm::ClassRecord());
  EXPECT_EQ(FindClass("tfirstform"), &TFirstForm::ClassRecord());
  THandlers::Clear();
}

// The release asked for during construction is carried out once the form
// belongs to its session: it goes at the end of the request (it was kept).
TEST(TKXAppForm, AReleaseRequestedBeforeSetUpIsCarriedOut) {
  TAppFormFixture f;
  auto* first = TComponent::Create<TFirstForm>(f.Session);
  first->Show();
  SetWebApplication(nullptr);  // the constructor finds no session
  TComponentRef<TEarlyReleased> early(TComponent::Create<TEarlyReleased>(f.Session));
  SetWebApplication(f.Session);
  ASSERT_NE(early.Get(), nullptr);
  EXPECT_TRUE(early->Released());
  EXPECT_EQ(early->Width(), 300);
  TStringList params;
  f.Session->ExecuteActiveForm(params);
  EXPECT_EQ(early.Get(), nullptr);
  EXPECT_EQ(f.Session->GetActiveForm(), first);
}

TEST(TKXShowMessage, ShowsTheTextAndAnOkButtonOverTheActiveForm) {
  TAppFormFixture f;
  auto* first = TComponent::Create<TFirstForm>(f.Session);
  first->Show();
  EXPECT_EQ(first->MessageForm(), &TKXShowMessage::ClassRecord());
  TKXShowMessage* message = f.ShowMessage("Saved <2> files", smSameWindow);
  ASSERT_NE(message, nullptr);
  EXPECT_NE(static_cast<TComponent*>(message), first);

  TKXText* text = message->TextMessage();
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->Name(), "textMessage");
  EXPECT_EQ(text->Parent(), message);
  EXPECT_EQ(text->Lines().Text(), "Saved <2> files\r\n");
  EXPECT_FALSE(text->UseFrame());
  EXPECT_EQ((std::array{text->Left(), text->Top(), text->Width(), text->Height()}), (std::array{8, 8, 337, 121}));

  TKXButton* ok = message->ButnOk();
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->Name(), "butnOk");
  EXPECT_EQ(ok->Caption(), "Ok");
  EXPECT_EQ((std::array{ok->Left(), ok->Top(), ok->Width(), ok->Height()}), (std::array{136, 136, 75, 25}));
}

TEST(TKXShowMessage, OnlyTheFrameKindFramesTheText) {
  for (TKXShowMessageType kind : {smSameWindow, smSameWindowFrame}) {
    SCOPED_TRACE(int(kind));
    TAppFormFixture f;
    TComponent::Create<TFirstForm>(f.Session)->Show();
    TKXShowMessage* message = f.ShowMessage("x", kind);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->TextMessage()->UseFrame(), kind == smSameWindowFrame);
  }
}

TEST(TKXShowMessage, OkReturnsToTheFormBelow) {
  TAppFormFixture f;
  gMainFormClass = &TStartForm::ClassRecord();
  auto* first = TComponent::Create<TFirstForm>(f.Session);
  first->Show();
  TKXShowMessage* message = f.ShowMessage("x", smSameWindow);
  ASSERT_NE(message, nullptr);
  message->ButnOk()->Submit("");
  EXPECT_TRUE(message->Released());
  EXPECT_EQ(f.Session->GetActiveForm(), first);
  EXPECT_EQ(f.Session->FindFormByClassName("TStartForm"), nullptr);
}

TEST(TKXShowMessage, OkOverNothingShowsANewMainForm) {
  TAppFormFixture f;
  gMainFormClass = &TStartForm::ClassRecord();
  auto* message = TComponent::Create<TKXShowMessage>(f.Session);
  message->InitializeAndShow("x", "", smSameWindow);
  message->ButnOk()->Submit("");
  TComponent* active = f.Session->GetActiveForm();
  ASSERT_NE(active, nullptr);
  EXPECT_EQ(active->ClassName(), "TStartForm");
  EXPECT_EQ(active->Owner(), f.Session);
}

TEST(TKXShowMessage, OkWithoutAMainFormRaises) {
  TAppFormFixture f;
  auto* message = TComponent::Create<TKXShowMessage>(f.Session);
  message->InitializeAndShow("x", "", smSameWindow);
  try {
    message->ShowMessageOnClick(message->ButnOk());
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "No main form is defined.");
  }
  EXPECT_EQ(f.Session->GetActiveFormCount(), 0);
}

// A message form of the author's own kind goes as well, or "Ok" would never leave it.
TEST(TKXShowMessage, OkReleasesDerivedMessageForms) {
  TAppFormFixture f;
  auto* first = TComponent::Create<TFirstForm>(f.Session);
  first->Show();
  auto* message = TComponent::Create<TOwnMessage>(f.Session);
  message->InitializeAndShow("x", "", smSameWindow);
  message->ButnOk()->Submit("");
  EXPECT_TRUE(message->Released());
  EXPECT_EQ(f.Session->GetActiveForm(), first);
}

// The template name given to the message form lays it out when the file is in
// the template folder (it was ignored); without the file the default layout does.
TEST(TKXShowMessage, TemplateInTheTemplateFolderLaysTheMessageOut) {
  for (const bool present : {true, false}) {
    SCOPED_TRACE(present);
    TAppFormFixture f;
    std::string folder = gsTempPath() + "kx-message-XXXXXX";
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    f.Controller->SetTemplateDir(folder);
    if (present)
      std::ofstream(folder + "/Note.html", std::ios::binary)
          << "<html><head></head><body><p>DESIGNED</p>{%textMessage%}{%butnOk%}</body></html>";
    TComponent::Create<TFirstForm>(f.Session)->Show();
    f.Session->ShowMessage("Saved", smSameWindow, "Note.html");
    auto* message = dynamic_cast<TKXShowMessage*>(f.Session->GetActiveForm());
    ASSERT_NE(message, nullptr);
    auto* processor = dynamic_cast<TKXTemplateProcessorHTML*>(message->LayoutMgr());
    EXPECT_EQ(processor != nullptr, present);
    if (processor != nullptr) {
      EXPECT_EQ(processor->Templates().Default(), "Note.html");
    }

    TKXRenderStream stream(true, true);
    message->GenerateForm(stream);
    const std::string page = stream.GetAsString();
    EXPECT_EQ(page.find("DESIGNED") != std::string::npos, present);
    EXPECT_NE(page.find("Saved"), std::string::npos);
    EXPECT_NE(page.find("BUTNOK"), std::string::npos);
    std::filesystem::remove_all(folder);
  }
}

}  // namespace
}  // namespace kx
