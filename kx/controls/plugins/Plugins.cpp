#include "kx/controls/plugins/Plugins.h"

#include <cctype>

#include "kx/appserver/Application.h"
#include "kx/controls/plugins/FamilyFiles.h"
#include "kx/foundation/Colors.h"
#include "kx/foundation/Markup.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

std::string HTMLText(std::string_view text) { return TKXBaseHTMLControl::TextToHTML(text, false, false, false); }

const char* BoolText(bool value) { return value ? "TRUE" : "FALSE"; }

const char* ValueTypeName(TKXObjectParamValueType type) {
  switch (type) {
    case vtRef: return "ref";
    case vtObject: return "object";
    case vtData: break;
  }
  return "data";
}

// A name an EMBED may carry as an attribute: letters, digits, "-", "_", ".", ":" after a letter, and no event
// handler; anything else would write markup of its own or script.
bool IsPlainAttributeName(const std::string& name) {
  if (name.empty() || !std::isalpha(static_cast<unsigned char>(name[0]))) return false;
  for (char c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.' && c != ':') return false;
  }
  return !StartsText("on", name);
}

std::string ControllerURLBase() { return TKXControlSession::ControllerURLBase(); }

// Where the page finds file, under the controller's URL base (the application's when the controller has none).
std::string ControllerFileLocation(const TKXFileReference& file) {
  return TKXControlSession::Current().FileLocation(file, ControllerURLBase());
}

}  // namespace

// ---------------------------------------------------------------------------

void TKXObjectParam::AssignTo(TPersistent* dest) const {
  if (auto* param = Supports<TKXObjectParam>(dest)) {
    param->FName = FName;
    param->FValue = FValue;
    param->FValueType = FValueType;
    return;
  }
  TCollectionItem::AssignTo(dest);
}

TKXObjectParam* TKXObjectParams::Add(const std::string& name, const std::string& value, TKXObjectParamValueType type) {
  TKXObjectParam* param = Add();
  param->SetName(name);
  param->SetValue(value);
  param->SetValueType(type);
  return param;
}

// ---------------------------------------------------------------------------
// TKXCustomObject

void TKXCustomObject::InitControl() {
  TKXCustomControl::InitControl();
  FParams = std::make_unique<TKXObjectParams>(this);
  FRenderEMBED = true;
}

void TKXCustomObject::Dispose() {
  FParams.reset();
  TKXCustomControl::Dispose();
}

void TKXCustomObject::AddSize(TKXHTMLTag* tag) {
  if (!StyleRenderOptions().RenderSize()) return;
  if (Width() > 0) tag->AddIntegerParam("WIDTH", Width());
  if (Height() > 0) tag->AddIntegerParam("HEIGHT", Height());
}

TKXElementPtr<TKXHTMLTag> TKXCustomObject::RenderObject() {
  TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("OBJECT");
  tag->AddStringParam("ID", HTMLName());
  tag->AddStringParam("CLASSID", FClassID);
  tag->AddStringParam("CODEBASE", FCodeBase);
  tag->AddStringParam("TYPE", FObjectType);
  tag->AddStringParam("ARCHIVE", FArchive);
  tag->AddStringParam("CODETYPE", FCodeType);
  tag->AddStringParam("DATA", FData);
  AddSize(tag.get());
  if (FDeclare) tag->Add("DECLARE");
  tag->AddStringParam("STANDBY", FStandby);
  for (int i = 0; i < FParams->Count(); ++i) {
    const TKXObjectParam* param = FParams->Items(i);
    tag->Contents()->AddText("<param name=\"" + HTMLText(param->Name()) + "\" value=\"" + HTMLText(param->Value()) +
                                 "\" valuetype=\"" + ValueTypeName(param->ValueType()) + "\">",
                             false);
  }
  return tag;
}

