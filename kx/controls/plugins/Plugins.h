// Plug-in objects: TKXCustomObject places a browser plug-in's content on the page, as an OBJECT element with
// PARAM children or as a DIV holding an EMBED element whose attributes carry the parameters. TKXActiveX,
// TKXMPEG, TKXFlash and TKXQuickTime fill it for one kind of content. No current browser runs these plug-ins: the
// markup is written as it always was, and the browser shows what it can (usually nothing). The plug-in download
// addresses (CodeBase, PluginsPage) are empty unless the author sets them.
#pragma once

#include <cstdint>
#include <string>

#include "kx/appserver/FileReference.h"
#include "kx/controls/ControlFamily.h"
#include "kx/forms/CustomControl.h"
#include "kx/platform/Collections.h"

namespace kx {

enum TKXObjectParamValueType : std::uint8_t { vtRef, vtData, vtObject };

class TKXObjectParam : public TCollectionItem {
 public:
  const std::string& Name() const { return FName; }
  void SetName(const std::string& value) { FName = value; }
  const std::string& Value() const { return FValue; }
  void SetValue(const std::string& value) { FValue = value; }
  // vtData at creation.
  TKXObjectParamValueType ValueType() const { return FValueType; }
  void SetValueType(TKXObjectParamValueType value) { FValueType = value; }

 protected:
  // To another parameter: the three fields.
  void AssignTo(TPersistent* dest) const override;

 private:
  std::string FName;
  std::string FValue;
  TKXObjectParamValueType FValueType = vtData;
};

class TKXObjectParams : public TOwnedCollection {
 public:
  explicit TKXObjectParams(TPersistent* owner) : TOwnedCollection(owner, CollectionItemClass<TKXObjectParam>()) {}

  TKXObjectParam* Add() { return static_cast<TKXObjectParam*>(TCollection::Add()); }
  // A new parameter with these fields.
  TKXObjectParam* Add(const std::string& name, const std::string& value, TKXObjectParamValueType type = vtData);
  // An index out of range raises EListError.
  TKXObjectParam* Items(int index) const { return static_cast<TKXObjectParam*>(TCollection::Items(index)); }
  void SetItems(int index, const TKXObjectParam& value) { Items(index)->Assign(&value); }
};

class TKXCustomObject : public TKXCustomControl {
  KX_COMPONENT_CLASS(TKXCustomObject, TKXCustomControl)

 public:
  // The resolved address of the content: the EMBED's SRC.
  const std::string& FileReference() const { return FFileReference; }
  const std::string& Archive() const { return FArchive; }
  void SetArchive(const std::string& value) { FArchive = value; }
  const std::string& ClassID() const { return FClassID; }
  void SetClassID(const std::string& value) { FClassID = value; }
  const std::string& CodeBase() const { return FCodeBase; }
  void SetCodeBase(const std::string& value) { FCodeBase = value; }
  const std::string& CodeType() const { return FCodeType; }
  void SetCodeType(const std::string& value) { FCodeType = value; }
  const std::string& Data() const { return FData; }
  void SetData(const std::string& value) { FData = value; }
  bool Declare() const { return FDeclare; }
  void SetDeclare(bool value) { FDeclare = value; }
  // The TYPE of the OBJECT and of the EMBED.
  const std::string& ObjectType() const { return FObjectType; }
  void SetObjectType(const std::string& value) { FObjectType = value; }
  TKXObjectParams& Params() { return *FParams; }
  const std::string& PluginsPage() const { return FPluginsPage; }
  void SetPluginsPage(const std::string& value) { FPluginsPage = value; }
  // True at creation: a DIV holding an EMBED; false: an OBJECT.
  bool RenderEMBED() const { return FRenderEMBED; }
  void SetRenderEMBED(bool value) { FRenderEMBED = value; }
  const std::string& Standby() const { return FStandby; }
  void SetStandby(const std::string& value) { FStandby = value; }

  // The layout writes no NAME for it.
  bool HasName() override { return false; }
  // An OBJECT element with its PARAM children, or a DIV holding the EMBED.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // The EMBED element, added to parent's contents. Every parameter becomes an attribute of it; a parameter whose
  // name is no plain attribute name, or names an event handler ("on..."), is left out.
  virtual TKXHTMLTag* RenderInnerHTML(TKXHTMLTag* parent);
  // "control" of the class name's type (upper case, without the leading "T"), with the EMBED as "innerHTML"
  // when it renders one, and all the common properties.
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 protected:
  void InitControl() override;
  void Dispose() override;
  void SetFileReference(const std::string& value) { FFileReference = value; }
  // The EMBED alone, rendered to text.
  std::string RenderedEmbed();

