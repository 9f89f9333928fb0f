// Colours: the platform's colour values (TColor, $00BBGGRR or a system colour),
// the 143 named web colours of the designer (KXColors), and their conversion to
// identifiers and to the texts that CSS and HTML attributes take.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kx {

// $00BBGGRR, or clSystemColor plus a system colour index.
using TColor = std::int32_t;
using TKXColor = TColor;

inline constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000u);

// System colours, resolved to RGB through a fixed table of default values.
inline constexpr TColor clScrollBar = clSystemColor | 0;
inline constexpr TColor clBackground = clSystemColor | 1;
inline constexpr TColor clActiveCaption = clSystemColor | 2;
inline constexpr TColor clInactiveCaption = clSystemColor | 3;
inline constexpr TColor clMenu = clSystemColor | 4;
inline constexpr TColor clWindow = clSystemColor | 5;
inline constexpr TColor clWindowFrame = clSystemColor | 6;
inline constexpr TColor clMenuText = clSystemColor | 7;
inline constexpr TColor clWindowText = clSystemColor | 8;
inline constexpr TColor clCaptionText = clSystemColor | 9;
inline constexpr TColor clActiveBorder = clSystemColor | 10;
inline constexpr TColor clInactiveBorder = clSystemColor | 11;
inline constexpr TColor clAppWorkSpace = clSystemColor | 12;
inline constexpr TColor clHighlight = clSystemColor | 13;
inline constexpr TColor clHighlightText = clSystemColor | 14;
inline constexpr TColor clBtnFace = clSystemColor | 15;
inline constexpr TColor clBtnShadow = clSystemColor | 16;
inline constexpr TColor clGrayText = clSystemColor | 17;
inline constexpr TColor clBtnText = clSystemColor | 18;
inline constexpr TColor clInactiveCaptionText = clSystemColor | 19;
inline constexpr TColor clBtnHighlight = clSystemColor | 20;
inline constexpr TColor cl3DDkShadow = clSystemColor | 21;
inline constexpr TColor cl3DLight = clSystemColor | 22;
inline constexpr TColor clInfoText = clSystemColor | 23;
inline constexpr TColor clInfoBk = clSystemColor | 24;
inline constexpr TColor clHotLight = clSystemColor | 26;
inline constexpr TColor clGradientActiveCaption = clSystemColor | 27;
inline constexpr TColor clGradientInactiveCaption = clSystemColor | 28;
inline constexpr TColor clMenuHighlight = clSystemColor | 29;
inline constexpr TColor clMenuBar = clSystemColor | 30;

// The platform's standard colours.
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clLtGray = 0xC0C0C0;
inline constexpr TColor clDkGray = 0x808080;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clMoneyGreen = 0xC0DCC0;
inline constexpr TColor clSkyBlue = 0xF0CAA6;
inline constexpr TColor clCream = 0xF0FBFF;
inline constexpr TColor clMedGray = 0xA4A0A0;

// No colour: nothing is written for it.
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

