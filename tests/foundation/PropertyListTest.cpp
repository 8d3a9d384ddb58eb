// Property lists: values as text, and lists that would make libplist build
// too deep or too large a tree are refused before it builds them.
#include <gtest/gtest.h>

#include "foundation/PropertyList.h"
#include "support/PropertyListSamples.h"

using namespace velmora;
using testsupport::nestedBinaryList;
using testsupport::xmlPlist;

TEST(PropertyList, ValuesAsText)
{
    const PropertyList list = parsePropertyList(xmlPlist(
        "<key>s</key><string>text</string><key>i</key><integer>-3</integer><key>r</key><real>2.5</real>"
        "<key>t</key><true/><key>d</key><date>2001-01-01T00:00:00Z</date>"
        "<key>old</key><date>2000-12-31T23:59:59Z</date><key>data</key><data>AAECAwQ=</data>"
        "<key>a</key><array><string>x</string><integer>1</integer></array><key>m</key><dict><key>k</key><false/></dict>"));
    ASSERT_TRUE(list);
    std::map<std::string, std::string> texts;
    forEachPropertyListMember(list.get(), [&](const std::string& key, plist_t value) {
        texts[key] = describePropertyListValue(value);
    });
    EXPECT_EQ(texts, (std::map<std::string, std::string>{{"s", "text"}, {"i", "-3"}, {"r", "2.5"}, {"t", "1"},
                                                         {"d", "2001-01-01 00:00:00 +0000"},
                                                         {"old", "2000-12-31 23:59:59 +0000"},
                                                         {"data", "<00010203 04>"}, {"a", "(x, 1)"}, {"m", "{k = 0; }"}}));
}

TEST(PropertyList, HostileListsAreRefused)
{
    // Shallow nesting reads, in both forms.
    EXPECT_TRUE(parsePropertyList(nestedBinaryList(10, 1)));
    EXPECT_TRUE(parsePropertyList(xmlPlist("<key>b</key><array><array/></array>")));
    // Too deep to free without exhausting the stack, exponentially large once
    // shared objects expand, cut short, or not a list at all.
    std::string open, close;
    for (int i = 0; i < 200000; ++i)
        open += "<array>", close += "</array>";
    const std::string refused[] = {xmlPlist("<key>a</key>" + open + close), nestedBinaryList(20000, 1),
                                   nestedBinaryList(60, 2), nestedBinaryList(10, 1).substr(0, 30), "",
                                   "<plist><dict><key>a"};
    for (const std::string& bytes : refused)
        EXPECT_FALSE(parsePropertyList(bytes)) << bytes.size();
}
