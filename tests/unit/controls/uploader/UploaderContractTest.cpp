// The file uploader against the control contract (support/ControlContract.h). Its texts live in the page's
// script, not in its element: the script's escaping is tested in UploaderTest.cpp.
#include "kx/controls/uploader/FileUploader.h"
#include "support/ControlContract.h"

namespace kx::test {
namespace {

const TControlContract kUploaderContract[] = {
    {.Name = "FileUploader",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return f.Add<TKXFileUploader>("Up1", f.Form); },
     .Tag = "div",
     .Attributes = {{"id", "UP1"}},
     .Styles = {{"outline", "none"}, {"border-width", "0"}, {"border-style", "none"}},
     .Posts = {},
     .HostileText = {},
     .AsyncType = "KXFILEUPLOADER",
     .AsyncFacts = {{"@id", "UP1"}, {"enabled", "true"}}},
    {.Name = "FileUploaderDisabled",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* uploader = f.Add<TKXFileUploader>("Files", f.Form);
       uploader->SetEnabled(false);
       return uploader;
     },
     .Tag = "div",
     .Attributes = {{"id", "FILES"}},
     .Styles = {},
     .Posts = {},
     .HostileText = {},
     .AsyncType = "KXFILEUPLOADER",
     .AsyncFacts = {{"enabled", "false"}}},
};
KX_CONTROL_CONTRACT(Uploader, kUploaderContract);

}  // namespace
}  // namespace kx::test
