// Display texts, language lookups and the JSON value type.
#include <cmath>

#include <QLocale>
#include <gtest/gtest.h>

#include "foundation/Json.h"
#include "probe/HumanValues.h"
#include "probe/IsoLocales.h"

using namespace velmora;

TEST(HumanValues, DurationsBitratesAndByteCounts)
{
    const std::pair<double, std::string> durations[] = {{3725.5, "01:02:05.500"}, {215.433, "00:03:35.432"},
                                                        {59.9996, "00:00:59.999"}, {360000, "100:00:00.000"},
                                                        {std::nan(""), "00:00:00.000"}};
    for (const auto& [seconds, text] : durations)
        EXPECT_EQ(durationText(seconds), text) << seconds;
    EXPECT_FALSE(durationText(1e300).empty());  // out of range: some text, no undefined behaviour
    EXPECT_EQ(bitrateText(1411200) + bitrateText(96000) + bitrateText(1) + bitrateText(0),
              "1411.2kbps96.0kbps0.001kbps0.0kbps");
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(byteCountText(999) + ", " + byteCountText(1500) + ", " + byteCountText(4200000), "999 bytes, 1.5 kB, 4.2 MB");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(frameRateText("30000/1001"), "29,97");
    QLocale::setDefault(saved);
}

TEST(HumanValues, FrameRatesOfIntegerRatiosAndLanguages)
{
    EXPECT_EQ(*frameRateText("30000/1001") + " " + *frameRateText("24000/1001") + " " + *frameRateText("25/1"),
              "29.97 23.976 25");
    EXPECT_TRUE(std::isnan(frameRateValue("0/0").value()));
    for (const char* text : {"", "unknown", "25", "2.5/1", "/", "1/", "a/b", "1/2/3", "1 /2"})
        EXPECT_FALSE(frameRateText(text).has_value()) << text;
    // Any code column, in any case; nothing for unknown codes.
    for (const auto& [code, name] : {std::pair<std::string, std::string>{"EN", "English"}, {"fra", "French"},
                                     {"FRE", "French"}, {"deu", "German"}, {"MRI", "Māori"}, {"mao", "Māori"},
                                     {"und", ""}, {" en", ""}, {"engl", ""}})
        EXPECT_EQ(languageInfo(code).name, name) << code;
    EXPECT_EQ(languageInfo("de").local, "Deutsch");
}

TEST(JsonValue, FailedStepHandsItsErrorDownThePath)
{
    const JSON report = JSON::parse(R"({"streams": [{"codec_name": "aac"}], "name": "x"})").value();
    const JSON missing = report.at({"format", "tags", "title"});
    EXPECT_EQ(missing.error(), JSONError::notExist);
    EXPECT_EQ(missing.stringValue() + std::to_string(missing.intValue() + missing.count()), "0");
    EXPECT_EQ(report.at({"streams", 3, "codec_name"}).error(), JSONError::indexOutOfBounds);
    EXPECT_EQ(report["streams"][-1].error(), JSONError::indexOutOfBounds);
    EXPECT_EQ(report["streams"]["codec_name"].error(), JSONError::wrongType);
    EXPECT_EQ(report["name"]["x"].error(), JSONError::wrongType);
    EXPECT_EQ(report["Streams"].error(), JSONError::notExist);
    EXPECT_EQ(report.at({"streams", 0, "codec_name"}).stringValue(), "aac");
    // A value handed out outlives the parsed document it came from.
    const JSON child = JSON::parse(R"({"format": {"tags": {"title": "kept"}}})").value().at({"format", "tags"});
    EXPECT_EQ(child["title"].stringValue(), "kept");
}

TEST(JsonValue, KindsAndLenientNumberReading)
{
    const JSON v = JSON::parse(R"({"i": 2, "f": 2.5, "t": true, "big": 18446744073709551615,
                                   "s": "12.960000", "na": "N/A", "neg": "-3", "exp": "1e3", "z": null})").value();
    EXPECT_EQ(v["t"].type(), JSONType::boolean);
    EXPECT_EQ(v["i"].stringValue() + " " + v["f"].stringValue() + " " + v["t"].stringValue() + " " + v["z"].stringValue() +
                  " " + v["big"].stringValue(),
              "2 2.5 true  18446744073709551615");
    EXPECT_TRUE(v["i"].numberValue().isInteger && !v["f"].numberValue().isInteger);
    EXPECT_EQ(v["t"].intValue() + v["f"].intValue(), 3);
    EXPECT_EQ(v["big"].intValue(), INT64_MAX);  // saturates instead of wrapping
    EXPECT_DOUBLE_EQ(v["s"].doubleValue(), 12.96);
    EXPECT_EQ(v["s"].intValue() + v["neg"].intValue() + v["exp"].intValue() + v["na"].intValue(), 1009);
    for (const char* text : {"12,5", "", ".", " 1"})
        EXPECT_FALSE(parseDecimalNumber(text).has_value()) << text;
    EXPECT_DOUBLE_EQ(parseDecimalNumber("-.5")->toDouble(), -0.5);
    EXPECT_EQ(parseDecimalNumber("-9223372036854775808")->toInt64(), INT64_MIN);
}

TEST(JsonValue, EqualityKeepsKindsApartAndParsingIsBounded)
{
    const JSON v = JSON::parse(R"([1, true, 1.0, "1", null, [1, 2], [1, 2], {"a": 1}, {"a": true}])").value();
    EXPECT_NE(v[0], v[1]);  // 1 is not true
    EXPECT_NE(v[0], v[3]);
    EXPECT_NE(v[7], v[8]);  // also inside containers
    EXPECT_TRUE(v[0] == v[2] && v[5] == v[6] && v[4] == v["missing"] && v[3] == JSON::fromString("1"));
    EXPECT_NE(v[9], JSON::fromString(""));  // a missing member never equals a string
    // Only objects and arrays are reports; nesting too deep to write back is refused.
    for (const std::string& text : {std::string("42"), std::string("{\"a\": 1} trailing"),
                                    std::string(100000, '[') + std::string(100000, ']')})
        EXPECT_FALSE(JSON::parse(text).has_value()) << text.substr(0, 20);
    EXPECT_TRUE(JSON::parse("[\"" + std::string(1000, '[') + "\"]").has_value());
}