// The named web colours, $00BBGGRR.
inline constexpr TColor clWebTransparent = -1;
inline constexpr TColor clWebALICEBLUE = 0x00FFF8F0;
inline constexpr TColor clWebANTIQUEWHITE = 0x00D7EBFA;
inline constexpr TColor clWebAQUA = 0x00FFFF00;
inline constexpr TColor clWebAQUAMARINE = 0x00D4FF7F;
inline constexpr TColor clWebAZURE = 0x00FFFFF0;
inline constexpr TColor clWebBEIGE = 0x00DCF5F5;
inline constexpr TColor clWebBISQUE = 0x00C4E4FF;
inline constexpr TColor clWebBLACK = 0x00000000;
inline constexpr TColor clWebBLANCHEDALMOND = 0x00CDEBFF;
inline constexpr TColor clWebBLUE = 0x00FF0000;
inline constexpr TColor clWebBLUEVIOLET = 0x00E22B8A;
inline constexpr TColor clWebBROWN = 0x002A2AA5;
inline constexpr TColor clWebBURLYWOOD = 0x0087B8DE;
inline constexpr TColor clWebCADETBLUE = 0x00A09E5F;
inline constexpr TColor clWebCHARTREUSE = 0x0000FF7F;
inline constexpr TColor clWebCHOCOLATE = 0x001E69D2;
inline constexpr TColor clWebCORAL = 0x00507FFF;
inline constexpr TColor clWebCORNFLOWERBLUE = 0x00ED9564;
inline constexpr TColor clWebCORNSILK = 0x00DCF8FF;
inline constexpr TColor clWebCRIMSON = 0x003C14DC;
inline constexpr TColor clWebCYAN = 0x00FFFF00;
inline constexpr TColor clWebDARKBLUE = 0x008B0000;
inline constexpr TColor clWebDARKCYAN = 0x008B8B00;
inline constexpr TColor clWebDARKGOLDENROD = 0x000B86B8;
inline constexpr TColor clWebDARKGRAY = 0x00A9A9A9;
inline constexpr TColor clWebDARKGREEN = 0x00006400;
inline constexpr TColor clWebDARKKHAKI = 0x006BB7BD;
inline constexpr TColor clWebDARKMAGENTA = 0x008B008B;
inline constexpr TColor clWebDARKOLIVEGREEN = 0x002F6B55;
inline constexpr TColor clWebDARKORANGE = 0x00008CFF;
inline constexpr TColor clWebDARKORCHID = 0x00CC3299;
inline constexpr TColor clWebDARKRED = 0x0000008B;
inline constexpr TColor clWebDARKSALMON = 0x007A96E9;
inline constexpr TColor clWebDARKSEAGREEN = 0x008FBC8F;
inline constexpr TColor clWebDARKSLATEBLUE = 0x008B3D48;
inline constexpr TColor clWebDARKSLATEGRAY = 0x004F4F2F;
inline constexpr TColor clWebDARKTURQUOISE = 0x00D1CE00;
inline constexpr TColor clWebDARKVIOLET = 0x00D30094;
inline constexpr TColor clWebDEEPPINK = 0x009314FF;
inline constexpr TColor clWebDEEPSKYBLUE = 0x00FFBF00;
inline constexpr TColor clWebDIMGRAY = 0x00696969;
inline constexpr TColor clWebDODGERBLUE = 0x00FF901E;
inline constexpr TColor clWebFIREBRICK = 0x002222B2;
inline constexpr TColor clWebFLORALWHITE = 0x00F0FAFF;
inline constexpr TColor clWebFORESTGREEN = 0x00228B22;
inline constexpr TColor clWebFUCHSIA = 0x00FF00FF;
inline constexpr TColor clWebGAINSBORO = 0x00DCDCDC;
inline constexpr TColor clWebGHOSTWHITE = 0x00FFF8F8;
inline constexpr TColor clWebGOLD = 0x0000D7FF;
inline constexpr TColor clWebGOLDENROD = 0x0020A5DA;
inline constexpr TColor clWebGRAY = 0x00808080;
inline constexpr TColor clWebGREEN = 0x00008000;
inline constexpr TColor clWebGREENYELLOW = 0x002FFFAD;
inline constexpr TColor clWebHONEYDEW = 0x00F0FFF0;
inline constexpr TColor clWebHOTPINK = 0x00B469FF;
inline constexpr TColor clWebINDIANRED = 0x005C5CCD;
inline constexpr TColor clWebINDIGO = 0x0082004B;
inline constexpr TColor clWebIVORY = 0x00F0FFFF;
inline constexpr TColor clWebKHAKI = 0x008CE6F0;
inline constexpr TColor clWebLAVENDER = 0x00FAE6E6;
inline constexpr TColor clWebLAVENDERBLUSH = 0x00F5F0FF;
inline constexpr TColor clWebLAWNGREEN = 0x0000FC7C;
inline constexpr TColor clWebLEMONCHIFFON = 0x00CDFAFF;
inline constexpr TColor clWebLIGHTBLUE = 0x00E6D8AD;
inline constexpr TColor clWebLIGHTCORAL = 0x008080F0;
inline constexpr TColor clWebLIGHTCYAN = 0x00FFFFE0;
inline constexpr TColor clWebLIGHTGOLDENRODYELLOW = 0x00D2FAFA;
inline constexpr TColor clWebLIGHTGREEN = 0x0090EE90;
inline constexpr TColor clWebLIGHTGRAY = 0x00D3D3D3;
inline constexpr TColor clWebLIGHTPINK = 0x00C1B6FF;
inline constexpr TColor clWebLIGHTSALMON = 0x007AA0FF;
inline constexpr TColor clWebLIGHTSEAGREEN = 0x00AAB220;
inline constexpr TColor clWebLIGHTSKYBLUE = 0x00FACE87;
inline constexpr TColor clWebLIGHTSLATEBLUE = 0x00FF7084;
inline constexpr TColor clWebLIGHTSLATEGRAY = 0x00998877;
inline constexpr TColor clWebLIGHTSTEELBLUE = 0x00DEC4B0;
inline constexpr TColor clWebLIGHTYELLOW = 0x00E0FFFF;
inline constexpr TColor clWebLIME = 0x0000FF00;
inline constexpr TColor clWebLIMEGREEN = 0x0032CD32;
inline constexpr TColor clWebLINEN = 0x00E6F0FA;
inline constexpr TColor clWebMAGENTA = 0x00FF00FF;
inline constexpr TColor clWebMAROON = 0x00000080;
inline constexpr TColor clWebMEDIUMAQUAMARINE = 0x00AACD66;
inline constexpr TColor clWebMEDIUMBLUE = 0x00CD0000;
inline constexpr TColor clWebMEDIUMORCHID = 0x00D355BA;
inline constexpr TColor clWebMEDIUMPURPLE = 0x00DB7093;
inline constexpr TColor clWebMEDIUMSEAGREEN = 0x0071B33C;
inline constexpr TColor clWebMEDIUMSLATEBLUE = 0x00EE687B;
inline constexpr TColor clWebMEDIUMSPRINGGREEN = 0x009AFA00;
inline constexpr TColor clWebMEDIUMTURQUOISE = 0x00CCD148;
inline constexpr TColor clWebMEDIUMVIOLETRED = 0x008515C7;
inline constexpr TColor clWebMIDNIGHTBLUE = 0x00701919;
inline constexpr TColor clWebMINTCREAM = 0x00FAFFF5;
inline constexpr TColor clWebMISTYROSE = 0x00E1E4FF;
inline constexpr TColor clWebMOCCASIN = 0x00B5E4FF;
inline constexpr TColor clWebNAVAJOWHITE = 0x00ADDEFF;
inline constexpr TColor clWebNAVY = 0x00800000;
inline constexpr TColor clWebOLDLACE = 0x00E6F5FD;
inline constexpr TColor clWebOLIVE = 0x00008080;
inline constexpr TColor clWebOLIVEDRAB = 0x00238E6B;
inline constexpr TColor clWebORANGE = 0x0000A5FF;
inline constexpr TColor clWebORANGERED = 0x000045FF;
inline constexpr TColor clWebORCHID = 0x00D670DA;
inline constexpr TColor clWebPALEGOLDENROD = 0x00AAE8EE;
inline constexpr TColor clWebPALEGREEN = 0x0098FB98;
inline constexpr TColor clWebPALETURQUOISE = 0x00EEEEAF;
inline constexpr TColor clWebPALEVIOLETRED = 0x009370DB;
inline constexpr TColor clWebPAPAYAWHIP = 0x00D5EFFF;
inline constexpr TColor clWebPEACHPUFF = 0x00B9DAFF;
inline constexpr TColor clWebPERU = 0x003F85CD;
inline constexpr TColor clWebPINK = 0x00CBC0FF;
inline constexpr TColor clWebPLUM = 0x00DDA0DD;
inline constexpr TColor clWebPOWDERBLUE = 0x00E6E0B0;
inline constexpr TColor clWebPURPLE = 0x00800080;
inline constexpr TColor clWebRED = 0x000000FF;
inline constexpr TColor clWebROSYBROWN = 0x008F8FBC;
inline constexpr TColor clWebROYALBLUE = 0x00E16941;
inline constexpr TColor clWebSADDLEBROWN = 0x0013458B;
inline constexpr TColor clWebSALMON = 0x007280FA;
inline constexpr TColor clWebSANDYBROWN = 0x0060A4F4;
inline constexpr TColor clWebSEAGREEN = 0x00578B2E;
inline constexpr TColor clWebSEASHELL = 0x00EEF5FF;
inline constexpr TColor clWebSIENNA = 0x002D52A0;
inline constexpr TColor clWebSILVER = 0x00C0C0C0;
inline constexpr TColor clWebSKYBLUE = 0x00EBCE87;
inline constexpr TColor clWebSLATEBLUE = 0x00CD5A6A;
inline constexpr TColor clWebSLATEGRAY = 0x00908070;
inline constexpr TColor clWebSNOW = 0x00FAFAFF;
inline constexpr TColor clWebSPRINGGREEN = 0x007FFF00;
inline constexpr TColor clWebSTEELBLUE = 0x00B48246;
inline constexpr TColor clWebTAN = 0x008CB4D2;
inline constexpr TColor clWebTEAL = 0x00808000;
inline constexpr TColor clWebTHISTLE = 0x00D8BFD8;
inline constexpr TColor clWebTOMATO = 0x004763FF;
inline constexpr TColor clWebTURQUOISE = 0x00D0E040;
inline constexpr TColor clWebVIOLET = 0x00EE82EE;
inline constexpr TColor clWebVIOLETRED = 0x009020D0;
inline constexpr TColor clWebWHEAT = 0x00B3DEF5;
inline constexpr TColor clWebWHITE = 0x00FFFFFF;
inline constexpr TColor clWebWHITESMOKE = 0x00F5F5F5;
inline constexpr TColor clWebYELLOW = 0x0000FFFF;
inline constexpr TColor clWebYELLOWGREEN = 0x0032CD9A;

