#include "kx/controls/images/Images.h"

#include <gtest/gtest.h>

#include <string>

#include "support/Raised.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::MessageOf;
using test::TFormFixture;

std::string RenderedText(TFormFixture& f, const char* htmlName) {
  TKXMarkupLanguageTag* tag = f.Form->Render()->GetMarkupLanguageTag(htmlName);
  return tag ? tag->Render() : std::string();
}

std::string HookedCode(TKXCustomImage& image, const char* event) {
  TKXScriptEvents events(&image);
  image.HookEvents(nullptr, events);
  return events.GetCodeByEventName(event);
}

TEST(TKXCustomImage, ClickAndMouseDownHandlersExcludeEachOther) {
  TFormFixture f;
  auto* image = f.Add<TKXImageFile>("Image1", f.Form);
  image->SetOnMouseDown([](TObject*, std::int32_t, std::int32_t) {});
  EXPECT_FALSE(image->HasTabOrder());
  image->SetOnClick([](TObject*) {});
  EXPECT_FALSE(image->OnMouseDown());
  EXPECT_TRUE(image->HasTabOrder());
  image->SetOnMouseDown([](TObject*, std::int32_t, std::int32_t) {});
  EXPECT_FALSE(image->OnClick);
}

// The click position is two decimal integers separated by a comma; anything else is refused.
TEST(TKXCustomImage, SubmitParsesTheClickPositionStrictly) {
  struct Case {
    const char* posted;
    const char* message;  // "" for accepted
    int x, y;
  };
  const Case cases[] = {
      {"15,20", "", 15, 20},
      {"0,0", "", 0, 0},
      {"-3,7", "", -3, 7},
      {"15", "'' is not a valid integer value", 0, 0},
      {"", "'' is not a valid integer value", 0, 0},
      {"a,1", "'a' is not a valid integer value", 0, 0},
      {"1,2,3", "'2,3' is not a valid integer value", 0, 0},
      {" 1,2", "' 1' is not a valid integer value", 0, 0},
      {"+1,2", "'+1' is not a valid integer value", 0, 0},
      {"0x10,2", "'0x10' is not a valid integer value", 0, 0},
      {"1,99999999999", "'99999999999' is not a valid integer value", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.posted);
    TFormFixture f;
    auto* image = f.Add<TKXImageFile>("Image1", f.Form);
    int x = -100, y = -100;
    image->SetOnMouseDown([&](TObject*, std::int32_t ax, std::int32_t ay) { x = ax, y = ay; });
    EXPECT_EQ(MessageOf<EConvertError>([&] { image->Submit(c.posted); }), *c.message ? c.message : "(no exception)");
    EXPECT_EQ(image->GetSubmitParam(), c.posted);
    if (*c.message == 0) {
      EXPECT_EQ(x, c.x);
      EXPECT_EQ(y, c.y);
    } else {
      EXPECT_EQ(x, -100) << "the handler ran";
    }
  }
}


// One hook for every browser, on the IMG that carries the control's name.
TEST(TKXCustomImage, MouseDownHooksTheClickPositionScript) {
  TFormFixture f;
  auto* image = f.Add<TKXImageFile>("Image1", f.Form);
  EXPECT_EQ(HookedCode(*image, "OnMouseDown"), "");
  image->SetOnMouseDown([](TObject*, std::int32_t, std::int32_t) {});
  image->SetConfirmation("Don't \"go\"");
  image->SetDoSubmitValidation(false);
  EXPECT_EQ(HookedCode(*image, "OnMouseDown"),
            "return ImageClick(this.name,event,false, 'Don\\x27t \\x22go\\x22');");
  image->SetEnabled(false);
  EXPECT_EQ(HookedCode(*image, "OnMouseDown"), "");
}

TEST(TKXCustomImage, ImageRepeatsItsSourceAsAltAndEscapesIt) {
  TFormFixture f;
  auto* image = f.Add<TKXImageFile>("Image1", f.Form);
  image->ImageFile().SetURL("http://example.com/a.png?x=1&y=\"2\"");
  EXPECT_EQ(RenderedText(f, "IMAGE1"),
            "\r\n<img src=\"http://example.com/a.png?x=1&amp;y=&quot;2&quot;\" name=\"IMAGE1\" "
            "style=\"border-width: 0px; border-style: solid; \" "
            "alt=\"http://example.com/a.png?x=1&amp;y=&quot;2&quot;\">");
  image->SetAltText("<Chart>");
  EXPECT_NE(RenderedText(f, "IMAGE1").find("alt=\"&lt;Chart&gt;\""), std::string::npos);
}

