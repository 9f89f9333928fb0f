#include "kx/controls/media/Media.h"

#include "kx/appserver/Application.h"
#include "kx/foundation/Paths.h"
#include "kx/platform/SysUtils.h"

namespace kx {

void TKXAudio::InitControl() {
  TKXCustomControl::InitControl();
  SetBounds(Left(), Top(), 400, 45);
}

void TKXAudio::SetShowAudioPlayer(bool value) { SetProperty(FShowAudioPlayer, value); }

void TKXAudio::SetFocusOutline(bool value) { SetProperty(FFocusOutline, value); }

void TKXAudio::AddSource(TKXHTMLTag* audio, const TKXFileReference& file) {
  TKXHTMLTag* source = audio->Contents()->AddTag("source", false);
  source->AddStringParam("src", TKXControlSession::Current().FileLocation(file));
  source->AddStringParam("type", GetAudioType(file.GetFileName()));
}

TKXElementPtr<TKXHTMLTag> TKXAudio::RenderHTML(TKXCompContext* context) {
  (void)context;
  TKXElementPtr<TKXHTMLTag> audio = TKXHTMLTag::Create("audio");
  audio->AddStringParam("id", HTMLName());
  if (FShowAudioPlayer) audio->Add("controls");
  if (FLoop) audio->Add("loop");
  if (FAutoPlay) audio->Add("autoplay");
  if (FPreLoad) audio->AddStringParam("preload", "auto");
  if (!FAltText.empty()) audio->Contents()->AddText(FAltText, false);
  if (!FAudioFile.Empty()) {
    AddSource(audio.get(), FAudioFile);
    if (!FAlternateAudioFile.Empty()) AddSource(audio.get(), FAlternateAudioFile);
  }
  return audio;
}

std::string TKXAudio::RenderCSSClass(TKXCompContext* context) {
  (void)context;
  return std::string();
}

std::string TKXAudio::RenderStyle(TKXCompContext* context) {
  std::string style = TKXCustomControl::RenderStyle(context);
  if (!FFocusOutline) style += "outline: none;";
  return style;
}

std::string GetAudioType(const std::string& fileName) {
  const std::size_t dot = fileName.find_last_of('.');
  const std::string extension = dot == std::string::npos ? std::string() : LowerCase(fileName.substr(dot));
  if (extension == ".mp3") return "audio/mpeg";
  if (extension == ".ogg") return "audio/ogg";
  if (extension == ".wav") return "audio/wav";
  return std::string();
}

const TKXControlFamily& MediaFamily() {
  static const TKXControlFamily family{.Name = "media"};
  return family;
}

}  // namespace kx
