#include "kx/foundation/Colors.h"

#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

struct TPlatformColorEntry {
  TColor Value;
  std::string_view Name;
};

// The platform's own colour identifiers.
constexpr TPlatformColorEntry kPlatformColors[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
};

constexpr TColor RGB(std::uint32_t rgb) {
  return static_cast<TColor>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}

// A server has no desktop theme: system colours resolve to the platform's
// default scheme, by system colour index (#RRGGBB). Unused indexes are black.
constexpr TColor kSystemColors[] = {
    RGB(0xC8C8C8),  // scroll bar
    RGB(0x000000),  // background
    RGB(0x99B4D1),  // active caption
    RGB(0xBFCDDB),  // inactive caption
    RGB(0xF0F0F0),  // menu
    RGB(0xFFFFFF),  // window
    RGB(0x646464),  // window frame
    RGB(0x000000),  // menu text
    RGB(0x000000),  // window text
    RGB(0x000000),  // caption text
    RGB(0xB4B4B4),  // active border
    RGB(0xF4F7FC),  // inactive border
    RGB(0xABABAB),  // application work space
    RGB(0x3399FF),  // highlight
    RGB(0xFFFFFF),  // highlight text
    RGB(0xF0F0F0),  // button face
    RGB(0xA0A0A0),  // button shadow
    RGB(0x6D6D6D),  // grey text
    RGB(0x000000),  // button text
    RGB(0x434E54),  // inactive caption text
    RGB(0xFFFFFF),  // button highlight
    RGB(0x696969),  // 3-D dark shadow
    RGB(0xE3E3E3),  // 3-D light
    RGB(0x000000),  // info text
    RGB(0xFFFFE1),  // info background
    RGB(0x000000),  // (unused)
    RGB(0x0066CC),  // hot light
    RGB(0xB9D1EA),  // gradient active caption
    RGB(0xD7E4F2),  // gradient inactive caption
    RGB(0x3399FF),  // menu highlight
    RGB(0xF0F0F0),  // menu bar
};

}  // namespace

