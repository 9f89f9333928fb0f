// The framework's message texts: one constant per named text, used for errors,
// dialogs, captions and log lines, and a look-up of a text by its name. The
// texts are compiled in; "%s" and "%d" are filled with Format.
#pragma once

#include <span>
#include <string_view>

namespace kx {

// In the framework's load order. These names have no text here, because what
// would show them is not built (no design-time editors, no desktop server
// window; the stand-alone host writes its own log lines):
// - the design-time editors' captions and buttons: RSScriptEditorCaption,
//   RSScriptEditorEvent, RSScriptEditorCode, RSOKButton, RSCancelButton,
//   RSApplyButton, RSNewRoot, RSNewItem, RSDeleteItem, RSEditCaption;
// - the server window's menus, tool bar and device simulation: RSOptionsMenuCaption,
//   RSDeviceSimulationMenuCaption, RSHTML32Caption, RSWMLCaption,
//   RSXHTMLMPCaption, RSHTML32Hint, RSWMLHint, RSXHTMLMPHint,
//   RSClearSessionsHint, RSCopyClipboardCaption, RSCopyClipboardHint,
//   RSShowDebugInfoCaption, RSShowDebugInfoHint, RSExitCaption,
//   RSExecuteCaption, RSExecuteHint, RSExecuteDefaultCaption,
//   RSExecuteDefaultHint, RSExecuteIECaption, RSExecuteIEHint,
//   RSExecuteMozillaCaption, RSExecuteMozillaHint, RSExecuteFirefoxCaption,
//   RSExecuteFirefoxHint, RSExecuteNS6Caption, RSExecuteNS6Hint,
//   RSExecuteOperaCaption, RSExecuteOperaHint, RSUseSSLCaption, RSUseSSLHint,
//   RSParamCaption, RSParamHint, RSAboutCaption, RSAboutHint,
//   RSFileMenuCaption, RSRunMenuCaption, RSSelectBrowserCaption,
//   RSHelpCaption, RSToolBarCaption, RSConnectionSpeedCaption;
// - its browser list (a browser class names itself, TBrowser::BrowserName):
//   RSIE, RSNS6Gecko, RSNS7Gecko, RSSafari, RSOpera, RSChrome, RSOther;
// - its message-dialog caption, RSMessageDialog (ShowMessage shows in the
//   browser, as an alert or a message form);
// - its request log: RSLogCacheFile, RSLogInternalGraphic, RSLogJavaScript,
//   RSLogNewSession, RSLogExternalFile, RSLogExplicitStop,
//   RSLogUnrecognizedCommand, RSLogResizeCommand, RSLogUpdateCommand,
//   RSLogCSSRequest.
// FindMessageText gives nullptr for them.
inline constexpr char RSOK[] = "Ok";
inline constexpr char RSShowMessageNotSupported[] = "ShowMessage not supported";
inline constexpr char RSSecureModeRequired[] = "Secure mode is required for this form.";
inline constexpr char RSNonSecureModeRequired[] = "Non-Secure mode is required for this form.";
inline constexpr char RSNotSupportedDuringPartialUpdate[] = "That change is not supported during partial update.";
inline constexpr char RSWebApplicationRequiered[] = "WebApplication is requiered in order to use this function.";
inline constexpr char RSUnknownClientType[] = "Unknown client type.";
inline constexpr char RSCannotShowNonAppForms[] = "Cannot show non-app forms.";
inline constexpr char RSCannotHideNonAppForms[] = "Cannot hide non-app forms.";
inline constexpr char RSCannotReleaseNonAppForms[] = "Cannot release non-app forms.";
inline constexpr char RSUnknownBrowserType[] = "Unknown browser type. User Agent string: %s";
inline constexpr char RSMustBeAppForm[] = "Form must be an application form.";
inline constexpr char RSWrongIPForSession[] =
    "The IP you are using is different than the one that initiated the session.";
inline constexpr char RSWrongBrowserForSession[] =
    "The browser you are using is different than the one that initiated the session.";
inline constexpr char RSValidationRequeredField[] = "%s is a required field.";
inline constexpr char RSInvalidComponentName[] = "\"%s\" is not a valid component name.";
inline constexpr char RSDroppedConnection[] = "Client Dropped Connection";
inline constexpr char RSNotFound[] = "%s not found.";
inline constexpr char RSPopupBlocked[] = "Popup is blocked. Please disable popup blocker to continue.";
inline constexpr char RSNoSubmitComponent[] = "Cannot find submit component.";
inline constexpr char RSNoSubmitHandler[] = "Submit control (%s) does not have a handler.";
inline constexpr char RSInvalidFunction[] = "This function is not valid for this server type.";
inline constexpr char RSInvalidHeight[] = "\"%s\" is not a valid height.";
inline constexpr char RSInvalidWidth[] = "\"%s\" is not a valid width.";
inline constexpr char RSIndexOutOfBounds[] = "Index out of bounds.";
inline constexpr char RSNoServerController[] = "No server controller has been created.";
inline constexpr char RSSessionAlreadyLocked[] = "Session is already locked.";
inline constexpr char RSNotForThisProcess[] = "The session does not belong to this process.";
inline constexpr char RSRefreshWarning[] =
    "You have attempted to post or refresh data from a page that  depends on information that is no longer available "
    "to the server application.\r\n\r\nYour attempted changes will be ignored. You will now be resynced to the "
    "current place in the application.";
inline constexpr char RSResourceNotFound[] = "Resource %s not found.";
inline constexpr char RSNoMainForm[] = "No main form is defined.";
inline constexpr char RSDeviceNotSupported[] = "Device not supported";
inline constexpr char RSNoServerControllerClass[] = "No server controller is defined.";
inline constexpr char RSUnknownSessionMethod[] = "Unknown session tracking method";
inline constexpr char RSInvalidBrowser[] =
    "Your browser was detected as %s, identifying itself as %s.\r\nOne of the following browsers is required:\r\n";
inline constexpr char RSColorRed[] = "red";
inline constexpr char RSColorBlue[] = "blue";
inline constexpr char RSColorGreen[] = "green";
inline constexpr char RSColorYellow[] = "yellow";
inline constexpr char RSColorBrown[] = "brown";
inline constexpr char RSTextError[] = "Error: ";
inline constexpr char RSCannotReceiveFocus[] = "Control cannot receive focus";
inline constexpr char RSErrorCreatingSession[] = "Error creating session";
inline constexpr char RSSessionTerminated[] = "This session has been terminated";
inline constexpr char RSPermissionDEnied[] = "Permission denied";
inline constexpr char RSUnknownBrowser[] = "Unknown or Unrecognized";
inline constexpr char RSUnrecognizable[] = "Unknown browser type.";
inline constexpr char RSNoCookieSupport[] = "Your browser does not seem to support cookies or they are deactivated";
inline constexpr char RSCantFindInternalFile[] = "Cannot find internal file: %s";
inline constexpr char RSExecuteError[] = "Error while launching browser: %s.";
inline constexpr char RSKXVersion[] = "Kestrix Version: %s";
inline constexpr char RSbtnNameFirst[] = "First";
inline constexpr char RSbtnNamePrior[] = "Prior";
inline constexpr char RSbtnNameNext[] = "Next";
inline constexpr char RSbtnNameLast[] = "Last";
inline constexpr char RSbtnNameInsert[] = "Insert";
inline constexpr char RSbtnNameDelete[] = "Delete";
inline constexpr char RSbtnNameEdit[] = "Edit";
inline constexpr char RSbtnNamePost[] = "Post";
inline constexpr char RSbtnNameCancel[] = "Cancel";
inline constexpr char RSbtnNameRefresh[] = "Refresh";
inline constexpr char RSUnsupportedFieldType[] = "Unsupported field type in DBLink";
inline constexpr char RSNoRefereshWhileInEdit[] = "Cannot refresh grid while data is in edit or insert mode.";
inline constexpr char RSInvalidResponse[] = "%s is not a valid response.";
inline constexpr char RSDeleteMessage[] = "Are you sure you want to delete this record?";
inline constexpr char RSUpdateMessage[] = "Are you sure you want to update this record?";
inline constexpr char RSCancelMessage[] = "Are you sure you want to cancel your changes to this record?";
inline constexpr char RSDataSetNotEditing[] =
    " Set %s.AutoEdit property to TRUE, or manually set %s to Edit or Insert mode before updating records.";
inline constexpr char RSInvalidSessionTimeout[] = "Invalid session timeout value.";
inline constexpr char RSEmptyWorkAreaPath[] = "Work Area Path not set.";
inline constexpr char RSFormPreviewError[] = "Error loading Form Preview Manager. Check to see if it is installed.";
inline constexpr char RSHTMLEditorError[] = "Error loading HTML Layout Manager. Check to see if it is installed.";
inline constexpr char RSIE55OrLater[] = "Internet Explorer 5.5 or higher is required to run the editor";
inline constexpr char RSMsgDeleteItem[] = "Delete \"%s\"?";
inline constexpr char RSApacheDSOError[] = "Apache DSOs must be a library.";
inline constexpr char RSISAPIError[] = "ISAPI version must be a library.";
inline constexpr char RSStandaloneError[] = "Standalone must be .exe";
inline constexpr char RSToolBarError[] = "Error loading toolbar button images.";
inline constexpr char RSRedirecting[] = "Redirecting...";
inline constexpr char RSCanUseKXControlOnVCLForm[] = "Kestrix controls are not valid on non Kestrix forms.";
inline constexpr char RS4On32Form[] = "Only 3.2 controls should be placed on a 3.2 Form";
inline constexpr char RS32On4Form[] = "Only 4.0 controls should be placed on a 4.0 Form";
inline constexpr char RSDublicateEventHandler[] = "This event handler already has code associated to it";
inline constexpr char RSMetaFileNotSupported[] = "MetaFile not supported";
inline constexpr char RSLoadImageError[] = "Could not load image";
inline constexpr char RSUnrecognizedCommand[] = "Unrecognized Command: ";
inline constexpr char RSLayoutMgrNeeded32[] =
    "For HTML 3.2 a layout manager is required. Make sure that you have one\r\n associated to the form and this it's "
    "Able property is set to True";
inline constexpr char RSLogExecute[] = "Execute: ";
inline constexpr char RSLogActiveSessions[] = "Active Sessions: ";
inline constexpr char RSClearSessionsCaption[] = "C&lear Sessions";
inline constexpr char RSExitHint[] = "Stop the service and exit the application.";
inline constexpr char RSUseParamQueryTitle[] = "URL Parameters";
inline constexpr char RSUseParamQueryPrompt[] = "Enter parameters for URL:";
inline constexpr char RSCanSetControlToSelf[] = "You cannot assign the control to itself";
inline constexpr char RSSelectionRequired[] = "A value must be selected for %s.";
inline constexpr char RSIncorrectSpeed[] = "Incorrect connection speed value (%s).";
inline constexpr char RSSimulSpeed[] = "Simulated Connection speed";
inline constexpr char RSConnectionSpeed[] = "Connection Speed: ";
inline constexpr char RSPleaseWait[] = "Please wait...";
inline constexpr char RSZLibNotFound[] = "zlib.dll       not found in %s";
inline constexpr char RSWrongZLibVer[] = "Wrong ZLib version";
inline constexpr char RSToday[] = "Today";
inline constexpr char RSPrevious[] = "Previous";
inline constexpr char RSNext[] = "Next";
inline constexpr char rsEditHTML[] = "Edit";
inline constexpr char rsPreviewHTML[] = "Preview";
inline constexpr char RSInvalidTimeEditFormat[] =
    "The value of %s is in an incorrect format.\r\nPlease correct the value.";
inline constexpr char RSMissingContainerOnFrame[] = "Frame container not found.";
inline constexpr char RSExceptionSessionExpiredMsg[] = "Your session has expired due to inactivity.";
inline constexpr char RSExceptionSessionInvalidMsg[] = "Session ID is invalid.";
inline constexpr char RSExceptionSessionExpired[] =
    "Your session has expired. You will have to restart the application. In order to keep sessions from expiring you "
    "may set the session timeout parameter to a higher value. The current session timeout value is %d minute%s.";
inline constexpr char RSExceptionSecurityCheck[] = "Security check failed. Please restart the application.";
inline constexpr char RSExceptionOther[] =
    "Depending on the error condition, it might be possible to restart the application.";
inline constexpr char RSExceptionDetailsHidden[] = "[Error details are disabled in server configuration]";
inline constexpr char RSTrappedException[] = "The following exception%s occured\r\n%s";
inline constexpr char RSBackButtonMessage[] = "Back button cannot be used in this page";

struct TKXMessageText {
  std::string_view Name;  // the constant's name, e.g. "RSNotFound"
  std::string_view Text;
};

// Every text above, in load order.
std::span<const TKXMessageText> KXMessageTexts();

// The text of the named constant (names compare ignoring ASCII case); nullptr
// when there is no text of that name.
const char* FindMessageText(std::string_view name);

}  // namespace kx
