#include <gtest/gtest.h>

#include "foundation/Json.h"
#include "probe/ProbeTestUtil.h"

using velmora::JSON;
using velmora::JSONError;
using velmora::JSONType;

namespace {

JSON parsed(const std::string& text)
{
    auto value = JSON::parse(text);
    EXPECT_TRUE(value.has_value()) << text;
    return value.value_or(JSON());
}

}  // namespace

TEST(JsonValue, FailedStepHandsItsErrorDownThePath)
{
    const JSON report = parsed(R"({"streams": [{"codec_name": "aac"}], "name": "x"})");
    const JSON missing = report.at({"format", "tags", "title"});
    EXPECT_EQ(missing.error(), JSONError::notExist);
    EXPECT_EQ(missing.stringValue(), "");
    EXPECT_EQ(missing.intValue(), 0);
    EXPECT_EQ(missing.count(), 0);
    EXPECT_TRUE(missing.entries().empty());

    EXPECT_EQ(report.at({"streams", 3, "codec_name"}).error(), JSONError::indexOutOfBounds);
    EXPECT_EQ(report.at({"streams", 0, "codec_name"}).stringValue(), "aac");
    EXPECT_EQ(report["streams"][-1].error(), JSONError::indexOutOfBounds);
    EXPECT_EQ(report["streams"][1].error(), JSONError::indexOutOfBounds);
    // Wrong kind of step.
    EXPECT_EQ(report["streams"]["codec_name"].error(), JSONError::wrongType);
    EXPECT_EQ(report["name"]["x"].error(), JSONError::wrongType);
    EXPECT_EQ(report[0].error(), JSONError::wrongType);
    EXPECT_FALSE(report["streams"].error().has_value());
    // Keys match exactly.
    EXPECT_EQ(report["Streams"].error(), JSONError::notExist);
}

TEST(JsonValue, KeepsIntegersFloatsAndBooleansApart)
{
    const JSON v = parsed(R"({"i": 2, "f": 2.5, "t": true, "one": 1, "big": 18446744073709551615,
                              "s": "12.960000", "na": "N/A", "neg": "-3", "exp": "1e3", "z": null})");
    EXPECT_EQ(v["i"].type(), JSONType::number);
    EXPECT_EQ(v["t"].type(), JSONType::boolean);
    EXPECT_EQ(v["one"].type(), JSONType::number);
    EXPECT_EQ(v["i"].stringValue(), "2");
    EXPECT_EQ(v["f"].stringValue(), "2.5");
    EXPECT_EQ(v["t"].stringValue(), "true");
    EXPECT_EQ(v["t"].intValue(), 1);
    EXPECT_EQ(v["f"].intValue(), 2);
    EXPECT_TRUE(v["i"].numberValue().isInteger);
    EXPECT_FALSE(v["f"].numberValue().isInteger);
    EXPECT_EQ(v["big"].stringValue(), "18446744073709551615");
    EXPECT_EQ(v["big"].intValue(), INT64_MAX);  // saturates instead of wrapping

    EXPECT_DOUBLE_EQ(v["s"].doubleValue(), 12.96);
    EXPECT_EQ(v["s"].intValue(), 12);
    EXPECT_EQ(v["na"].doubleValue(), 0.0);
    EXPECT_EQ(v["neg"].intValue(), -3);
    EXPECT_EQ(v["exp"].intValue(), 1000);
    EXPECT_EQ(v["z"].stringValue(), "");
    EXPECT_EQ(v.stringValue(), "");
}

TEST(JsonValue, ReadsDecimalStringsWhateverTheLocale)
{
    EXPECT_FALSE(velmora::parseDecimalNumber("12,5").has_value());
    EXPECT_FALSE(velmora::parseDecimalNumber("").has_value());
    EXPECT_FALSE(velmora::parseDecimalNumber(".").has_value());
    EXPECT_FALSE(velmora::parseDecimalNumber(" 1").has_value());
    EXPECT_DOUBLE_EQ(velmora::parseDecimalNumber("-.5")->toDouble(), -0.5);
    EXPECT_EQ(velmora::parseDecimalNumber("99999999999999999999")->toInt64(), INT64_MAX);
    EXPECT_EQ(velmora::parseDecimalNumber("-9223372036854775808")->toInt64(), INT64_MIN);
}

TEST(JsonValue, RawTextRendersScalarsBareAndContainersAsJson)
{
    const JSON v = parsed(R"({"s": "abc", "n": null, "b": false, "a": [1, {"k": "v"}], "i": 7})");
    EXPECT_EQ(v["s"].rawText(), "abc");
    EXPECT_EQ(v["n"].rawText(), "null");
    EXPECT_EQ(v["b"].rawText(), "false");
    EXPECT_EQ(v["i"].rawText(), "7");
    const auto array = v["a"].rawText();
    ASSERT_TRUE(array.has_value());
    // Indented JSON that reads back as the same value.
    EXPECT_NE(array->find('\n'), std::string::npos);
    EXPECT_EQ(JSON::parse(*array).value() == v["a"], true);
    // A failed lookup is null and renders as such.
    EXPECT_EQ(v["missing"].rawText(), "null");
}

TEST(JsonValue, EqualityKeepsKindsApart)
{
    const JSON v = parsed(R"([1, true, 1.0, "1", null, [1, 2], [1, 2], {"a": 1}, {"a": true}])");
    EXPECT_NE(v[0], v[1]);        // 1 is not true
    EXPECT_EQ(v[0], v[2]);        // 1 equals 1.0
    EXPECT_NE(v[0], v[3]);        // nor "1"
    EXPECT_EQ(v[5], v[6]);
    EXPECT_NE(v[7], v[8]);        // also inside containers
    EXPECT_EQ(v[4], v["missing"]);  // two nulls
    EXPECT_NE(v[9], JSON::fromString(""));  // a missing member never equals a string
    EXPECT_EQ(v[3], JSON::fromString("1"));
}

TEST(JsonValue, ParseIsStrictAndBounded)
{
    EXPECT_FALSE(JSON::parse("42").has_value());
    EXPECT_FALSE(JSON::parse("\"text\"").has_value());
    EXPECT_FALSE(JSON::parse("").has_value());
    EXPECT_FALSE(JSON::parse("{\"a\": 1} trailing").has_value());
    EXPECT_FALSE(JSON::parse("{\"a\": 1,}").has_value());
    EXPECT_TRUE(JSON::parse("[]").has_value());
    // Nesting deep enough to exhaust the stack when written is refused.
    EXPECT_FALSE(JSON::parse(std::string(100000, '[') + std::string(100000, ']')).has_value());
    EXPECT_TRUE(JSON::parse(std::string(100, '[') + std::string(100, ']')).has_value());
    // Brackets inside strings do not count.
    EXPECT_TRUE(JSON::parse("[\"" + std::string(1000, '[') + "\\\"\"]").has_value());
}

TEST(JsonValue, EntriesOfArraysAreKeyedByPosition)
{
    const JSON v = parsed(R"({"a": ["x", "y"], "n": 5})");
    const auto entries = v["a"].entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].first, "0");
    EXPECT_EQ(entries[1].first, "1");
    EXPECT_EQ(entries[1].second.stringValue(), "y");
    EXPECT_TRUE(v["n"].entries().empty());
    EXPECT_EQ(v.count(), 2);
}

TEST(JsonValue, HandedOutValuesOutliveTheirParent)
{
    JSON child;
    {
        const JSON report = parsed(R"({"format": {"tags": {"title": "kept"}}})");
        child = report.at({"format", "tags"});
    }
    EXPECT_EQ(child["title"].stringValue(), "kept");
}
