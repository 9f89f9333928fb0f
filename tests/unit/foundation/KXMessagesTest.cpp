#include "kx/foundation/KXMessages.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "kx/platform/SysUtils.h"

namespace kx {

TEST(KXMessages, FormattedTexts) {
  EXPECT_EQ(Format(RSExceptionSessionExpired, 1, ""),
            "Your session has expired. You will have to restart the application. In order to keep sessions from "
            "expiring you may set the session timeout parameter to a higher value. The current session timeout value "
            "is 1 minute.");
  EXPECT_TRUE(EndsStr("is 20 minutes.", Format(RSExceptionSessionExpired, 20, "s")));
  EXPECT_EQ(Format(RSTrappedException, "s", "a\r\nb"), "The following exceptions occured\r\na\r\nb");
  EXPECT_EQ(Format(RSDataSetNotEditing, "DataSource1", "Table1"),
            " Set DataSource1.AutoEdit property to TRUE, or manually set Table1 to Edit or Insert mode before "
            "updating records.");
  EXPECT_EQ(Format(RSInvalidComponentName, "1abc"), "\"1abc\" is not a valid component name.");
  EXPECT_EQ(Format(RSMsgDeleteItem, "Node"), "Delete \"Node\"?");
  EXPECT_EQ(Format(RSInvalidBrowser, "IE", "MSIE 6.0"),
            "Your browser was detected as IE, identifying itself as MSIE 6.0.\r\nOne of the following browsers is "
            "required:\r\n");
}

TEST(KXMessages, LookUpByName) {
  EXPECT_STREQ(FindMessageText("RSNotFound"), "%s not found.");
  EXPECT_STREQ(FindMessageText("rsnotfound"), "%s not found.");
  EXPECT_STREQ(FindMessageText("RSEditHTML"), "Edit");
  EXPECT_EQ(FindMessageText("RSbtnNameRefresh"), RSbtnNameRefresh);
  EXPECT_EQ(FindMessageText(""), nullptr);
  EXPECT_EQ(FindMessageText("RSNotFoundX"), nullptr);
  EXPECT_EQ(FindMessageText("RSNotFoun"), nullptr);
  EXPECT_EQ(FindMessageText("RSAboutCaption"), nullptr);  // a window caption without a text
}

TEST(KXMessages, TableNamesAreUniqueAndInLoadOrder) {
  std::set<std::string> names;
  for (const TKXMessageText& entry : KXMessageTexts()) {
    SCOPED_TRACE(std::string(entry.Name));
    EXPECT_TRUE(names.insert(LowerCase(entry.Name)).second) << "name repeated";
    EXPECT_FALSE(entry.Text.empty());
    EXPECT_EQ(entry.Text.data()[entry.Text.size()], '\0');
    EXPECT_EQ(FindMessageText(entry.Name), entry.Text.data());
  }
  const auto texts = KXMessageTexts();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.front().Name, "RSOK");
  EXPECT_EQ(texts.back().Name, "RSBackButtonMessage");
}

}  // namespace kx
