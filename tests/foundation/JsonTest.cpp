// The lenient JSON value type.
#include <gtest/gtest.h>

#include "foundation/Json.h"

using namespace velmora;

TEST(JsonValue, ErrorsPropagateAlongAPathAndParsingIsBounded)
{
    const JSON report = JSON::parse(R"({"streams": [{"codec_name": "aac"}], "name": "x"})").value();
    const std::pair<JSON, JSONError> failures[] = {
        {report.at({"format", "tags", "title"}), JSONError::notExist}, {report["Streams"], JSONError::notExist},
        {report.at({"streams", 3, "codec_name"}), JSONError::indexOutOfBounds},
        {report["streams"][-1], JSONError::indexOutOfBounds}, {report["streams"]["codec_name"], JSONError::wrongType},
        {report["name"]["x"], JSONError::wrongType}};
    for (const auto& [value, error] : failures)
        EXPECT_TRUE(value.error() == error && value.stringValue().empty() && value.intValue() + value.count() == 0);
    EXPECT_EQ(report.at({"streams", 0, "codec_name"}).stringValue(), "aac");
    // A value handed out outlives the parsed document it came from.
    const JSON child = JSON::parse(R"({"format": {"tags": {"title": "kept"}}})").value().at({"format", "tags"});
    EXPECT_EQ(child["title"].stringValue(), "kept");
    // Only objects and arrays parse; nesting too deep to write back without exhausting the stack is refused.
    for (const std::string& text : {std::string("42"), std::string("{\"a\": 1} trailing"),
                                    std::string(100000, '[') + std::string(100000, ']')})
        EXPECT_FALSE(JSON::parse(text).has_value()) << text.substr(0, 20);
    EXPECT_TRUE(JSON::parse("[\"" + std::string(1000, '[') + "\"]").has_value());
}

TEST(JsonValue, KindsLenientNumbersAndEquality)
{
    const JSON v = JSON::parse(R"({"i": 2, "f": 2.5, "t": true, "big": 18446744073709551615,
                                   "s": "12.960000", "na": "N/A", "neg": "-3", "exp": "1e3", "z": null})").value();
    EXPECT_EQ(v["i"].stringValue() + " " + v["f"].stringValue() + " " + v["t"].stringValue() + " " + v["z"].stringValue() +
                  " " + v["big"].stringValue(),
              "2 2.5 true  18446744073709551615");
    EXPECT_TRUE(v["t"].type() == JSONType::boolean && v["i"].numberValue().isInteger && !v["f"].numberValue().isInteger);
    EXPECT_EQ(v["t"].intValue() + v["f"].intValue(), 3);
    EXPECT_EQ(v["big"].intValue(), INT64_MAX);  // saturates instead of wrapping
    EXPECT_EQ(v["s"].intValue() + v["neg"].intValue() + v["exp"].intValue() + v["na"].intValue(), 1009);
    for (const char* text : {"12,5", "", ".", " 1"})
        EXPECT_FALSE(parseDecimalNumber(text).has_value()) << text;
    EXPECT_DOUBLE_EQ(parseDecimalNumber("-.5")->toDouble(), -0.5);
    EXPECT_EQ(parseDecimalNumber("-9223372036854775808")->toInt64(), INT64_MIN);

    const JSON e = JSON::parse(R"([1, true, 1.0, "1", null, [1, 2], [1, 2], {"a": 1}, {"a": true}])").value();
    // 1 is not true, nor "1", also inside containers; a missing member never equals a string.
    EXPECT_TRUE(e[0] != e[1] && e[0] != e[3] && e[7] != e[8] && e[9] != JSON::fromString(""));
    EXPECT_TRUE(e[0] == e[2] && e[5] == e[6] && e[4] == e["missing"] && e[3] == JSON::fromString("1"));
}
