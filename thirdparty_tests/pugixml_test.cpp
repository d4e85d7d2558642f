#include <gtest/gtest.h>
#include <pugixml.hpp>

TEST(Pugixml, ParsesADocumentAndAnswersXPath)
{
    const char xml[] = "<release><version major=\"3\" minor=\"2\"/><name>Quillory</name></release>";
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_buffer(xml, sizeof(xml) - 1));
    EXPECT_STREQ(doc.child("release").child_value("name"), "Quillory");
    EXPECT_EQ(doc.select_node("/release/version/@minor").attribute().as_int(), 2);
    pugi::xml_document bad;
    EXPECT_FALSE(bad.load_string("<open><unclosed></open>"));
}
