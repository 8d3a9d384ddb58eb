// Display texts and language lookups.
#include <cmath>
#include <map>

#include <QLocale>
#include <gtest/gtest.h>

#include "probe/HumanValues.h"
#include "probe/IsoLocales.h"

using namespace velmora;

TEST(HumanValues, DisplayTextsAndLanguages)
{
    const std::pair<double, std::string> durations[] = {{3725.5, "01:02:05.500"}, {215.433, "00:03:35.432"},
                                                        {59.9996, "00:00:59.999"}, {360000, "100:00:00.000"},
                                                        {std::nan(""), "00:00:00.000"}};
    for (const auto& [seconds, text] : durations)
        EXPECT_EQ(durationText(seconds), text) << seconds;
    EXPECT_FALSE(durationText(1e300).empty());  // out of range: some text, no undefined behaviour
    EXPECT_EQ(bitrateText(1411200) + bitrateText(96000) + bitrateText(1) + bitrateText(0), "1411.2kbps96.0kbps0.001kbps0.0kbps");
    EXPECT_EQ(*frameRateText("30000/1001") + " " + *frameRateText("24000/1001") + " " + *frameRateText("25/1"),
              "29.97 23.976 25");
    for (const char* text : {"", "unknown", "25", "2.5/1", "/", "1/", "a/b", "1/2/3", "1 /2"})
        EXPECT_FALSE(frameRateText(text).has_value()) << text;
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(byteCountText(999) + ", " + byteCountText(1500) + ", " + byteCountText(4200000), "999 bytes, 1.5 kB, 4.2 MB");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(frameRateText("30000/1001"), "29,97");
    QLocale::setDefault(saved);
    // Languages by any code column, in any case; nothing for unknown codes.
    for (const auto& [code, name] : std::map<std::string, std::string>{
             {"EN", "English"}, {"FRE", "French"}, {"deu", "German"}, {"mao", "Māori"}, {"und", ""}, {" en", ""}})
        EXPECT_EQ(languageInfo(code).name, name) << code;
}
