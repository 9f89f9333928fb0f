#include "kx/appserver/InternalFiles.h"
#include "kx/appserver/Startup.h"
#include "kx/controls/ControlFamily.h"
#include "kx/controls/appform/AppForm.h"
#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/calendar/Calendar.h"
#include "kx/controls/checks/Checks.h"
#include "kx/controls/css3/Css3.h"
#include "kx/controls/dbcontrols/DBStdCtrls.h"
#include "kx/controls/dbgrid/DBGrid.h"
#include "kx/controls/edits/Edits.h"
#include "kx/controls/grids/Grids.h"
#include "kx/controls/htmleditor/WebEditor.h"
#include "kx/controls/htmlelements/HTMLControls.h"
#include "kx/controls/imagelist/ImageList.h"
#include "kx/controls/images/Images.h"
#include "kx/controls/labels/Labels.h"
#include "kx/controls/links/Links.h"
#include "kx/controls/lists/Lists.h"
#include "kx/controls/media/Media.h"
#include "kx/controls/menus/Menu.h"
#include "kx/controls/pageservices/PageServices.h"
#include "kx/controls/plugins/Plugins.h"
#include "kx/controls/progress/Progress.h"
#include "kx/controls/regions/Regions.h"
#include "kx/controls/tabs/TabControl.h"
#include "kx/controls/timeedit/TimeEdit.h"
#include "kx/controls/tree/TreeView.h"
#include "kx/controls/uploader/FileUploader.h"
#include "kx/forms/FormTypes.h"

namespace kx {

void InstallControlFamily(const TKXControlFamily& family) {
  for (TKXControlFamily::TClassRecord formType : family.FormTypes) RegisterKXFormType(formType());
  if (gInternalFiles) {
    const TKXFamilyFiles files = FamilyFiles(family.Name);
    for (const TKXFamilyFile& file : files.Files) gInternalFiles->Add(file.ResourceName, file.URLPath);
    for (const TKXFamilyFile& file : files.ReadableFiles)
      gInternalFiles->AddReadable(file.ResourceName, file.URLPath);
  }
  if (family.Install) family.Install();
}

std::span<const TKXControlFamily* const> ControlFamilies() {
  // One line per family.
  static const TKXControlFamily* const families[] = {
      &LabelsFamily(),
      &ButtonsFamily(),
      &EditsFamily(),
      &RegionsFamily(),
      &AppFormFamily(),
      &ImageListFamily(),
      &ListsFamily(),
      &ChecksFamily(),
      &TimeEditFamily(),
      &HTMLEditorFamily(),
      &PluginsFamily(),
      &MediaFamily(),
      &Css3Family(),
      &LinksFamily(),
      &HTMLElementsFamily(),
      &TabsFamily(),
      &MenusFamily(),
      &ImagesFamily(),
      &ProgressFamily(),
      &PageServicesFamily(),
      &TreeFamily(),
      &DBControlsFamily(),
      &UploaderFamily(),
      &GridsFamily(),
      &CalendarFamily(),
      &DBGridFamily(),
  };
  return families;
}

void InstallLayers() {
  Startup();
  InstallForms();
  for (const TKXControlFamily* family : ControlFamilies()) InstallControlFamily(*family);
}

}  // namespace kx
