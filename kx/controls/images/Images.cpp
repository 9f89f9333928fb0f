#include "kx/controls/images/Images.h"

#include <charconv>
#include <string_view>

#include "kx/appserver/Application.h"
#include "kx/appserver/CacheFiles.h"
#include "kx/controls/images/FamilyFiles.h"
#include "kx/forms/Forms.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/foundation/TextUtils.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

// A decimal int32 with an optional minus sign and nothing else; anything else raises EConvertError.
std::int32_t StrictInteger(std::string_view text) {
  std::int32_t value = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  const auto [end, error] = std::from_chars(first, last, value);
  if (text.empty() || text.front() == '+' || error != std::errc() || end != last)
    throw EConvertError(Format("'%s' is not a valid integer value", std::string(text)));
  return value;
}

std::string BoolText(bool value) { return value ? "true" : "false"; }

// A URL or text for a double-quoted attribute value.
std::string AttributeText(const std::string& text) { return TKXBaseHTMLControl::TextToHTML(text, false, false, false); }

}  // namespace

// ---------------------------------------------------------------------------
// TKXCustomImage

void TKXCustomImage::InitControl() {
  TKXCustomControl::InitControl();
  FBorderOptions = std::make_unique<TKXBorderOptions>(this);
  SetBounds(Left(), Top(), 89, 112);
  StyleRenderOptions().SetRenderSize(false);
  FUseSize = false;
  TKXCustomControl::SetAutoSize(true);
}

void TKXCustomImage::Dispose() {
  if (FPicture) FPicture->OnChange = nullptr;
  TKXCustomControl::Dispose();
}

void TKXCustomImage::SetOutputType(TKXImageOutput value) {
  if (value == FOutputType) return;
  FOutputType = value;
  FCacheFileHRef.clear();
  Invalidate();
}

TPicture& TKXCustomImage::Picture() {
  if (!FPicture) {
    FPicture = std::make_unique<TPicture>();
    FPicture->OnChange = [this](TObject*) { PictureChanged(); };
  }
  return *FPicture;
}

void TKXCustomImage::SetPicture(const TPicture& picture) {
  FCacheFileHRef.clear();
  Picture().Assign(&picture);
  if (const TGraphic* graphic = Picture().Graphic()) FOutputType = GetImageType(*graphic, false);
}

void TKXCustomImage::PictureChanged() { Changed(); }

void TKXCustomImage::Changed() {
  if (GetLoading()) return;
  FCacheFileHRef.clear();
  if (AutoSize() && FPicture && FPicture->Width() > 0 && FPicture->Height() > 0)
    TakeImageSize(FPicture->Width(), FPicture->Height());
  Invalidate();
}

void TKXCustomImage::TakeImageSize(int width, int height) {
  const TAlign align = Align();
  const bool keepWidth = align == alTop || align == alBottom || align == alClient || align == alCustom;
  const bool keepHeight = align == alLeft || align == alRight || align == alClient || align == alCustom;
  SetBounds(Left(), Top(), keepWidth ? Width() : width, keepHeight ? Height() : height);
}

void TKXCustomImage::SetUseSize(bool value) {
  if (value == FUseSize) return;
  FUseSize = value;
  if (StyleRenderOptions().RenderSize() != value) StyleRenderOptions().SetRenderSize(value);
  if (value && AutoSize()) TKXCustomControl::SetAutoSize(false);
}

void TKXCustomImage::StyleRenderOptionsChanged() {
  if (StyleRenderOptions().RenderSize() != FUseSize) SetUseSize(StyleRenderOptions().RenderSize());
  TKXCustomControl::StyleRenderOptionsChanged();
}

void TKXCustomImage::SetAutoSize(bool value) {
  TKXCustomControl::SetAutoSize(value);
  if (!value) return;
  SetUseSize(false);
  if (FPicture) PictureChanged();
}

void TKXCustomImage::SetOnClick(TNotifyEvent value) {
  OnClick = std::move(value);
  if (OnClick) FOnMouseDown = nullptr;
}

void TKXCustomImage::SetOnMouseDown(TKXImageOnMouseDown value) {
  FOnMouseDown = std::move(value);
  if (FOnMouseDown) OnClick = nullptr;
}

void TKXCustomImage::Submit(const std::string& value) {
  FSubmitParam = value;
  if (!FOnMouseDown) {
    DoClick();
    return;
  }
  const std::size_t comma = value.find(',');
  const std::string_view text(value);
  const std::int32_t x = StrictInteger(text.substr(0, comma));
  const std::int32_t y = StrictInteger(comma == std::string::npos ? std::string_view() : text.substr(comma + 1));
  FOnMouseDown(this, x, y);
}

