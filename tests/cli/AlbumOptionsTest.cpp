// The join command's chapter, tag and cover options: what is refused before
// anything runs, and the notes for what an output cannot hold.
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "support/JoinTestSupport.h"

using namespace jointest;

TEST(AlbumOptions, RefusalsAndNotes)
{
    const std::string dir = freshDir("cli-album"), wav = sineWav(1.0);
    const std::string png = makeMedia("cover-red.png", {"-f", "lavfi", "-i", "color=c=red:s=32x32", "-frames:v", "1"});
    writeFile(dir + "/cover.gif", "GIF89a not a JPEG or PNG");
    writeFile(dir + "/cover.jpg", readFile(png));  // a PNG by its bytes, whatever its name
    ASSERT_EQ(::mkfifo((dir + "/fifo.jpg").c_str(), 0600), 0);
    const std::string noChapters = "velmora-cli: note: .wav output holds no chapters; --cue writes them to a cue "
                                   "sheet beside it\n";
    const std::string clip = h264Clip(320, 240, 15, 1.0);
    // Arguments after "join --dry-run", exit status, standard error (all of
    // it, or the first line of a usage error).
    const std::vector<std::tuple<std::vector<std::string>, int, std::string>> cases{
        {{"--chapters", "--no-chapters", wav}, 2, "velmora-cli: --chapters and --no-chapters exclude each other"},
        {{"--sort", "size", wav}, 2, "velmora-cli: --sort takes name or track, not 'size'"},
        {{"--cover", "gone.png", wav}, 2, "velmora-cli: --cover cannot read gone.png: No such file or directory"},
        {{"--cover", "cover.gif", wav}, 2, "velmora-cli: --cover cover.gif is not a JPEG or PNG picture"},
        {{"--cover", ".", wav}, 2, "velmora-cli: --cover . is a folder, not a picture"},
        {{"--cover", "fifo.jpg", wav}, 2, "velmora-cli: --cover fifo.jpg is not a regular file"},
        // Accepted; an empty text removes the tag.
        {{"--title", "", "--artist=", "--album", "Book", "--cover", "cover.jpg", "-o", "a.m4b", wav}, 0, ""},
        {{"--no-chapters", "--sort", "track", "-o", "a.mp3", wav}, 0, ""},
        // What the output cannot hold is a note, and the join goes on.
        {{"--chapters", "-o", "a.wav", wav}, 0, noChapters},
        {{"--chapters", "--cue", "-o", "a.wav", wav}, 0, ""},
        {{"--cover", png, "-o", "a.wav", wav}, 0,
         "velmora-cli: note: .wav output holds no cover picture; --cover is left out\n"},
        {{"--cover", png, "-o", "a.mp4", clip}, 0,
         "velmora-cli: note: a video join takes no cover picture; --cover is left out\n"},
    };
    for (const auto& [options, code, err] : cases) {
        std::vector<std::string> arguments{"join", "--dry-run"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const auto result = cliIn(dir, arguments);
        EXPECT_EQ(result.exitCode, code) << options.front() << ": " << result.err;
        EXPECT_EQ(code == 2 ? result.err.substr(0, result.err.find('\n')) : result.err, err) << options.front();
        if (code == 0) {
            EXPECT_NO_THROW(nlohmann::json::parse(result.out)) << options.front();
        }
    }
}