TKXHTMLTag* TKXCustomObject::RenderInnerHTML(TKXHTMLTag* parent) {
  TKXHTMLTag* embed = parent->Contents()->AddTag("EMBED", false);
  embed->AddStringParam("ID", HTMLName() + "_EMBED");
  embed->AddStringParam("TYPE", FObjectType);
  embed->AddStringParam("SRC", FFileReference);
  AddSize(embed);
  embed->AddStringParam("PLUGINSPAGE", FPluginsPage);
  for (int i = 0; i < FParams->Count(); ++i) {
    const TKXObjectParam* param = FParams->Items(i);
    if (IsPlainAttributeName(param->Name())) embed->AddStringParam(param->Name(), param->Value());
  }
  embed->Contents()->AddText("", false);
  return embed;
}

TKXElementPtr<TKXHTMLTag> TKXCustomObject::RenderHTML(TKXCompContext* context) {
  (void)context;
  if (!FRenderEMBED) return RenderObject();
  TKXElementPtr<TKXHTMLTag> div = TKXHTMLTag::Create("DIV");
  div->AddStringParam("ID", HTMLName());
  RenderInnerHTML(div.get());
  return div;
}

std::string TKXCustomObject::RenderedEmbed() {
  TKXElementPtr<TKXHTMLTag> holder = TKXHTMLTag::Create("DIV");
  std::string text = RenderInnerHTML(holder.get())->Render();
  if (text.starts_with("\r\n")) text.erase(0, 2);
  return text;
}

TKXElementPtr<TKXXMLTag> TKXCustomObject::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  std::string type = UpperCase(ClassType().Name);
  if (type.starts_with("T")) type.erase(0, 1);
  tag->AddStringParam("type", type);
  tag->AddStringParam("NAME", HTMLName());
  if (FRenderEMBED) tag->Contents()->AddTag("innerHTML", false)->Contents()->AddText(RenderedEmbed(), false);
  RenderAsyncCommonProperties(context, tag.get(), kAsyncCommonProps);
  return tag;
}

// ---------------------------------------------------------------------------
// TKXActiveX

void TKXActiveX::InitControl() {
  TKXCustomObject::InitControl();
  SetRenderEMBED(false);
}

void TKXActiveX::SetActiveXObject(const TKXFileReference& value) {
  FActiveXObject.Assign(&value);
  SetFileReference(ControllerFileLocation(FActiveXObject));
}

TKXElementPtr<TKXHTMLTag> TKXActiveX::RenderHTML(TKXCompContext* context) {
  if (!FForceActivation) return TKXCustomObject::RenderHTML(context);
  const std::string name = HTMLName();
  if (context != nullptr) context->AddScriptFile(plugins_files::kKXPluginsJs);
  TKXElementPtr<TKXHTMLTag> div = TKXHTMLTag::Create("div");
  div->AddStringParam("ID", name + "_div");
  TKXHTMLTag* comment = div->Contents()->AddTag("comment", false);
  comment->AddStringParam("ID", name + "_ToBeReWritten");
  comment->Contents()->AddTagAsObject(TKXCustomObject::RenderHTML(context), false);
  TKXHTMLTag* script = div->Contents()->AddTag("script", false);
  script->Contents()->AddText("DoAXReWrite( \"" + name + "_ToBeReWritten\" );", false);
  return div;
}

// ---------------------------------------------------------------------------
// TKXMPEG

void TKXMPEG::InitControl() {
  TKXCustomObject::InitControl();
  SetRenderEMBED(false);
  FMPEGFile.OnChange = [this](TObject*) { MPEGFileChanged(); };
}

void TKXMPEG::MPEGFileChanged() {
  if (DesignMode()) return;
  const std::string base = ControllerURLBase();
  const std::string location = TKXControlSession::Current().FileLocation(FMPEGFile, base);
  SetCodeBase(base);
  SetData(location);
  SetFileReference(location);
  Invalidate();
}

TKXHTMLTag* TKXMPEG::RenderInnerHTML(TKXHTMLTag* parent) {
  TKXHTMLTag* embed = TKXCustomObject::RenderInnerHTML(parent);
  if (RenderEMBED()) {
    embed->AddStringParam("SRC", FileReference());
    embed->AddStringParam("AUTOSTART", FAutoStart ? "true" : "false");
  }
  return embed;
}

// ---------------------------------------------------------------------------
// TKXCustomFlash

const char* FlashQualityName(TKXFlashQuality value) {
  static const char* const names[] = {"Low", "AutoLow", "AutoHigh", "Medium", "High", "Best"};
  return names[value];
}

