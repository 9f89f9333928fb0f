// The data image's picture from a blob, and the data radio group's reading and writing of its field.
#include <gtest/gtest.h>

#include "kx/controls/dbgrid/DBExtCtrls.h"
#include "kx/data/MemDataSet.h"
#include "kx/platform/Streams.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::TFormFixture;

// The bytes of a 30 x 20 picture in graphic's format.
template <class TFormat>
std::string PictureBytes() {
  TBitmap bitmap;
  bitmap.SetSize(30, 20);
  TFormat graphic;
  graphic.Assign(&bitmap);
  TMemoryStream stream;
  graphic.SaveToStream(stream);
  std::string bytes(std::size_t(stream.Size()), '\0');
  stream.SetPosition(0);
  stream.Read(bytes.data(), stream.Size());
  return bytes;
}

// One record: pic (a blob), code (a string); the source is "ThingsSource".
TDataSource* Things(TFormFixture& f, const TFieldValue& pic, const TFieldValue& code) {
  auto* things = f.Add<TMemDataSet>("Things", f.Form);
  things->AddField("pic", ftBlob);
  things->AddField("code", ftString);
  things->Open();
  things->AddRecord({pic, code});
  things->Refresh();
  auto* source = f.Add<TDataSource>("ThingsSource", f.Form);
  source->SetDataSet(things);
  return source;
}

TEST(DBImage, LoadsThePictureTheBlobHolds) {
  struct {
    const char* Name;
    TFieldValue Blob;
    const char* Field;
    int Width;  // 0: no picture
  } cases[] = {
      {"jpeg", PictureBytes<TJPEGImage>(), "pic", 30},
      {"png", PictureBytes<TPngImage>(), "pic", 30},
      {"bitmap", PictureBytes<TBitmap>(), "pic", 30},
      {"null blob", std::nullopt, "pic", 0},
      {"one byte", std::string("\xFF"), "pic", 0},
      {"a JPEG marker and nothing else", std::string("\xFF\xD8\xFF"), "pic", 0},
      {"text", std::string("not a picture"), "pic", 0},
      {"not a blob", PictureBytes<TPngImage>(), "code", 0},
  };
  for (const auto& c : cases) {
    TFormFixture f;
    TDataSource* source = Things(f, c.Blob, c.Field == std::string("code") ? c.Blob : TFieldValue("x"));
    auto* image = f.Add<TKXDBImage>("DBImage1", f.Form);
    image->SetDataSource(source);
    image->SetDataField(c.Field);
    EXPECT_NO_THROW(image->CheckData()) << c.Name;
    EXPECT_EQ(image->HasPicture() ? image->Picture().Width() : 0, c.Width) << c.Name;
    EXPECT_EQ(image->IsEmpty(), c.Width == 0) << c.Name;
  }
}

TKXDBRadioGroup* Group(TFormFixture& f, const std::string& code, const char* values) {
  auto* group = f.Add<TKXDBRadioGroup>("Radio1", f.Form);
  group->SetDataSource(Things(f, std::nullopt, code));
  group->SetDataField("code");
  group->Items().SetText("Alpha\nBeta\nGamma\n");
  group->Values().SetText(values);
  return group;
}

// Values are looked up ignoring case; a text among none of them is looked up among the captions.
TEST(DBRadioGroup, ReadsTheFieldThroughValuesOrCaptions) {
  struct {
    const char* Name;
    const char* Field;
    const char* Values;
    bool Trim;
    int Index;
  } cases[] = {
      {"value", "c", "A\nB\nC\n", true, 2},
      {"trimmed", " A ", "A\nB\nC\n", true, 0},
      {"not trimmed", " A ", "A\nB\nC\n", false, -1},
      {"captions without values", "Beta", "", true, 1},
      {"nothing", "Z", "A\nB\nC\n", true, -1},
  };
  for (const auto& c : cases) {
    TFormFixture f;
    TKXDBRadioGroup* group = Group(f, c.Field, c.Values);
    group->SetTrimValues(c.Trim);
    group->CheckData();
    EXPECT_EQ(group->ItemIndex(), c.Index) << c.Name;
  }
}

TEST(DBRadioGroup, WritesTheChosenValue) {
  struct {
    const char* Name;
    const char* Values;
    const char* Posted;
    const char* Stored;
  } cases[] = {
      {"value", "A\nB\nC\n", "2", "C"},
      {"caption without values", "", "1", "Beta"},
      {"caption past the values", "A\n", "2", "Gamma"},
      {"nothing chosen", "A\nB\nC\n", "-1", ""},
      {"an index past the items", "A\nB\nC\n", "7", "A"},
  };
  for (const auto& c : cases) {
    TFormFixture f;
    TKXDBRadioGroup* group = Group(f, "A", c.Values);
    group->CheckData();
    int clicks = 0;
    group->OnClick = [&](TObject*) { ++clicks; };
    bool changed = false;
    group->SetValue(c.Posted, changed);
    if (changed) group->ValueChanged();
    TDataSet& data = *group->DataSource()->DataSet();
    if (InEditMode(data)) data.Post();
    EXPECT_EQ(data.FieldByName("code").Text(), c.Stored) << c.Name;
    EXPECT_EQ(clicks, changed ? 1 : 0) << c.Name;
  }
}

TEST(DBRadioGroup, RaisesWhenTheDataSetDoesNotEdit) {
  TFormFixture f;
  TKXDBRadioGroup* group = Group(f, "A", "A\nB\n");
  group->DataSource()->SetAutoEdit(false);
  group->SetItemIndex(1);
  EXPECT_THROW(group->ValueChanged(), EKXDataSetNotEditingError);
}

}  // namespace
}  // namespace kx
