// The plug-in objects and the Silverlight controls: contract rows, the OBJECT and EMBED markup with hostile
// parameters, the Flash and QuickTime parameter lists, the creation script and the video player's XAML.
#include "kx/controls/plugins/Plugins.h"

#include <gtest/gtest.h>

#include <string>

#include "kx/controls/plugins/Silverlight.h"
#include "support/ControlContract.h"
#include "support/Escaping.h"
#include "support/ParsedDocument.h"
#include "support/Raised.h"
#include "support/RenderedTags.h"

namespace kx::test {
namespace {

const TControlContract kPluginsContract[] = {
    {.Name = "ActiveX",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* object = f.Add<TKXActiveX>("Object1", f.Form);
       object->SetClassID("clsid:0000-1111");
       return object;
     },
     .Tag = "object",
     .Attributes = {{"id", "OBJECT1"}, {"classid", "clsid:0000-1111"}, {"name", kAbsent}, {"type", kAbsent}},
     .AsyncType = "KXACTIVEX",
     .AsyncFacts = {{"@name", "OBJECT1"}, {"innerhtml", ""}}},
    {.Name = "Flash",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return f.Add<TKXFlash>("Flash1", f.Form); },
     .Tag = "div",
     .Attributes = {{"id", "FLASH1"}},
     .AsyncType = "KXFLASH",
     .AsyncFacts = {{"@name", "FLASH1"}}},
    {.Name = "QuickTime",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return f.Add<TKXQuickTime>("Movie1", f.Form); },
     .Tag = "div",
     .Attributes = {{"id", "MOVIE1"}},
     .AsyncType = "KXQUICKTIME"},
    {.Name = "MPEG",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return f.Add<TKXMPEG>("Video1", f.Form); },
     .Tag = "object",
     .Attributes = {{"id", "VIDEO1"}},
     .AsyncType = "KXMPEG"},
    {.Name = "Silverlight",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return f.Add<TKXSilverlight>("Light1", f.Form); },
     .Tag = "div",
     .Attributes = {{"name", kAbsent}}},
};
KX_CONTROL_CONTRACT(Plugins, kPluginsContract);

TEST(TKXCustomObject, AnObjectWritesItsAttributesInOrderAndEachParameter) {
  TFormFixture f;
  auto* object = f.Add<TKXActiveX>("Object1", f.Form);
  object->SetBounds(0, 0, 120, 80);
  object->SetClassID("clsid:1");
  object->SetCodeBase("cab/x.cab");
  object->SetObjectType("application/x-test");
  object->SetArchive("a.jar");
  object->SetCodeType("text/x");
  object->SetData("d.bin");
  object->SetDeclare(true);
  object->SetStandby("Loading");
  EXPECT_EQ(Rendered(f, "OBJECT1")->Render(),
            "\r\n<object id=\"OBJECT1\" classid=\"clsid:1\" codebase=\"cab/x.cab\" type=\"application/x-test\" "
            "archive=\"a.jar\" codetype=\"text/x\" data=\"d.bin\" width=\"120\" height=\"80\" declare "
            "standby=\"Loading\"></object>");
  object->Params().Add("src", "movie.bin", vtRef);
  object->Params().Add("say \"hi\"", "a</object><script>alert(1)</script>", vtObject);
  const std::string text = Rendered(f, "OBJECT1")->Render();
  EXPECT_NE(text.find("<param name=\"src\" value=\"movie.bin\" valuetype=\"ref\">"), std::string::npos);
  EXPECT_NE(text.find("<param name=\"say &quot;hi&quot;\" value=\"a&lt;/object&gt;&lt;script&gt;alert(1)&lt;/script"
                      "&gt;\" valuetype=\"object\">"),
            std::string::npos);
  const TParsedDocument page("<html><body>" + text + "</body></html>", true);
  EXPECT_EQ(page.Count("//script"), 0);
  EXPECT_EQ(page.Count("//param"), 2);
}

// Values are escaped for their attribute; a name that is no plain attribute name, or an event handler, is left out.
TEST(TKXCustomObject, EmbedParametersAreAttributesWithPlainNamesOnly) {
  TFormFixture f;
  auto* movie = f.Add<TKXActiveX>("Movie1", f.Form);
  movie->SetRenderEMBED(true);
  TKXFileReference file;
  file.SetURL("http://127.0.0.1/a.mov?x=\"1\"&y=<2>");
  movie->SetActiveXObject(file);
  movie->Params().Add("href", "\"><script>alert(1)</script>");
  for (const char* name : {"onload", "OnError", "a b", "x\"=y", "1x", "", "data-ok"}) movie->Params().Add(name, "v");
  TKXCompContext context(movie, nullptr, nullptr);
  const TParsedDocument page("<html><body>" + movie->RenderHTML(&context)->Render() + "</body></html>", true);
  EXPECT_EQ(page.Count("//script"), 0);
  EXPECT_EQ(page.Value("//embed/@src"), "http://127.0.0.1/a.mov?x=\"1\"&y=<2>");
  EXPECT_EQ(page.Value("//embed/@href"), "\"><script>alert(1)</script>");
  EXPECT_EQ(page.Count("//embed/@*[starts-with(name(), 'on')]"), 0);
  EXPECT_EQ(page.Value("//embed/@data-ok"), "v");
  EXPECT_EQ(page.Count("//embed/@*[contains(name(), 'x') or contains(name(), ' ')]"), 0);
}