const char* FlashAlignName(TKXFlashAlign value) {
  static const char* const names[] = {"None", "Left", "Top", "Right", "Bottom"};
  return names[value];
}

const char* FlashSAlignName(TKXFlashSAlign value) {
  static const char* const names[] = {"None",    "Left",     "Top",        "Right",      "Bottom",
                                      "TopLeft", "TopRight", "BottomLeft", "BottomRight"};
  return names[value];
}

const char* FlashScaleName(TKXFlashScale value) {
  static const char* const names[] = {"Default", "ShowAll", "NoBorder", "ExactFit"};
  return names[value];
}

void TKXCustomFlash::InitControl() {
  TKXCustomObject::InitControl();
  SetBounds(Left(), Top(), 468, 60);
  SetClassID("clsid:D27CDB6E-AE6D-11cf-96B8-444553540000");
  SetObjectType("application/x-shockwave-flash");
}

TKXElementPtr<TKXHTMLTag> TKXCustomFlash::RenderHTML(TKXCompContext* context) {
  SetRenderEMBED(true);
  TKXObjectParams& params = Params();
  params.Clear();
  const std::string movie = TKXControlSession::Current().FileLocation(FFlashFile);
  SetFileReference(movie);
  params.Add("MOVIE", movie);
  params.Add("PLAY", BoolText(FAutoPlay));
  params.Add("LOOP", BoolText(FLoop));
  params.Add("QUALITY", FlashQualityName(FQuality));
  params.Add("MENU", BoolText(FEnableMenu));
  params.Add("BGCOLOR", FBGColor == clNone ? std::string() : ColorToRGBString(FBGColor));
  params.Add("ALIGN", FlashAlignName(FAlign));
  params.Add("SALIGN", FlashSAlignName(FSAlign));
  params.Add("SCALE", FlashScaleName(FScale));
  params.Add("SWLIVECONNECT", BoolText(FSWLiveConnect));
  return TKXCustomObject::RenderHTML(context);
}

// ---------------------------------------------------------------------------
// TKXCustomQuickTime

void TKXCustomQuickTime::InitControl() {
  TKXCustomObject::InitControl();
  SetClassID("clsid:02BF25D5-8C17-4B23-BC80-D3488ABDDC6B");
  SetRenderEMBED(true);
}

void TKXCustomQuickTime::SetMovFile(const TKXFileReference& value) {
  FMovFile.Assign(&value);
  SetFileReference(ControllerFileLocation(FMovFile));
}

TKXElementPtr<TKXHTMLTag> TKXCustomQuickTime::RenderHTML(TKXCompContext* context) {
  TKXObjectParams& params = Params();
  params.Clear();
  params.Add("AUTOPLAY", BoolText(FAutoPlay));
  params.Add("CONTROLLER", BoolText(FController));
  if (FBGColor != clNone) params.Add("BGCOLOR", ColorToRGBString(FBGColor));
  params.Add("CACHE", BoolText(FCache));
  if (StyleRenderOptions().RenderSize()) {
    params.Add("HEIGHT", std::to_string(Height()));
    params.Add("WIDTH", std::to_string(Width()));
  }
  if (FHidden) params.Add("HIDDEN", "TRUE");
  params.Add("HREF", FHRef);
  params.Add("KIOSKMODE", BoolText(FKioskMode));
  params.Add("LOOP", BoolText(FLoop));
  const std::string source = ControllerFileLocation(FMovFile);
  SetFileReference(source);
  params.Add("SRC", source);
  params.Add("MOVIENAME", FMovieName);
  params.Add("PAN", std::to_string(FPan));
  params.Add("PLAYEVERYFRAME", BoolText(FPlayEveryFrame));
  params.Add("SCALE", FScale);
  if (FVolume >= 0) params.Add("VOLUME", std::to_string(FVolume));
  return TKXCustomObject::RenderHTML(context);
}

// ---------------------------------------------------------------------------

const TKXControlFamily& PluginsFamily() {
  static const TKXControlFamily family{.Name = "plugins"};
  return family;
}

}  // namespace kx
