// The image controls against the control contract (support/ControlContract.h).
#include "kx/controls/images/Images.h"
#include "support/ControlContract.h"

namespace kx::test {
namespace {

void SetImageURL(TKXCustomControl& control, const std::string& text) {
  static_cast<TKXImageFile&>(control).ImageFile().SetURL("http://example.com/" + text);
}

const TControlContract kImagesContract[] = {
    {.Name = "EmptyImage",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return f.Add<TKXImage>("Image1", f.Form); },
     .Tag = "span",
     .AsyncType = "IMAGE",
     .AsyncFacts = {{"src", ""}}},
    {.Name = "ImageFile",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* image = f.Add<TKXImageFile>("ImageFile1", f.Form);
       image->ImageFile().SetURL("http://example.com/a.png");
       image->SetOnClick([](TObject*) {});
       return image;
     },
     // a click handler wraps the IMG in the submit link
     .Tag = "a",
     .Attributes = {{"href", "#"}, {"onclick", "return SubmitClickConfirm('IMAGEFILE1','', true, '');"}},
     .HostileText = &SetImageURL,
     .AsyncType = "KXIMAGEFILE",
     .AsyncFacts = {{"src", "http://example.com/a.png"}}},
    {.Name = "ImageButton",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* button = f.Add<TKXImageButton>("ImageButton1", f.Form);
       button->ImageFile().SetURL("http://example.com/b.png");
       button->SetHotKey("k");
       return button;
     },
     .Tag = "input",
     .Attributes = {{"type", "image"}, {"name", "IMAGEBUTTON1"}, {"accesskey", "k"}, {"disabled", kAbsent}},
     .HostileText = &SetImageURL,
     .AsyncType = "KXIMAGEFILE",
     .AsyncFacts = {{"src", "http://example.com/b.png"}}},
};
KX_CONTROL_CONTRACT(Images, kImagesContract);

}  // namespace
}  // namespace kx::test