struct TKXColorEntry {
  TKXColor Value;
  std::string_view Name;
};

// clWebTransparent, then the 142 web colours in alphabetical order.
extern const std::array<TKXColorEntry, 143> KXColors;

// The identifier of a colour: the first web colour with that value, else a
// platform colour identifier ("clBtnFace"). False when there is none.
bool KXColorToIdent(TKXColor color, std::string& ident);
// The colour of an identifier, web colours first; the case of letters does not matter.
bool IdentToKXColor(std::string_view ident, TKXColor& color);
// Calls proc with each of the 143 web colour identifiers in table order.
void GetKXColorValues(const std::function<void(const std::string&)>& proc);
// The identifier, else "$" and 8 upper-case hexadecimal digits.
std::string KXColorToString(TKXColor color);
// An identifier or an integer text ("$" for hexadecimal); raises EConvertError otherwise.
TKXColor StringToKXColor(std::string_view text);

// The RGB value ($00BBGGRR) of a colour, system colours resolved.
TColor ColorToRGB(TColor color);
// "transparent" for clNone and -1, else "#RRGGBB" (upper case) of the resolved colour.
std::string ColorToRGBString(TKXColor color);
void ColorRGBValues(TKXColor color, std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue);
// "rgba(r,g,b,alpha)" with decimal bytes and "." in the alpha whatever the locale.
std::string ColorToRGBAString(TKXColor color, double alpha);
// " name=#RRGGBB" (an HTML attribute); empty for clNone.
std::string HTMLColor(TKXColor color, std::string_view attributeName);

inline constexpr TColor toTColor(TKXColor color) { return color; }
inline constexpr TKXColor fromTColor(TColor color) { return color; }

}  // namespace kx