TSubmitProc TKXCustomImage::getSubmitProc() {
  TComponentRef<TKXCustomImage> image(this);
  return [image](const std::string& value) {
    if (image) image->Submit(value);
  };
}

void TKXCustomImage::HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) {
  TKXCustomControl::HookEvents(pageContext, scriptEvents);
  // One handler for every browser: the script reads the position from the event.
  if (FOnMouseDown && !OnClick && Enabled()) {
    scriptEvents.HookEvent("OnMouseDown", "return ImageClick(this.name,event," + BoolText(DoSubmitValidation()) +
                                              ", '" + TextToJSStringLiteral(Confirmation()) + "');");
  }
}

std::string TKXCustomImage::RenderStyle(TKXCompContext* context) {
  std::string style = TKXCustomControl::RenderStyle(context);
  if (OnAsyncClick && Cursor() == crAuto) style += " cursor:pointer;";
  return style;
}

TKXElementPtr<TKXHTMLTag> TKXCustomImage::ImageHTML(TKXCompContext* context, const std::string& src) {
  TKXElementPtr<TKXHTMLTag> image = TKXHTMLTag::Create("IMG");
  image->AddStringParam("SRC", AttributeText(src));
  image->AddStringParam("NAME", HTMLName());
  image->AddStringParam("style", FBorderOptions->RenderStyle());
  const std::string alt = AttributeText(FAltText.empty() ? src : FAltText);
  // Written even when empty: an image without alternative text is decoration.
  if (alt.empty()) {
    image->Add("ALT=");
  } else {
    image->AddStringParam("ALT", alt);
  }
  if (StyleRenderOptions().RenderSize()) {
    image->AddIntegerParam("WIDTH", Width());
    image->AddIntegerParam("HEIGHT", Height());
  }
  if (!Enabled() && context != nullptr) context->AddToInitProc("setEnabled(\"" + HTMLName() + "\", false);");
  if (context != nullptr) context->AddScriptFile(images_files::kKXImageJs);
  if (!OnClick) return image;
  TKXElementPtr<TKXHTMLTag> link = SubmitLink("", "", false, context ? context->Browser() : nullptr);
  static_cast<TKXMarkupLanguageTagCollection*>(link->Contents())->AddTagAsObject(std::move(image), false);
  return link;
}

// ---------------------------------------------------------------------------
// TKXDynamicImage

bool TKXDynamicImage::IsEmpty() const {
  if (!FCacheFileHRef.empty()) return false;
  return !HasPicture() || const_cast<TKXDynamicImage*>(this)->Picture().Graphic() == nullptr ||
         const_cast<TKXDynamicImage*>(this)->Picture().Graphic()->Empty();
}

void TKXDynamicImage::Clear() {
  FCacheFileHRef.clear();
  if (HasPicture()) Picture().SetGraphic(nullptr);
  Invalidate();
}

std::string TKXDynamicImage::SaveToCacheFile() {
  const TGraphic* graphic = HasPicture() ? Picture().Graphic() : nullptr;
  if (graphic == nullptr || graphic->Empty()) return std::string();
  if (TKXForm* form = TKXForm::FindParentForm(this)) {
    FCacheFileHRef = TKXAppCache::GraphicToCacheFile(form, *graphic, OutputType(), ctForm);
    return FCacheFileHRef;
  }
  // Without a form nothing owns the file for longer than one read: a new one each time.
  return TKXAppCache::GraphicToCacheFile(TKXControlSession::Current().Application(), *graphic, OutputType(), ctOneTime);
}

std::string TKXDynamicImage::RenderImage(TKXCompContext* context) {
  (void)context;
  return FCacheFileHRef.empty() ? SaveToCacheFile() : FCacheFileHRef;
}

TKXElementPtr<TKXHTMLTag> TKXDynamicImage::RenderHTML(TKXCompContext* context) {
  if (FRenderEmptyAsSpan && IsEmpty()) {
    // A later update may bring a picture: the page needs the script that applies it.
    if (context != nullptr) context->AddScriptFile(images_files::kKXImageJs);
    return TKXHTMLTag::Create("span");
  }
  return ImageHTML(context, RenderImage(context));
}

TKXElementPtr<TKXXMLTag> TKXDynamicImage::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", "IMAGE");
  RenderAsyncPropertyAsString("src", tag.get(), RenderImage(context), false);
  RenderAsyncCommonProperties(context, tag.get(), kAsyncCommonProps);
  return tag;
}

