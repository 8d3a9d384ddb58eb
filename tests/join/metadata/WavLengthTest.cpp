// A WAV file's length from its header, against what ffprobe counts.
#include <gtest/gtest.h>

#include "join/metadata/WavLength.h"
#include "support/JoinTestSupport.h"

using namespace jointest;

TEST(WavLength, TheHeaderCountsTheSamples)
{
    // Odd sample counts, every frame size the intermediates use, RF64, and a
    // tag chunk before the sound.
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases{
        {"wl-s16-mono.wav", {"-ac", "1", "-c:a", "pcm_s16le"}},
        {"wl-s24.wav", {"-ac", "2", "-c:a", "pcm_s24le", "-metadata", "title=Tagged"}},
        {"wl-f32-rf64.wav", {"-ac", "2", "-c:a", "pcm_f32le", "-rf64", "always"}},
    };
    for (const auto& [name, codec] : cases) {
        std::vector<std::string> arguments{"-f", "lavfi", "-i", "sine=sample_rate=44100:duration=1.23457"};
        arguments.insert(arguments.end(), codec.begin(), codec.end());
        const std::string path = makeMedia(name, arguments);
        const auto samples = runCommand("ffprobe", {"-v", "error", "-show_entries", "stream=duration_ts", "-of",
                                                    "default=nw=1:nk=1", path});
        const std::optional<double> length = velmora::wavLength(path);
        ASSERT_TRUE(length) << name;
        EXPECT_DOUBLE_EQ(*length, std::stod(samples.out) / 44100.0) << name;
    }

    // Cut short: only the frames that are there. Not WAV: nothing.
    const std::string mono = makeMedia("wl-s16-mono.wav", {});
    const std::string whole = readFile(mono), dir = freshDir("wav-length");
    writeFile(dir + "/cut.wav", whole.substr(0, whole.size() - 2 * 4410 - 1));  // 4410.5 frames fewer
    EXPECT_DOUBLE_EQ(velmora::wavLength(dir + "/cut.wav").value_or(0), *velmora::wavLength(mono) - 4411 / 44100.0);
    EXPECT_FALSE(velmora::wavLength(sineFlac(1.0)));
    EXPECT_FALSE(velmora::wavLength(dir + "/missing.wav"));
}