TEST(TKXActiveX, ForcedActivationWrapsTheObjectForTheClientToWriteAgain) {
  TFormFixture f;
  auto* object = f.Add<TKXActiveX>("Object1", f.Form);
  object->SetForceActivation(true);
  const std::string text = Rendered(f, "OBJECT1")->Render();
  const TParsedDocument page("<html><body>" + text + "</body></html>", true);
  EXPECT_EQ(page.Value("/html/body/div/@id"), "OBJECT1_div");
  EXPECT_EQ(page.Value("/html/body/div/comment/@id"), "OBJECT1_ToBeReWritten");
  EXPECT_EQ(page.Value("/html/body/div/comment/object/@id"), "OBJECT1");
  EXPECT_EQ(page.Value("/html/body/div/script"), "DoAXReWrite( \"OBJECT1_ToBeReWritten\" );");
  EXPECT_NE(f.Form->Page.ScriptFiles().IndexOf("/js/KXPlugins.js"), -1);
}

TEST(TKXFlash, AlwaysAnEmbedWithItsParametersInOrder) {
  TFormFixture f;
  auto* flash = f.Add<TKXFlash>("Flash1", f.Form);
  flash->SetRenderEMBED(false);
  flash->SetScale(fsShowAll);
  flash->SetSAlign(fsBottomRight);
  flash->SetLoop(false);
  EXPECT_EQ(flash->CodeBase(), "") << "no vendor address by default";
  EXPECT_EQ(flash->PluginsPage(), "");
  EXPECT_EQ(Rendered(f, "FLASH1")->Render(),
            "\r\n<div id=\"FLASH1\"><embed id=\"FLASH1_EMBED\" type=\"application/x-shockwave-flash\" "
            "width=\"468\" height=\"60\" play=\"TRUE\" loop=\"FALSE\" quality=\"High\" menu=\"TRUE\" "
            "align=\"None\" salign=\"BottomRight\" scale=\"ShowAll\" swliveconnect=\"FALSE\"></embed></div>");
}