constinit const std::array<TKXColorEntry, 143> KXColors = {{
    {clWebTransparent, "clWebTransparent"},
    {clWebALICEBLUE, "clWebALICEBLUE"},
    {clWebANTIQUEWHITE, "clWebANTIQUEWHITE"},
    {clWebAQUA, "clWebAQUA"},
    {clWebAQUAMARINE, "clWebAQUAMARINE"},
    {clWebAZURE, "clWebAZURE"},
    {clWebBEIGE, "clWebBEIGE"},
    {clWebBISQUE, "clWebBISQUE"},
    {clWebBLACK, "clWebBLACK"},
    {clWebBLANCHEDALMOND, "clWebBLANCHEDALMOND"},
    {clWebBLUE, "clWebBLUE"},
    {clWebBLUEVIOLET, "clWebBLUEVIOLET"},
    {clWebBROWN, "clWebBROWN"},
    {clWebBURLYWOOD, "clWebBURLYWOOD"},
    {clWebCADETBLUE, "clWebCADETBLUE"},
    {clWebCHARTREUSE, "clWebCHARTREUSE"},
    {clWebCHOCOLATE, "clWebCHOCOLATE"},
    {clWebCORAL, "clWebCORAL"},
    {clWebCORNFLOWERBLUE, "clWebCORNFLOWERBLUE"},
    {clWebCORNSILK, "clWebCORNSILK"},
    {clWebCRIMSON, "clWebCRIMSON"},
    {clWebCYAN, "clWebCYAN"},
    {clWebDARKBLUE, "clWebDARKBLUE"},
    {clWebDARKCYAN, "clWebDARKCYAN"},
    {clWebDARKGOLDENROD, "clWebDARKGOLDENROD"},
    {clWebDARKGRAY, "clWebDARKGRAY"},
    {clWebDARKGREEN, "clWebDARKGREEN"},
    {clWebDARKKHAKI, "clWebDARKKHAKI"},
    {clWebDARKMAGENTA, "clWebDARKMAGENTA"},
    {clWebDARKOLIVEGREEN, "clWebDARKOLIVEGREEN"},
    {clWebDARKORANGE, "clWebDARKORANGE"},
    {clWebDARKORCHID, "clWebDARKORCHID"},
    {clWebDARKRED, "clWebDARKRED"},
    {clWebDARKSALMON, "clWebDARKSALMON"},
    {clWebDARKSEAGREEN, "clWebDARKSEAGREEN"},
    {clWebDARKSLATEBLUE, "clWebDARKSLATEBLUE"},
    {clWebDARKSLATEGRAY, "clWebDARKSLATEGRAY"},
    {clWebDARKTURQUOISE, "clWebDARKTURQUOISE"},
    {clWebDARKVIOLET, "clWebDARKVIOLET"},
    {clWebDEEPPINK, "clWebDEEPPINK"},
    {clWebDEEPSKYBLUE, "clWebDEEPSKYBLUE"},
    {clWebDIMGRAY, "clWebDIMGRAY"},
    {clWebDODGERBLUE, "clWebDODGERBLUE"},
    {clWebFIREBRICK, "clWebFIREBRICK"},
    {clWebFLORALWHITE, "clWebFLORALWHITE"},
    {clWebFORESTGREEN, "clWebFORESTGREEN"},
    {clWebFUCHSIA, "clWebFUCHSIA"},
    {clWebGAINSBORO, "clWebGAINSBORO"},
    {clWebGHOSTWHITE, "clWebGHOSTWHITE"},
    {clWebGOLD, "clWebGOLD"},
    {clWebGOLDENROD, "clWebGOLDENROD"},
    {clWebGRAY, "clWebGRAY"},
    {clWebGREEN, "clWebGREEN"},
    {clWebGREENYELLOW, "clWebGREENYELLOW"},
    {clWebHONEYDEW, "clWebHONEYDEW"},
    {clWebHOTPINK, "clWebHOTPINK"},
    {clWebINDIANRED, "clWebINDIANRED"},
    {clWebINDIGO, "clWebINDIGO"},
    {clWebIVORY, "clWebIVORY"},
    {clWebKHAKI, "clWebKHAKI"},
    {clWebLAVENDER, "clWebLAVENDER"},
    {clWebLAVENDERBLUSH, "clWebLAVENDERBLUSH"},
    {clWebLAWNGREEN, "clWebLAWNGREEN"},
    {clWebLEMONCHIFFON, "clWebLEMONCHIFFON"},
    {clWebLIGHTBLUE, "clWebLIGHTBLUE"},
    {clWebLIGHTCORAL, "clWebLIGHTCORAL"},
    {clWebLIGHTCYAN, "clWebLIGHTCYAN"},
    {clWebLIGHTGOLDENRODYELLOW, "clWebLIGHTGOLDENRODYELLOW"},
    {clWebLIGHTGREEN, "clWebLIGHTGREEN"},
    {clWebLIGHTGRAY, "clWebLIGHTGRAY"},
    {clWebLIGHTPINK, "clWebLIGHTPINK"},
    {clWebLIGHTSALMON, "clWebLIGHTSALMON"},
    {clWebLIGHTSEAGREEN, "clWebLIGHTSEAGREEN"},
    {clWebLIGHTSKYBLUE, "clWebLIGHTSKYBLUE"},
    {clWebLIGHTSLATEBLUE, "clWebLIGHTSLATEBLUE"},
    {clWebLIGHTSLATEGRAY, "clWebLIGHTSLATEGRAY"},
    {clWebLIGHTSTEELBLUE, "clWebLIGHTSTEELBLUE"},
    {clWebLIGHTYELLOW, "clWebLIGHTYELLOW"},
    {clWebLIME, "clWebLIME"},
    {clWebLIMEGREEN, "clWebLIMEGREEN"},
    {clWebLINEN, "clWebLINEN"},
    {clWebMAGENTA, "clWebMAGENTA"},
    {clWebMAROON, "clWebMAROON"},
    {clWebMEDIUMAQUAMARINE, "clWebMEDIUMAQUAMARINE"},
    {clWebMEDIUMBLUE, "clWebMEDIUMBLUE"},
    {clWebMEDIUMORCHID, "clWebMEDIUMORCHID"},
    {clWebMEDIUMPURPLE, "clWebMEDIUMPURPLE"},
    {clWebMEDIUMSEAGREEN, "clWebMEDIUMSEAGREEN"},
    {clWebMEDIUMSLATEBLUE, "clWebMEDIUMSLATEBLUE"},
    {clWebMEDIUMSPRINGGREEN, "clWebMEDIUMSPRINGGREEN"},
    {clWebMEDIUMTURQUOISE, "clWebMEDIUMTURQUOISE"},
    {clWebMEDIUMVIOLETRED, "clWebMEDIUMVIOLETRED"},
    {clWebMIDNIGHTBLUE, "clWebMIDNIGHTBLUE"},
    {clWebMINTCREAM, "clWebMINTCREAM"},
    {clWebMISTYROSE, "clWebMISTYROSE"},
    {clWebMOCCASIN, "clWebMOCCASIN"},
    {clWebNAVAJOWHITE, "clWebNAVAJOWHITE"},
    {clWebNAVY, "clWebNAVY"},
    {clWebOLDLACE, "clWebOLDLACE"},
    {clWebOLIVE, "clWebOLIVE"},
    {clWebOLIVEDRAB, "clWebOLIVEDRAB"},
    {clWebORANGE, "clWebORANGE"},
    {clWebORANGERED, "clWebORANGERED"},
    {clWebORCHID, "clWebORCHID"},
    {clWebPALEGOLDENROD, "clWebPALEGOLDENROD"},
    {clWebPALEGREEN, "clWebPALEGREEN"},
    {clWebPALETURQUOISE, "clWebPALETURQUOISE"},
    {clWebPALEVIOLETRED, "clWebPALEVIOLETRED"},
    {clWebPAPAYAWHIP, "clWebPAPAYAWHIP"},
    {clWebPEACHPUFF, "clWebPEACHPUFF"},
    {clWebPERU, "clWebPERU"},
    {clWebPINK, "clWebPINK"},
    {clWebPLUM, "clWebPLUM"},
    {clWebPOWDERBLUE, "clWebPOWDERBLUE"},
    {clWebPURPLE, "clWebPURPLE"},
    {clWebRED, "clWebRED"},
    {clWebROSYBROWN, "clWebROSYBROWN"},
    {clWebROYALBLUE, "clWebROYALBLUE"},
    {clWebSADDLEBROWN, "clWebSADDLEBROWN"},
    {clWebSALMON, "clWebSALMON"},
    {clWebSANDYBROWN, "clWebSANDYBROWN"},
    {clWebSEAGREEN, "clWebSEAGREEN"},
    {clWebSEASHELL, "clWebSEASHELL"},
    {clWebSIENNA, "clWebSIENNA"},
    {clWebSILVER, "clWebSILVER"},
    {clWebSKYBLUE, "clWebSKYBLUE"},
    {clWebSLATEBLUE, "clWebSLATEBLUE"},
    {clWebSLATEGRAY, "clWebSLATEGRAY"},
    {clWebSNOW, "clWebSNOW"},
    {clWebSPRINGGREEN, "clWebSPRINGGREEN"},
    {clWebSTEELBLUE, "clWebSTEELBLUE"},
    {clWebTAN, "clWebTAN"},
    {clWebTEAL, "clWebTEAL"},
    {clWebTHISTLE, "clWebTHISTLE"},
    {clWebTOMATO, "clWebTOMATO"},
    {clWebTURQUOISE, "clWebTURQUOISE"},
    {clWebVIOLET, "clWebVIOLET"},
    {clWebVIOLETRED, "clWebVIOLETRED"},
    {clWebWHEAT, "clWebWHEAT"},
    {clWebWHITE, "clWebWHITE"},
    {clWebWHITESMOKE, "clWebWHITESMOKE"},
    {clWebYELLOW, "clWebYELLOW"},
    {clWebYELLOWGREEN, "clWebYELLOWGREEN"},
}};