 private:
  TKXElementPtr<TKXHTMLTag> RenderObject();
  void AddSize(TKXHTMLTag* tag);

  std::string FFileReference;
  std::string FArchive;
  std::string FClassID;
  std::string FCodeBase;
  std::string FCodeType;
  std::string FData;
  bool FDeclare = false;
  std::string FObjectType;
  std::unique_ptr<TKXObjectParams> FParams;
  std::string FPluginsPage;
  bool FRenderEMBED = true;
  std::string FStandby;
};

// An ActiveX control, as an OBJECT by default.
class TKXActiveX : public TKXCustomObject {
  KX_COMPONENT_CLASS(TKXActiveX, TKXCustomObject)

 public:
  TKXFileReference& ActiveXObject() { return FActiveXObject; }
  // Copies value; the content's address is its location under the server controller's URLBase.
  void SetActiveXObject(const TKXFileReference& value);
  // False by default: the object is written inside a "comment" element that the client script (DoAXReWrite)
  // writes out again.
  bool ForceActivation() const { return FForceActivation; }
  void SetForceActivation(bool value) { FForceActivation = value; }

  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;

 protected:
  void InitControl() override;

 private:
  TKXFileReference FActiveXObject;
  bool FForceActivation = false;
};

// An MPEG video, as an OBJECT by default.
class TKXMPEG : public TKXCustomObject {
  KX_COMPONENT_CLASS(TKXMPEG, TKXCustomObject)

 public:
  // A change (outside design mode) sets CodeBase to the controller's URLBase, Data and the content's address to
  // the file's location under it, and marks the control for refresh.
  TKXFileReference& MPEGFile() { return FMPEGFile; }
  void SetMPEGFile(const TKXFileReference& value) { FMPEGFile.Assign(&value); }
  bool AutoStart() const { return FAutoStart; }
  void SetAutoStart(bool value) { FAutoStart = value; }

  // The base's EMBED, then with RenderEMBED its SRC and AUTOSTART.
  TKXHTMLTag* RenderInnerHTML(TKXHTMLTag* parent) override;

 protected:
  void InitControl() override;

 private:
  void MPEGFileChanged();

  TKXFileReference FMPEGFile;
  bool FAutoStart = false;
};

// Each written as its value's name without the two-letter prefix ("High", "None").
enum TKXFlashQuality : std::uint8_t { fqLow, fqAutoLow, fqAutoHigh, fqMedium, fqHigh, fqBest };
enum TKXFlashAlign : std::uint8_t { faNone, faLeft, faTop, faRight, faBottom };
enum TKXFlashSAlign : std::uint8_t {
  fsNone,
  fsLeft,
  fsTop,
  fsRight,
  fsBottom,
  fsTopLeft,
  fsTopRight,
  fsBottomLeft,
  fsBottomRight
};
enum TKXFlashScale : std::uint8_t { fsDefault, fsShowAll, fsNoBorder, fsExactFit };

const char* FlashQualityName(TKXFlashQuality value);
const char* FlashAlignName(TKXFlashAlign value);
const char* FlashSAlignName(TKXFlashSAlign value);
const char* FlashScaleName(TKXFlashScale value);

// A Flash movie: always a DIV holding an EMBED, its settings as parameters. 468 x 60 at creation.
class TKXCustomFlash : public TKXCustomObject {
  KX_COMPONENT_CLASS(TKXCustomFlash, TKXCustomObject)

 public:
  TKXFileReference& FlashFile() { return FFlashFile; }
  void SetFlashFile(const TKXFileReference& value) { FFlashFile.Assign(&value); }
  // True by default.
  bool AutoPlay() const { return FAutoPlay; }
  void SetAutoPlay(bool value) { FAutoPlay = value; }
  // True by default.
  bool Loop() const { return FLoop; }
  void SetLoop(bool value) { FLoop = value; }
  // True by default.
  bool EnableMenu() const { return FEnableMenu; }
  void SetEnableMenu(bool value) { FEnableMenu = value; }
  // fqHigh by default.
  TKXFlashQuality Quality() const { return FQuality; }
  void SetQuality(TKXFlashQuality value) { FQuality = value; }
  TKXFlashAlign FlashAlign() const { return FAlign; }
  void SetFlashAlign(TKXFlashAlign value) { FAlign = value; }
  TKXFlashSAlign SAlign() const { return FSAlign; }
  void SetSAlign(TKXFlashSAlign value) { FSAlign = value; }
  TKXFlashScale Scale() const { return FScale; }
  void SetScale(TKXFlashScale value) { FScale = value; }
  // clNone by default.
  TKXColor BGColor() const { return FBGColor; }
  void SetBGColor(TKXColor value) { FBGColor = value; }
  // False by default.
  bool SWLiveConnect() const { return FSWLiveConnect; }
  void SetSWLiveConnect(bool value) { FSWLiveConnect = value; }

