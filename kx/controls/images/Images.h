// The image controls. TKXCustomImage renders an IMG with its border, alt text and click handling: an OnClick
// submits the control, an OnMouseDown posts the click position inside the image ("x,y"). TKXDynamicImage (and
// TKXImage) shows a picture held by the server, written into a cache file when rendered; TKXImageFile shows a file
// or URL given by a file reference; TKXImageButton is an image INPUT with an optional hover image.
//
//   auto* image = TComponent::Create<TKXImage>(form);
//   image->Picture().LoadFromFile("chart.png");
//   image->SetOnMouseDown([](TObject*, std::int32_t x, std::int32_t y) { ... });
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "kx/appserver/FileReference.h"
#include "kx/appserver/ImageOutput.h"
#include "kx/controls/ControlFamily.h"
#include "kx/controls/regions/Regions.h"
#include "kx/forms/CustomControl.h"
#include "kx/platform/Graphics.h"

namespace kx {

// The click position inside the image, in pixels from its top left corner.
using TKXImageOnMouseDown = std::function<void(TObject* sender, std::int32_t x, std::int32_t y)>;

class TKXCustomImage : public TKXCustomControl, public virtual IKXSubmitControl {
  KX_COMPONENT_CLASS(TKXCustomImage, TKXCustomControl)

 public:
  // Empty by default: the IMG then repeats its source as ALT.
  const std::string& AltText() const { return FAltText; }
  void SetAltText(const std::string& value) { SetProperty(FAltText, value); }
  // Owned; a change invalidates.
  TKXBorderOptions& BorderOptions() { return *FBorderOptions; }
  void SetBorderOptions(const TKXBorderOptions& value) { FBorderOptions->Assign(&value); }
  // ioPNG by default; a picture of another format sets it.
  TKXImageOutput OutputType() const { return FOutputType; }
  void SetOutputType(TKXImageOutput value);
  // The picture, made on first use; a change of it runs Changed.
  TPicture& Picture();
  bool HasPicture() const { return FPicture != nullptr; }
  // Takes a copy of the picture's graphic and the output type of its format.
  void SetPicture(const TPicture& picture);
  // Whether the page states the control's size on the IMG (WIDTH, HEIGHT); follows the style options' render-size
  // flag. On turns AutoSize off.
  bool UseSize() const { return FUseSize; }
  void SetUseSize(bool value);
  // On (the default) takes the picture's size; turns UseSize off.
  void SetAutoSize(bool value) override;

  // The click handlers exclude each other: setting one clears the other.
  void SetOnClick(TNotifyEvent value);
  const TKXImageOnMouseDown& OnMouseDown() const { return FOnMouseDown; }
  void SetOnMouseDown(TKXImageOnMouseDown value);

  // ---- IKXSubmitControl
  // Stores value; with OnMouseDown it must be "x,y" (two integers; anything else raises EConvertError),
  // otherwise the click runs (OnClick).
  void Submit(const std::string& value) override;
  TSubmitProc getSubmitProc() override;
  std::string GetSubmitParam() override { return FSubmitParam; }

  // Only a clickable image takes part in the tab order.
  bool HasTabOrder() const override { return bool(OnClick) || bool(OnAsyncClick); }

  // ---- rendering
  // The base's hooks, then, with OnMouseDown, the click-position handler on "OnMouseDown".
  void HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) override;
  // The base's style and a pointer cursor for an asynchronous click handler.
  std::string RenderStyle(TKXCompContext* context) override;

 protected:
  // 89 x 112, AutoSize on, sizes not written.
  void InitControl() override;
  void Dispose() override;
  void StyleRenderOptionsChanged() override;
  // After the picture changed: the cache URL is dropped, the control takes the picture's size (AutoSize) and is
  // invalidated. Nothing while loading.
  virtual void Changed();
  // The IMG for src (see the .cpp), or the link around it.
  TKXElementPtr<TKXHTMLTag> ImageHTML(TKXCompContext* context, const std::string& src);
  // Takes the size width x height as AutoSize asks (the aligned sides keep theirs).
  void TakeImageSize(int width, int height);

  std::string FCacheFileHRef;

 private:
  void PictureChanged();

