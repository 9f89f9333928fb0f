// The audio control and the script widget: contract rows, the sources, the audio types and the widget's part of
// the page.
#include "kx/controls/media/Media.h"

#include <gtest/gtest.h>

#include <string>

#include "support/ControlContract.h"
#include "support/ParsedDocument.h"

namespace kx::test {
namespace {

const TControlContract kMediaContract[] = {
    {.Name = "Audio",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return f.Add<TKXAudio>("Audio1", f.Form); },
     .Tag = "audio",
     .Attributes = {{"id", "AUDIO1"}, {"controls", ""}, {"preload", "auto"}, {"loop", kAbsent},
                    {"autoplay", kAbsent}, {"class", kAbsent}},
     .Styles = {{"outline", "none"}, {"width", "400px"}, {"height", "45px"}}},
    {.Name = "AudioLoopingWithOutline",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* audio = f.Add<TKXAudio>("Audio1", f.Form);
       audio->SetLoop(true);
       audio->SetAutoPlay(true);
       audio->SetShowAudioPlayer(false);
       audio->SetPreLoad(false);
       audio->SetFocusOutline(true);
       return audio;
     },
     .Tag = "audio",
     .Attributes = {{"loop", ""}, {"autoplay", ""}, {"controls", kAbsent}, {"preload", kAbsent}}},
};
KX_CONTROL_CONTRACT(Media, kMediaContract);

std::string Rendered(TFormFixture& f) {
  return "<html><body>" + f.Form->Render()->GetMarkupLanguageTag("AUDIO1")->Render() + "</body></html>";
}

TEST(TKXAudio, WritesSourcesOnlyWithAFirstFile) {
  TFormFixture f;
  auto* audio = f.Add<TKXAudio>("Audio1", f.Form);
  TKXFileReference second;
  second.SetURL("http://127.0.0.1/b.ogg");
  audio->SetAlternateAudioFile(second);
  EXPECT_EQ(TParsedDocument(Rendered(f), true).Count("//source"), 0);

  TKXFileReference first;
  first.SetURL("http://127.0.0.1/a.MP3?x=\"1\"");
  audio->SetAudioFile(first);
  const TParsedDocument page(Rendered(f), true);
  ASSERT_EQ(page.Count("//audio/source"), 2);
  EXPECT_EQ(page.Value("//audio/source[1]/@src"), "http://127.0.0.1/a.MP3?x=\"1\"");
  EXPECT_EQ(page.Value("//audio/source[2]/@src"), "http://127.0.0.1/b.ogg");
  EXPECT_EQ(page.Value("//audio/source[2]/@type"), "audio/ogg");
}

TEST(GetAudioType, ByExtensionIgnoringCase) {
  const std::pair<const char*, const char*> cases[] = {
      {"a.mp3", "audio/mpeg"}, {"A.MP3", "audio/mpeg"}, {"x/y.Ogg", "audio/ogg"}, {"s.wav", "audio/wav"},
      {"s.m4a", ""},           {"noextension", ""},     {"mp3", ""},             {"a.mp3.txt", ""},
  };
  for (const auto& [name, type] : cases) EXPECT_EQ(GetAudioType(name), type) << name;
}

TEST(TKXJQueryWidget, HandsThePageItsFilesAndStartUpCodeOnlyWhileEnabled) {
  TFormFixture f;
  auto* widget = f.Add<TKXJQueryWidget>("Widget1", nullptr);
  widget->ContentFiles().Add("js/plugin.js");
  widget->OnReady().Add("$('#A').plugin();");
  IKXRequiresFormRender* render = Supports<IKXRequiresFormRender>(widget);
  ASSERT_NE(render, nullptr);
  TStringList files;
  files.Add("stale");
  render->GetContentFiles(files);
  EXPECT_EQ(files.Text(), "js/plugin.js\r\n");
  EXPECT_EQ(render->GetOnReadyProc(), "$('#A').plugin();\r\n");
  widget->SetEnabled(false);
  EXPECT_FALSE(render->GetEnabled());
}

}  // namespace
}  // namespace kx::test
