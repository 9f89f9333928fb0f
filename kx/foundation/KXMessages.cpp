#include "kx/foundation/KXMessages.h"

#include <array>

#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

// The name is taken from the constant itself, so the two cannot drift apart.
#define KX_TEXT(name) TKXMessageText{#name, name}

constexpr std::array kMessageTexts{
    KX_TEXT(RSOK),
    KX_TEXT(RSShowMessageNotSupported),
    KX_TEXT(RSSecureModeRequired),
    KX_TEXT(RSNonSecureModeRequired),
    KX_TEXT(RSNotSupportedDuringPartialUpdate),
    KX_TEXT(RSWebApplicationRequiered),
    KX_TEXT(RSUnknownClientType),
    KX_TEXT(RSCannotShowNonAppForms),
    KX_TEXT(RSCannotHideNonAppForms),
    KX_TEXT(RSCannotReleaseNonAppForms),
    KX_TEXT(RSUnknownBrowserType),
    KX_TEXT(RSMustBeAppForm),
    KX_TEXT(RSWrongIPForSession),
    KX_TEXT(RSWrongBrowserForSession),
    KX_TEXT(RSValidationRequeredField),
    KX_TEXT(RSInvalidComponentName),
    KX_TEXT(RSDroppedConnection),
    KX_TEXT(RSNotFound),
    KX_TEXT(RSPopupBlocked),
    KX_TEXT(RSNoSubmitComponent),
    KX_TEXT(RSNoSubmitHandler),
    KX_TEXT(RSInvalidFunction),
    KX_TEXT(RSInvalidHeight),
    KX_TEXT(RSInvalidWidth),
    KX_TEXT(RSIndexOutOfBounds),
    KX_TEXT(RSNoServerController),
    KX_TEXT(RSSessionAlreadyLocked),
    KX_TEXT(RSNotForThisProcess),
    KX_TEXT(RSRefreshWarning),
    KX_TEXT(RSResourceNotFound),
    KX_TEXT(RSNoMainForm),
    KX_TEXT(RSDeviceNotSupported),
    KX_TEXT(RSNoServerControllerClass),
    KX_TEXT(RSUnknownSessionMethod),
    KX_TEXT(RSInvalidBrowser),
    KX_TEXT(RSColorRed),
    KX_TEXT(RSColorBlue),
    KX_TEXT(RSColorGreen),
    KX_TEXT(RSColorYellow),
    KX_TEXT(RSColorBrown),
    KX_TEXT(RSTextError),
    KX_TEXT(RSCannotReceiveFocus),
    KX_TEXT(RSErrorCreatingSession),
    KX_TEXT(RSSessionTerminated),
    KX_TEXT(RSPermissionDEnied),
    KX_TEXT(RSUnknownBrowser),
    KX_TEXT(RSUnrecognizable),
    KX_TEXT(RSNoCookieSupport),
    KX_TEXT(RSCantFindInternalFile),
    KX_TEXT(RSExecuteError),
    KX_TEXT(RSKXVersion),
    KX_TEXT(RSbtnNameFirst),
    KX_TEXT(RSbtnNamePrior),
    KX_TEXT(RSbtnNameNext),
    KX_TEXT(RSbtnNameLast),
    KX_TEXT(RSbtnNameInsert),
    KX_TEXT(RSbtnNameDelete),
    KX_TEXT(RSbtnNameEdit),
    KX_TEXT(RSbtnNamePost),
    KX_TEXT(RSbtnNameCancel),
    KX_TEXT(RSbtnNameRefresh),
    KX_TEXT(RSUnsupportedFieldType),
    KX_TEXT(RSNoRefereshWhileInEdit),
    KX_TEXT(RSInvalidResponse),
    KX_TEXT(RSDeleteMessage),
    KX_TEXT(RSUpdateMessage),
    KX_TEXT(RSCancelMessage),
    KX_TEXT(RSDataSetNotEditing),
    KX_TEXT(RSInvalidSessionTimeout),
    KX_TEXT(RSEmptyWorkAreaPath),
    KX_TEXT(RSFormPreviewError),
    KX_TEXT(RSHTMLEditorError),
    KX_TEXT(RSIE55OrLater),
    KX_TEXT(RSMsgDeleteItem),
    KX_TEXT(RSApacheDSOError),
    KX_TEXT(RSISAPIError),
    KX_TEXT(RSStandaloneError),
    KX_TEXT(RSToolBarError),
    KX_TEXT(RSRedirecting),
    KX_TEXT(RSCanUseKXControlOnVCLForm),
    KX_TEXT(RS4On32Form),
    KX_TEXT(RS32On4Form),
    KX_TEXT(RSDublicateEventHandler),
    KX_TEXT(RSMetaFileNotSupported),
    KX_TEXT(RSLoadImageError),
    KX_TEXT(RSUnrecognizedCommand),
    KX_TEXT(RSLayoutMgrNeeded32),
    KX_TEXT(RSLogExecute),
    KX_TEXT(RSLogActiveSessions),
    KX_TEXT(RSClearSessionsCaption),
    KX_TEXT(RSExitHint),
    KX_TEXT(RSUseParamQueryTitle),
    KX_TEXT(RSUseParamQueryPrompt),
    KX_TEXT(RSCanSetControlToSelf),
    KX_TEXT(RSSelectionRequired),
    KX_TEXT(RSIncorrectSpeed),
    KX_TEXT(RSSimulSpeed),
    KX_TEXT(RSConnectionSpeed),
    KX_TEXT(RSPleaseWait),
    KX_TEXT(RSZLibNotFound),
    KX_TEXT(RSWrongZLibVer),
    KX_TEXT(RSToday),
    KX_TEXT(RSPrevious),
    KX_TEXT(RSNext),
    KX_TEXT(rsEditHTML),
    KX_TEXT(rsPreviewHTML),
    KX_TEXT(RSInvalidTimeEditFormat),
    KX_TEXT(RSMissingContainerOnFrame),
    KX_TEXT(RSExceptionSessionExpiredMsg),
    KX_TEXT(RSExceptionSessionInvalidMsg),
    KX_TEXT(RSExceptionSessionExpired),
    KX_TEXT(RSExceptionSecurityCheck),
    KX_TEXT(RSExceptionOther),
    KX_TEXT(RSExceptionDetailsHidden),
    KX_TEXT(RSTrappedException),
    KX_TEXT(RSBackButtonMessage),
};

#undef KX_TEXT

}  // namespace

std::span<const TKXMessageText> KXMessageTexts() { return kMessageTexts; }

const char* FindMessageText(std::string_view name) {
  for (const TKXMessageText& entry : kMessageTexts) {
    // Every Text views a whole constant, so its data ends with the terminating NUL.
    if (SameText(entry.Name, name)) return entry.Text.data();
  }
  return nullptr;
}

}  // namespace kx