  // Sets the parameters anew (MOVIE, PLAY, LOOP, QUALITY, MENU, BGCOLOR, ALIGN, SALIGN, SCALE, SWLIVECONNECT),
  // then the base's rendering as an EMBED.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;

 protected:
  void InitControl() override;

 private:
  TKXFileReference FFlashFile;
  bool FAutoPlay = true;
  bool FLoop = true;
  bool FEnableMenu = true;
  TKXFlashQuality FQuality = fqHigh;
  TKXFlashAlign FAlign = faNone;
  TKXFlashSAlign FSAlign = fsNone;
  TKXFlashScale FScale = fsDefault;
  TKXColor FBGColor = clNone;
  bool FSWLiveConnect = false;
};

class TKXFlash : public TKXCustomFlash {
  KX_COMPONENT_CLASS(TKXFlash, TKXCustomFlash)
};

// A QuickTime movie, as an EMBED by default, its settings as parameters.
class TKXCustomQuickTime : public TKXCustomObject {
  KX_COMPONENT_CLASS(TKXCustomQuickTime, TKXCustomObject)

 public:
  TKXFileReference& MovFile() { return FMovFile; }
  // Copies value; the content's address is its location under the server controller's URLBase.
  void SetMovFile(const TKXFileReference& value);
  bool AutoPlay() const { return FAutoPlay; }
  void SetAutoPlay(bool value) { FAutoPlay = value; }
  bool Controller() const { return FController; }
  void SetController(bool value) { FController = value; }
  bool Cache() const { return FCache; }
  void SetCache(bool value) { FCache = value; }
  bool Hidden() const { return FHidden; }
  void SetHidden(bool value) { FHidden = value; }
  bool KioskMode() const { return FKioskMode; }
  void SetKioskMode(bool value) { FKioskMode = value; }
  bool Loop() const { return FLoop; }
  void SetLoop(bool value) { FLoop = value; }
  bool PlayEveryFrame() const { return FPlayEveryFrame; }
  void SetPlayEveryFrame(bool value) { FPlayEveryFrame = value; }
  // clNone by default: no BGCOLOR parameter.
  TKXColor BGColor() const { return FBGColor; }
  void SetBGColor(TKXColor value) { FBGColor = value; }
  const std::string& HRef() const { return FHRef; }
  void SetHRef(const std::string& value) { FHRef = value; }
  const std::string& MovieName() const { return FMovieName; }
  void SetMovieName(const std::string& value) { FMovieName = value; }
  const std::string& Scale() const { return FScale; }
  void SetScale(const std::string& value) { FScale = value; }
  std::int32_t Pan() const { return FPan; }
  void SetPan(std::int32_t value) { FPan = value; }
  // -1 (not set) by default: no VOLUME parameter.
  std::int32_t Volume() const { return FVolume; }
  void SetVolume(std::int32_t value) { FVolume = value; }

  // Sets the parameters anew, then the base's rendering.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;

 protected:
  void InitControl() override;

 private:
  TKXFileReference FMovFile;
  bool FAutoPlay = false;
  bool FController = false;
  bool FCache = false;
  bool FHidden = false;
  bool FKioskMode = false;
  bool FLoop = false;
  bool FPlayEveryFrame = false;
  TKXColor FBGColor = clNone;
  std::string FHRef;
  std::string FMovieName;
  std::string FScale;
  std::int32_t FPan = 0;
  std::int32_t FVolume = -1;
};

class TKXQuickTime : public TKXCustomQuickTime {
  KX_COMPONENT_CLASS(TKXQuickTime, TKXCustomQuickTime)
};

// The family's registration (the plug-in objects and the Silverlight controls, with their client scripts),
// listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& PluginsFamily();

}  // namespace kx
