#include "kx/controls/plugins/Silverlight.h"

#include "kx/controls/plugins/FamilyFiles.h"
#include "kx/foundation/Colors.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

constexpr const char* kLineBreak = "\r\n";
constexpr const char* kPresentationNamespace = "http://schemas.microsoft.com/winfx/2006/xaml/presentation";
constexpr const char* kLanguageNamespace = "http://schemas.microsoft.com/winfx/2006/xaml";

std::string JS(std::string_view text) { return TKXBaseHTMLControl::TextToJSStringLiteral(text); }

// Where the page finds file, under the controller's URL base (the application's when the controller has none).
std::string ControllerFileLocation(const TKXFileReference& file) {
  return TKXControlSession::Current().FileLocation(file, TKXControlSession::ControllerURLBase());
}

std::string Quoted(const std::string& value) {
  return "\"" + TKXBaseHTMLControl::TextToHTML(value, false, false, false) + "\"";
}

// One of the player's buttons: a rounded rectangle with a gradient and a caption.
void AddButton(TStrings& lines, const char* handler, int left, const char* from, const char* to, const char* text) {
  lines.Add(std::string("<Canvas MouseLeftButtonDown=\"") + handler + "\" Canvas.Left=\"" + std::to_string(left) +
            "\" Canvas.Top=\"265\">");
  lines.Add("<Rectangle Stroke=\"Black\" Height=\"30\" Width=\"55\" RadiusX=\"5\" RadiusY=\"5\">");
  lines.Add("<Rectangle.Fill>");
  lines.Add("<RadialGradientBrush GradientOrigin=\"0.75,0.25\">");
  lines.Add(std::string("<GradientStop Color=\"") + from + "\" Offset=\"0.0\" />");
  lines.Add(std::string("<GradientStop Color=\"") + to + "\" Offset=\"1.0\" />");
  lines.Add("</RadialGradientBrush>");
  lines.Add("</Rectangle.Fill>");
  lines.Add("</Rectangle>");
  lines.Add(std::string("<TextBlock Canvas.Left=\"5\" Canvas.Top=\"5\">") + text + "</TextBlock>");
  lines.Add("</Canvas>");
}

}  // namespace

void TKXBaseSilverlight::InitControl() {
  TKXCustomControl::InitControl();
  StyleRenderOptions().SetPropValue(6, false);
}

std::string TKXBaseSilverlight::RenderSilverlight() {
  const std::string name = HTMLName();
  std::string script;
  const auto line = [&script](const std::string& text) { script += text + kLineBreak; };
  line("function createSilverlight()");
  line("{");
  line(" Silverlight.createObjectEx({");
  line("   source: '" + JS(ControllerFileLocation(FXAP)) + "',");
  line("   parentElement:document.getElementById(\"" + JS(name) + "\"),");
  line("   id: '" + JS(name) + "',");
  line("   properties:{");
  line("     width:'" + std::to_string(Width()) + "',");
  line("     height:'" + std::to_string(Height()) + "',");
  line("     background:'" + JS(ColorToRGBString(FBGColor)) + "',");
  line(std::string("     isWindowless:'") + (FWindowless ? "true" : "false") + "',");
  line("     framerate:'" + std::to_string(FFramerate) + "',");
  line(std::string("     enableFramerateCounter:'") + (FEnableFramerateCounter ? "true" : "false") + "',");
  line("     version:'1.1'");
  line("   }, events:{onError:null,onLoad:null,OnResize:null},context:null});");
  line("};");
  return script;
}

TKXElementPtr<TKXHTMLTag> TKXBaseSilverlight::RenderHTML(TKXCompContext* context) {
  if (context != nullptr) context->AddScriptFile(plugins_files::kSilverlightJs);
  TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("DIV");
  tag->Contents()->AddText(
      "<script type=\"text/javascript\">" + RenderSilverlight() + ";createSilverlight();" + "</script>", false);
  return tag;
}

// ---------------------------------------------------------------------------

void TKXSilverlightVideo::SetVolume(std::int32_t value) {
  if (value >= 0 && value <= 10) FVolume = value;
}

void TKXSilverlightVideo::XAMLDocument(TStrings& lines) {
  const std::string name = HTMLName();
  const std::string size =
      " Width=\"" + std::to_string(Width()) + "\" Height=\"" + std::to_string(Height()) + "\"";
  lines.Clear();
  lines.Add(std::string("<Canvas xmlns=\"") + kPresentationNamespace + "\" xmlns:x=\"" + kLanguageNamespace + "\"" +
            size + ">");
  lines.Add("<MediaElement x:Name=" + Quoted(name + "media") + " Source=" +
            Quoted(ControllerFileLocation(FMedia)) + size);
  if (!FAutoPlay) lines.Add("AutoPlay=\"false\"");
  if (FMuted) lines.Add("IsMuted=\"true\"");
  if (FVolume != 5) lines.Add("Volume=\"" + std::to_string(FVolume) + "\"");
  switch (FStretch) {
    case stretchNone: lines.Add("Stretch=\"None\""); break;
    case stretchUniform: lines.Add("Stretch=\"Uniform\""); break;
    case stretchUniformToFill: lines.Add("Stretch=\"UniformToFill\""); break;
    case stretchFill: break;
  }
  lines.Add("/>");
  if (FShowControls) {
    AddButton(lines, "media_stop", 10, "Orange", "Red", "stop");
    AddButton(lines, "media_pause", 70, "Yellow", "Orange", "pause");
    AddButton(lines, "media_begin", 130, "LimeGreen", "Green", "play");
  }
  lines.Add("</Canvas>");
}

std::string TKXSilverlightVideo::MediaHandlers() {
  const std::string media = JS(HTMLName() + "media");
  return "function media_stop(sender, args) {sender.findName(\"" + media + "\").stop();" +
         "} function media_pause(sender, args) { sender.findName(\"" + media + "\").pause();" +
         "} function media_begin(sender, args) { sender.findName(\"" + media + "\").play();}";
}

TKXElementPtr<TKXHTMLTag> TKXSilverlightVideo::RenderHTML(TKXCompContext* context) {
  TStringList document;
  XAMLDocument(document);
  if (context != nullptr) {
    context->AddToJavaScriptOnce(MediaHandlers());
    context->AddScriptFile(plugins_files::kSilverlightJs);
  }
  // The document would have to be stored and served as the package's source; nothing does that.
  throw Exception("Silverlight error");
}

}  // namespace kx