TEST(TKXQuickTime, WritesOptionalParametersOnlyWhenSet) {
  const struct {
    const char* Name;
    void (*Set)(TKXQuickTime&);
    const char* Attribute;
    int Count;
  } cases[] = {
      {"no volume, hidden or colour by default", [](TKXQuickTime&) {}, "*[name()='volume' or name()='hidden' or name()='bgcolor']", 0},
      {"volume 0", [](TKXQuickTime& q) { q.SetVolume(0); }, "volume", 1},
      {"hidden", [](TKXQuickTime& q) { q.SetHidden(true); }, "hidden", 1},
      {"colour", [](TKXQuickTime& q) { q.SetBGColor(0x00FF00); }, "bgcolor", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TFormFixture f;
    auto* movie = f.Add<TKXQuickTime>("Movie1", f.Form);
    c.Set(*movie);
    const TParsedDocument page("<html><body>" + Rendered(f, "MOVIE1")->Render() + "</body></html>", true);
    EXPECT_EQ(page.Count(std::string("//embed/@") + c.Attribute), c.Count);
  }
}

TEST(TKXCustomObject, TheUpdateCarriesTheEmbedAsCDATA) {
  TFormFixture f;
  auto* flash = f.Add<TKXFlash>("Flash1", f.Form);
  flash->SetRenderEMBED(true);
  flash->Params().Add("extra", "]]><z>");
  TKXCompContext asyncContext(flash, nullptr, nullptr);
  const std::string update = flash->RenderAsync(&asyncContext)->Render();
  const TParsedDocument answer(update, false);
  ASSERT_TRUE(answer.Parsed() && answer.Errors().empty()) << update;
  const TParsedDocument embed("<html><body>" + answer.Value("/control/innerhtml") + "</body></html>", true);
  EXPECT_EQ(embed.Value("//embed/@id"), "FLASH1_EMBED");
  EXPECT_EQ(embed.Value("//embed/@extra"), "]]><z>");
}

// ---------------------------------------------------------------------------

TEST(TKXSilverlight, WritesTheCreationScript) {
  TFormFixture f;
  auto* light = f.Add<TKXSilverlight>("Light1", f.Form);
  light->SetBounds(0, 0, 300, 200);
  light->SetWindowless(true);
  EXPECT_EQ(light->RenderSilverlight(),
            "function createSilverlight()\r\n"
            "{\r\n"
            " Silverlight.createObjectEx({\r\n"
            "   source: '',\r\n"
            "   parentElement:document.getElementById(\"LIGHT1\"),\r\n"
            "   id: 'LIGHT1',\r\n"
            "   properties:{\r\n"
            "     width:'300',\r\n"
            "     height:'200',\r\n"
            "     background:'#FFFFFF',\r\n"
            "     isWindowless:'true',\r\n"
            "     framerate:'24',\r\n"
            "     enableFramerateCounter:'true',\r\n"
            "     version:'1.1'\r\n"
            "   }, events:{onError:null,onLoad:null,OnResize:null},context:null});\r\n"
            "};\r\n");
  const std::string text = Rendered(f, "LIGHT1")->Render();
  EXPECT_NE(text.find(";createSilverlight();</script></div>"), std::string::npos);
  EXPECT_NE(f.Form->Page.ScriptFiles().IndexOf("/js/Silverlight.js"), -1);
  EXPECT_FALSE(light->StyleRenderOptions().GetPropValue(6));
}

TEST(TKXSilverlight, APackageAddressStaysInsideItsScriptString) {
  for (const std::string& text : HostileStrings()) {
    SCOPED_TRACE(text);
    TFormFixture f;
    auto* light = f.Add<TKXSilverlight>("Light1", f.Form);
    TKXFileReference file;
    file.SetURL("http://127.0.0.1/" + text);
    light->SetXAP(file);
    const std::string script = light->RenderSilverlight();
    const std::size_t start = script.find("source: '") + 9;
    const std::string literal = script.substr(start, script.find("',\r\n", start) - start);
    EXPECT_EQ(literal.find_first_of("'\"\r\n"), std::string::npos);
    EXPECT_EQ(literal.find("</"), std::string::npos);
  }
}

TEST(TKXSilverlightVideo, TheXAMLDocumentFollowsTheSettings) {
  const std::pair<TKXSilverlightVideoStretch, const char*> stretches[] = {
      {stretchNone, "Stretch=\"None\""}, {stretchUniform, "Stretch=\"Uniform\""},
      {stretchUniformToFill, "Stretch=\"UniformToFill\""}, {stretchFill, nullptr}};
  for (const auto& [stretch, line] : stretches) {
    TFormFixture f;
    auto* video = f.Add<TKXSilverlightVideo>("Video1", f.Form);
    video->SetStretch(stretch);
    TStringList lines;
    video->XAMLDocument(lines);
    EXPECT_EQ(lines.Text().find("Stretch=") != std::string::npos, line != nullptr) << int(stretch);
    if (line) {
      EXPECT_NE(lines.IndexOf(line), -1) << line;
    }
  }
  TFormFixture f;
  auto* video = f.Add<TKXSilverlightVideo>("Video1", f.Form);
  video->SetAutoPlay(false);
  video->SetMuted(true);
  video->SetVolume(3);
  for (int ignored : {11, -1}) video->SetVolume(ignored);  // outside 0..10
  video->SetShowControls(true);
  TStringList lines;
  video->XAMLDocument(lines);
  for (const char* line : {"AutoPlay=\"false\"", "IsMuted=\"true\"", "Volume=\"3\"", "/>", "</Canvas>"})
    EXPECT_NE(lines.IndexOf(line), -1) << line;
  const std::string text = lines.Text();
  EXPECT_NE(text.find("<MediaElement x:Name=\"VIDEO1media\" Source=\"\""), std::string::npos);
  for (const char* button : {"media_stop\" Canvas.Left=\"10\"", "media_pause\" Canvas.Left=\"70\"",
                             "media_begin\" Canvas.Left=\"130\""})
    EXPECT_NE(text.find(button), std::string::npos) << button;
  const TParsedDocument xaml(text, false);
  EXPECT_TRUE(xaml.Parsed() && xaml.Errors().empty()) << text;
}

TEST(TKXSilverlightVideo, RenderingRaisesItsErrorAfterAddingTheHandlers) {
  TFormFixture f;
  auto* video = f.Add<TKXSilverlightVideo>("Video1", f.Form);
  TKXCompContext context(video, nullptr, nullptr);
  EXPECT_EQ(MessageOf([&] { video->RenderHTML(&context); }), "Silverlight error");
  EXPECT_EQ(context.JavaScript(),
            "function media_stop(sender, args) {sender.findName(\"VIDEO1media\").stop();} function media_pause("
            "sender, args) { sender.findName(\"VIDEO1media\").pause();} function media_begin(sender, args) { "
            "sender.findName(\"VIDEO1media\").play();}\r\n");
}

}  // namespace
}  // namespace kx::test
