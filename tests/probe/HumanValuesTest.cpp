#include <clocale>
#include <cmath>
#include <set>

#include <QLocale>
#include <gtest/gtest.h>

#include "probe/HumanValues.h"
#include "probe/IsoLocales.h"
#include "probe/ProbeTestUtil.h"

using namespace velmora;

TEST(HumanValues, DurationTruncatesMilliseconds)
{
    EXPECT_EQ(durationText(0), "00:00:00.000");
    EXPECT_EQ(durationText(3725.5), "01:02:05.500");
    EXPECT_EQ(durationText(215.433), "00:03:35.432");
    EXPECT_EQ(durationText(59.9996), "00:00:59.999");
    EXPECT_EQ(durationText(1.9999), "00:00:01.999");
    EXPECT_EQ(durationText(86400), "24:00:00.000");
    EXPECT_EQ(durationText(360000), "100:00:00.000");
    // Out-of-range input gives some text rather than undefined behaviour.
    EXPECT_FALSE(durationText(1e300).empty());
    EXPECT_EQ(durationText(std::nan("")), "00:00:00.000");
}

TEST(HumanValues, BitrateIsShortestKilobits)
{
    EXPECT_EQ(bitrateText(128000), "128.0kbps");
    EXPECT_EQ(bitrateText(96000), "96.0kbps");
    EXPECT_EQ(bitrateText(1411200), "1411.2kbps");
    EXPECT_EQ(bitrateText(1), "0.001kbps");
    EXPECT_EQ(bitrateText(0), "0.0kbps");
}

TEST(HumanValues, FrameRateOfRatios)
{
    EXPECT_EQ(frameRateText("30000/1001"), "29.97");
    EXPECT_EQ(frameRateText("24000/1001"), "23.976");
    EXPECT_EQ(frameRateText("25/1"), "25");
    EXPECT_EQ(frameRateText("30/1"), "30");
    EXPECT_EQ(frameRateText("2997/100"), "29.97");
    const auto nan = frameRateValue("0/0");
    ASSERT_TRUE(nan.has_value());
    EXPECT_TRUE(std::isnan(*nan));
    EXPECT_TRUE(frameRateText("0/0").has_value());
    // Not ratios of integers: no text, and no stop.
    for (const char* text : {"", "unknown", "25", "2.5/1", "/", "1/", "a/b", "1/2/3", "1 /2"})
        EXPECT_FALSE(frameRateText(text).has_value()) << text;
}

TEST(HumanValues, FrameRateUsesTheCurrentLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(frameRateText("30000/1001"), "29,97");
    EXPECT_EQ(frameRateText("25/1"), "25");
    QLocale::setDefault(saved);
}

TEST(HumanValues, SizeReadsPrintOneLineEach)
{
    const std::string empty = testsupport::scratchDir() + "/empty.bin";
    testsupport::writeFile(empty, "");
    const std::string four = testsupport::scratchDir() + "/four.bin";
    testsupport::writeFile(four, std::string(1500, 'x'));
    probetest::DiagnosticRecorder recorder;
    EXPECT_EQ(fileSizeBytes(four), 1500u);
    EXPECT_EQ(fileSizeText(four), byteCountText(1500));
    EXPECT_EQ(fileSizeBytes(empty), 0u);
    EXPECT_TRUE(recorder.lines.empty());

    const std::string missing = testsupport::scratchDir() + "/no-such-file";
    EXPECT_EQ(fileSizeBytes(missing), 0u);
    EXPECT_EQ(fileSizeText(missing), "Unknown File Size");
    ASSERT_EQ(recorder.lines.size(), 2u);
    for (const auto& line : recorder.lines)
        EXPECT_EQ(line.rfind("Failed to get file attributes for local path: " + missing + " with error: ", 0), 0u)
            << line;
}

TEST(HumanValues, ByteCountsInDecimalUnits)
{
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(byteCountText(999), "999 bytes");
    EXPECT_EQ(byteCountText(1500), "1.5 kB");
    EXPECT_EQ(byteCountText(4200000), "4.2 MB");
    QLocale::setDefault(saved);
}

TEST(LanguageTable, LooksUpEveryCodeColumn)
{
    EXPECT_EQ(languageTable().size(), 184u);
    for (const char* code : {"eng", "EN", "En"})
        EXPECT_EQ(languageInfo(code).name, "English") << code;
    for (const char* code : {"FRE", "fre", "fra", "fr"})
        EXPECT_EQ(languageInfo(code).name, "French") << code;
    for (const char* code : {"ger", "deu", "de"})
        EXPECT_EQ(languageInfo(code).name, "German") << code;
    EXPECT_EQ(languageInfo("dv").name, "Divehi");
    EXPECT_EQ(languageInfo("div").name, "Divehi");
    EXPECT_EQ(languageInfo("MRI").name, "Māori");
    EXPECT_EQ(languageInfo("mao").name, "Māori");
    EXPECT_EQ(languageInfo("de").local, "Deutsch");
    for (const char* code : {"", "und", " en", "en ", "  ", "engl", "english"}) {
        const IsoLocaleInfo none = languageInfo(code);
        EXPECT_TRUE(none.name.empty() && none.local.empty() && none.alpha1.empty() && none.alpha2B.empty()) << code;
    }
}

TEST(LanguageTable, CodesAreUniqueAndBibliographicCodesDifferInTwentyRows)
{
    std::set<std::string_view> codes;
    int differing = 0;
    int sameLocal = 0;
    for (const IsoLocaleInfo& row : languageTable()) {
        EXPECT_EQ(row.alpha2, row.alpha2T);
        EXPECT_EQ(row.alpha2, row.alpha3);
        EXPECT_TRUE(codes.insert(row.alpha1).second) << row.alpha1;
        EXPECT_TRUE(codes.insert(row.alpha2).second) << row.alpha2;
        if (row.alpha2B != row.alpha2) {
            ++differing;
            EXPECT_TRUE(codes.insert(row.alpha2B).second) << row.alpha2B;
        }
        EXPECT_FALSE(row.local.empty());
        sameLocal += row.local == row.name;
    }
    EXPECT_EQ(differing, 20);
    EXPECT_EQ(sameLocal, 13);
}