void TKXDynamicImage::Changed() {
  TKXCustomImage::Changed();
  if (DesignMode() || !FPreProcessImage || !HasPicture()) return;
  const TGraphic* graphic = Picture().Graphic();
  TKXForm* form = TKXForm::FindParentForm(this);
  if (graphic == nullptr || graphic->Empty() || form == nullptr) return;
  const std::string href = TKXAppCache::GraphicToCacheFile(form, *graphic, OutputType(), ctForm);
  // The image now lives in the cache file only; dropping the graphic must not clear the URL again.
  auto onChange = std::move(Picture().OnChange);
  Picture().OnChange = nullptr;
  Picture().SetGraphic(nullptr);
  Picture().OnChange = std::move(onChange);
  FCacheFileHRef = href;
}

// ---------------------------------------------------------------------------
// TKXImageFile

void TKXImageFile::InitControl() {
  TKXCustomImage::InitControl();
  FImageFile.OnChange = [this](TObject*) { ReferenceChanged(); };
}

std::string TKXImageFile::ImageLocation() const { return TKXControlSession::Current().FileLocation(FImageFile); }

void TKXImageFile::ReferenceChanged() {
  if (!DesignMode() && AutoSize() && HasPicture()) {
    TPicture& picture = Picture();
    if (picture.Width() > 0 && picture.Height() > 0) TakeImageSize(picture.Width(), picture.Height());
  }
  SetDoRefreshControl(true);
}

void TKXImageFile::Loaded() {
  TKXCustomImage::Loaded();
  if (AutoSize() && HasPicture() && Picture().Width() > 0 && Picture().Height() > 0)
    TakeImageSize(Picture().Width(), Picture().Height());
}

TKXElementPtr<TKXHTMLTag> TKXImageFile::RenderHTML(TKXCompContext* context) {
  return ImageHTML(context, ImageLocation());
}

TKXElementPtr<TKXXMLTag> TKXImageFile::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", "KXIMAGEFILE");
  RenderAsyncPropertyAsString("src", tag.get(), ImageLocation(), false);
  RenderAsyncCommonProperties(context, tag.get(), kAsyncCommonProps);
  return tag;
}

// ---------------------------------------------------------------------------
// TKXImageButton

std::string TKXImageButton::ImageVariables(bool declare) {
  const std::string object = HTMLName() + "KXCL";
  const std::string prefix = declare ? "var " : "";
  const std::string hot = HasHotImage() ? TKXControlSession::Current().FileLocation(FHotImageFile) : std::string();
  return prefix + object + "_Img=\"" + ScriptStringText(ImageLocation()) + "\";\r\n" + prefix + object +
         "_HImg=\"" + ScriptStringText(hot) + "\";";
}

TKXElementPtr<TKXHTMLTag> TKXImageButton::RenderHTML(TKXCompContext* context) {
  if (context != nullptr) {
    context->AddScriptFile(images_files::kKXImageJs);
    context->AddToJavaScriptOnce(ImageVariables(true));
  }
  TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("input");
  tag->AddStringParam("type", "image");
  tag->AddStringParam("src", AttributeText(ImageLocation()));
  tag->AddStringParam("name", HTMLName());
  tag->AddStringParam("alt", AttributeText(AltText().empty() ? ImageLocation() : AltText()));
  if (!FHotKey.empty()) tag->AddStringParam("ACCESSKEY", AttributeText(FHotKey));
  if (!Enabled()) tag->Add("disabled");
  return tag;
}

void TKXImageButton::HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) {
  TKXCustomImage::HookEvents(pageContext, scriptEvents);
  if (HasHotImage()) {
    const std::string object = HTMLName() + "KXCL";
    scriptEvents.HookEvent("onMouseOut", object + ".src=" + object + "_Img;");
    scriptEvents.HookEvent("onMouseOver", object + ".src=" + object + "_HImg;");
  }
  if (OnClick) scriptEvents.HookEvent("OnClick", SubmitHandler("", HTMLName(), false));
}

TKXElementPtr<TKXXMLTag> TKXImageButton::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXImageFile::RenderAsync(context);
  TKXControlSession::Of(context).AddScriptToAnswer(ImageVariables(false));
  return tag;
}

// ---------------------------------------------------------------------------

const TKXControlFamily& ImagesFamily() {
  static const TKXControlFamily family{.Name = "images"};
  return family;
}

}  // namespace kx