bool KXColorToIdent(TKXColor color, std::string& ident) {
  for (const TKXColorEntry& entry : KXColors) {
    if (entry.Value == color) {
      ident = entry.Name;
      return true;
    }
  }
  for (const TPlatformColorEntry& entry : kPlatformColors) {
    if (entry.Value == color) {
      ident = entry.Name;
      return true;
    }
  }
  return false;
}

bool IdentToKXColor(std::string_view ident, TKXColor& color) {
  for (const TKXColorEntry& entry : KXColors) {
    if (SameText(entry.Name, ident)) {
      color = entry.Value;
      return true;
    }
  }
  for (const TPlatformColorEntry& entry : kPlatformColors) {
    if (SameText(entry.Name, ident)) {
      color = entry.Value;
      return true;
    }
  }
  return false;
}

void GetKXColorValues(const std::function<void(const std::string&)>& proc) {
  for (const TKXColorEntry& entry : KXColors) proc(std::string(entry.Name));
}

std::string KXColorToString(TKXColor color) {
  std::string ident;
  if (KXColorToIdent(color, ident)) return ident;
  return Format("%s%.8x", "$", static_cast<std::uint32_t>(color));
}

TKXColor StringToKXColor(std::string_view text) {
  TKXColor color = 0;
  if (IdentToKXColor(text, color)) return color;
  return StrToInt(text);
}

TColor ColorToRGB(TColor color) {
  if (color < 0) {
    std::uint32_t index = static_cast<std::uint32_t>(color) & 0xFF;
    return index < std::size(kSystemColors) ? kSystemColors[index] : 0;
  }
  return color;
}

void ColorRGBValues(TKXColor color, std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) {
  std::uint32_t rgb = static_cast<std::uint32_t>(ColorToRGB(color));
  red = static_cast<std::uint8_t>(rgb & 0xFF);
  green = static_cast<std::uint8_t>((rgb >> 8) & 0xFF);
  blue = static_cast<std::uint8_t>((rgb >> 16) & 0xFF);
}

std::string ColorToRGBString(TKXColor color) {
  if (color == clNone || color == clWebTransparent) return "transparent";
  std::uint8_t red, green, blue;
  ColorRGBValues(color, red, green, blue);
  return "#" + IntToHex(red, 2) + IntToHex(green, 2) + IntToHex(blue, 2);
}

std::string ColorToRGBAString(TKXColor color, double alpha) {
  std::uint8_t red, green, blue;
  ColorRGBValues(color, red, green, blue);
  return "rgba(" + IntToStr(red) + "," + IntToStr(green) + "," + IntToStr(blue) + "," + FloatToStr(alpha) + ")";
}

std::string HTMLColor(TKXColor color, std::string_view attributeName) {
  if (color == clNone) return std::string();
  return " " + std::string(attributeName) + "=" + ColorToRGBString(color);
}

}  // namespace kx