TEST(TKXCustomImage, DisabledImageIsDisabledByTheStartUpScript) {
  TFormFixture f;
  auto* image = f.Add<TKXImageFile>("Image1", f.Form);
  image->SetEnabled(false);
  TKXCompContext context(image, nullptr, nullptr);
  image->RenderHTML(&context);
  EXPECT_EQ(context.InitProc(), "setEnabled(\"IMAGE1\", false);\r\n");
}

TEST(TKXDynamicImage, EmptyImageRendersASpanOrAnImageWithoutSource) {
  TFormFixture f;
  auto* image = f.Add<TKXImage>("Image1", f.Form);
  EXPECT_TRUE(image->IsEmpty());
  EXPECT_EQ(RenderedText(f, "IMAGE1"), "\r\n<span></span>");
  image->SetRenderEmptyAsSpan(false);
  EXPECT_EQ(RenderedText(f, "IMAGE1"), "\r\n<img name=\"IMAGE1\" style=\"border-width: 0px; border-style: solid; \" alt=\"\">");
}

TEST(TKXDynamicImage, PictureSetsTheOutputTypeAndTheSize) {
  TFormFixture f;
  auto* image = f.Add<TKXImage>("Image1", f.Form);
  TPicture picture;
  TJPEGImage jpeg;
  TBitmap bitmap;
  bitmap.SetSize(30, 20);
  jpeg.Assign(&bitmap);
  picture.SetGraphic(&jpeg);
  image->SetPicture(picture);
  EXPECT_EQ(image->OutputType(), ioJPEG);
  EXPECT_FALSE(image->IsEmpty());
  EXPECT_EQ(image->Width(), 30);
  EXPECT_EQ(image->Height(), 20);
  // Aligned to the top it keeps its width.
  image->SetAlign(alTop);
  bitmap.SetSize(50, 40);
  image->Picture().SetGraphic(&bitmap);
  EXPECT_EQ(image->Height(), 40);
  EXPECT_NE(image->Width(), 50);
  image->Clear();
  EXPECT_TRUE(image->IsEmpty());
}


TEST(TKXImageButton, HoverHandlersOnlyWithAHotImage) {
  TFormFixture f;
  auto* button = f.Add<TKXImageButton>("Button1", f.Form);
  button->ImageFile().SetURL("http://example.com/b.png");
  EXPECT_EQ(HookedCode(*button, "onMouseOver"), "");
  EXPECT_EQ(HookedCode(*button, "onMouseOut"), "");
  button->HotImageFile().SetURL("http://example.com/hot.png");
  EXPECT_EQ(HookedCode(*button, "onMouseOver"), "BUTTON1KXCL.src=BUTTON1KXCL_HImg;\r\nreturn true;");
  EXPECT_EQ(HookedCode(*button, "onMouseOut"), "BUTTON1KXCL.src=BUTTON1KXCL_Img;\r\nreturn true;");
}

TEST(TKXImageButton, DeclaresItsImagesOnceAndIsDisabledAsAnInput) {
  TFormFixture f;
  auto* button = f.Add<TKXImageButton>("Button1", f.Form);
  button->ImageFile().SetURL("http://example.com/b.png");
  button->HotImageFile().SetURL("http://example.com/\"hot\".png");
  button->SetEnabled(false);
  TKXCompContext context(button, nullptr, nullptr);
  const std::string tag = button->RenderHTML(&context)->Render();
  EXPECT_NE(tag.find(" disabled"), std::string::npos) << tag;
  EXPECT_EQ(context.JavaScript(),
            "var BUTTON1KXCL_Img=\"http://example.com/b.png\";\r\n"
            "var BUTTON1KXCL_HImg=\"http://example.com/\\x22hot\\x22.png\";\r\n");
}

}  // namespace
}  // namespace kx