  std::string FAltText;
  std::unique_ptr<TKXBorderOptions> FBorderOptions;
  TKXImageOnMouseDown FOnMouseDown;
  TKXImageOutput FOutputType = ioPNG;
  std::unique_ptr<TPicture> FPicture;
  std::string FSubmitParam;
  bool FUseSize = false;
};

// A picture held by the server, written into the session's cache when the page needs it.
class TKXDynamicImage : public TKXCustomImage {
  KX_COMPONENT_CLASS(TKXDynamicImage, TKXCustomImage)

 public:
  // Owned; used when the picture goes out as JPEG.
  TKXJpegOptions& JpegOptions() { return FJpegOptions; }
  void SetJpegOptions(const TKXJpegOptions& value) { FJpegOptions.Assign(&value); }
  // clNone by default: stored for the application.
  TKXColor TransparentColor() const { return FTransparentColor; }
  void SetTransparentColor(TKXColor value) { FTransparentColor = value; }
  // True by default: an empty image renders as an empty SPAN.
  bool RenderEmptyAsSpan() const { return FRenderEmptyAsSpan; }
  void SetRenderEmptyAsSpan(bool value) { SetProperty(FRenderEmptyAsSpan, value); }
  // False by default: with it a new picture is written into the form's cache at once and dropped from memory.
  bool PreProcessImage() const { return FPreProcessImage; }
  void SetPreProcessImage(bool value) { FPreProcessImage = value; }

  // No cache file and no picture, or an empty one.
  bool IsEmpty() const;
  // Removes the graphic.
  void Clear();
  // The URL of the picture's cache file: the kept one, else a new file (empty without a picture).
  std::string RenderImage(TKXCompContext* context);
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // "control" of type "IMAGE": the source and the common properties.
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 protected:
  void Changed() override;

 private:
  // With a parent form a form cache file whose URL is kept; without one a one-time file of the session.
  std::string SaveToCacheFile();

  TKXJpegOptions FJpegOptions;
  TKXColor FTransparentColor = clNone;
  bool FRenderEmptyAsSpan = true;
  bool FPreProcessImage = false;
};

class TKXImage : public TKXDynamicImage {
  KX_COMPONENT_CLASS(TKXImage, TKXDynamicImage)
};

// An image given by a file reference (a file under the content path, or a URL); nothing is generated.
class TKXImageFile : public TKXCustomImage {
  KX_COMPONENT_CLASS(TKXImageFile, TKXCustomImage)

 public:
  // Owned; a change refreshes the control.
  TKXFileReference& ImageFile() { return FImageFile; }
  void SetImageFile(const TKXFileReference& value) { FImageFile.Assign(&value); }
  // True by default; stored for the application.
  bool Cacheable() const { return FCacheable; }
  void SetCacheable(bool value) { FCacheable = value; }

  // The reference's location for the page.
  std::string ImageLocation() const;
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // "control" of type "KXIMAGEFILE": the source and the common properties.
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 protected:
  void InitControl() override;
  void Loaded() override;
  // With AutoSize and a picture of positive size the control takes its size; the control is refreshed.
  virtual void ReferenceChanged();

 private:
  TKXFileReference FImageFile;
  bool FCacheable = true;
};

// An image INPUT that submits the form; the hot image shows while the mouse is over it.
class TKXImageButton : public TKXImageFile {
  KX_COMPONENT_CLASS(TKXImageButton, TKXImageFile)

 public:
  // The access key; empty by default.
  const std::string& HotKey() const { return FHotKey; }
  void SetHotKey(const std::string& value) { SetProperty(FHotKey, value); }
  TKXFileReference& HotImageFile() { return FHotImageFile; }
  void SetHotImageFile(const TKXFileReference& value) { FHotImageFile.Assign(&value); }

  // The base's hooks, the hover swap with a hot image, and the submit script with an OnClick handler.
  void HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) override;
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // "control" of type "KXIMAGEFILE", and the script that sets the hover variables again.
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 private:
  // The script variables of the two sources: "var NKXCL_Img=...;" (declare) or "NKXCL_Img=...;".
  std::string ImageVariables(bool declare);
  bool HasHotImage() const { return !FHotImageFile.Empty(); }

  std::string FHotKey;
  TKXFileReference FHotImageFile;
};

// The family's registration (the image controls), listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& ImagesFamily();

}  // namespace kx
