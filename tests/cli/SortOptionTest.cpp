// Folders as inputs and --sort, seen through list and join --dry-run.
#include <nlohmann/json.hpp>

#include "support/JoinTestSupport.h"

using namespace jointest;

namespace {

// A tone with track and disc tags ("" leaves one out), FLAC so that it holds both.
std::string taggedFlac(const std::string& track, const std::string& disc)
{
    std::vector<std::string> args{"-f", "lavfi", "-i", "sine=frequency=550:sample_rate=48000:duration=1"};
    for (const auto& [key, value] : {std::pair{"track", track}, std::pair{"disc", disc}}) {
        if (!value.empty())
            args.insert(args.end(), {"-metadata", std::string(key) + "=" + value});
    }
    return makeMedia("tagged-" + track + "-" + disc + ".flac", args);
}

void place(const std::string& path, const std::string& media)
{
    QDir().mkpath(QString::fromStdString(parentDirectory(path)));
    writeFile(path, readFile(media));
}

// The rows' paths below `dir`, with their start times and titles.
std::vector<std::string> listed(const CommandResult& result, const std::string& dir)
{
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::vector<std::string> rows;
    for (const auto& row : nlohmann::json::parse(result.out)) {
        std::ostringstream text;
        text << row.at("filePath").get<std::string>().substr(dir.size() + 1) << " @" << row.at("start").get<double>()
             << " " << row.at("title").get<std::string>();
        rows.push_back(text.str());
    }
    return rows;
}

}  // namespace

TEST(SortOption, FoldersExpandInNaturalOrderAndSortOrdersTheRows)
{
    const std::string dir = freshDir("cli-sort");
    place(dir + "/book/part2.wav", sineWav(1.0));
    place(dir + "/book/part10.flac", sineFlac(1.0));
    place(dir + "/book/part1.wav", sineWav(2.0));
    place(dir + "/book/.hidden.wav", sineWav(1.0));
    writeFile(dir + "/book/notes.txt", "not media");
    place(dir + "/album/Disc 1/Track 2.flac", taggedFlac("2", "1"));
    place(dir + "/album/Disc 1/Track 10.flac", taggedFlac("1", "1"));
    place(dir + "/album/Disc 2/Track 1.flac", taggedFlac("1", "2"));
    place(dir + "/album/bonus.flac", taggedFlac("", ""));
    QDir().mkpath(QString::fromStdString(dir + "/empty"));
    writeFile(dir + "/empty/cover.txt", "x");
    using Rows = std::vector<std::string>;

    // A folder's media files in natural order (hidden ones and others left
    // out), each with where it starts in the joined file.
    EXPECT_EQ(listed(cliIn(dir, {"list", "book/"}), dir),
              (Rows{"book/part1.wav @0 part1", "book/part2.wav @2 part2", "book/part10.flac @3 part10"}));
    EXPECT_EQ(listed(cliIn(dir, {"list", "album"}), dir),
              (Rows{"album/bonus.flac @0 bonus", "album/Disc 1/Track 2.flac @1 Track 2",
                    "album/Disc 1/Track 10.flac @2 Track 10", "album/Disc 2/Track 1.flac @3 Track 1"}));
    // Files given one by one keep their order; --sort name puts them in natural order.
    EXPECT_EQ(listed(cliIn(dir, {"list", "book/part10.flac", "book/part2.wav"}), dir),
              (Rows{"book/part10.flac @0 part10", "book/part2.wav @1 part2"}));
    EXPECT_EQ(listed(cliIn(dir, {"list", "--sort", "name", "book/part10.flac", "album/Disc 2", "book/part2.wav"}), dir),
              (Rows{"album/Disc 2/Track 1.flac @0 Track 1", "book/part2.wav @1 part2", "book/part10.flac @2 part10"}));
    // By disc and track; a file without a track number last.
    EXPECT_EQ(listed(cliIn(dir, {"list", "--sort=track", "album"}), dir),
              (Rows{"album/Disc 1/Track 10.flac @0 Track 10", "album/Disc 1/Track 2.flac @1 Track 2",
                    "album/Disc 2/Track 1.flac @2 Track 1", "album/bonus.flac @3 bonus"}));
    EXPECT_EQ(nlohmann::json::parse(cliIn(dir, {"list", mp3WithCover(1.0)}).out).at(0).at("title"), "Sine");
    const auto empty = cliIn(dir, {"list", "empty"});
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_EQ(empty.err, "velmora-cli: skipped empty: a folder without media files\n");
    EXPECT_EQ(nlohmann::json::parse(empty.out).size(), 0u);

    // join takes the same order, from a folder named in a playlist too.
    writeFile(dir + "/list.m3u", "book\n");
    const std::vector<std::string> bookOrder{"part1.wav", "part2.wav", "part10.flac"};
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--sort", "name", "book/part10.flac", "book/part1.wav", "book/part2.wav"},
          std::vector<std::string>{"--from-list", "list.m3u"}}) {
        std::vector<std::string> arguments{"join", "--dry-run"};
        arguments.insert(arguments.end(), args.begin(), args.end());
        const auto dry = cliIn(dir, arguments);
        ASSERT_EQ(dry.exitCode, 0) << dry.err;
        const auto commands = nlohmann::json::parse(dry.out).at("commands");
        ASSERT_EQ(commands.size(), 4u);
        for (size_t i = 0; i < 3; ++i)
            EXPECT_EQ(commands[i][2], dir + "/book/" + bookOrder[i]) << args[0];
    }
    // An output inside a folder being joined is one of the inputs.
    const auto into = cliIn(dir, {"join", "-f", "-o", "book/part2.wav", "book"});
    EXPECT_EQ(into.exitCode, 2);
    EXPECT_TRUE(contains(into.err, "book/part2.wav is the same file as the input")) << into.err;
    EXPECT_EQ(readFile(dir + "/book/part2.wav"), readFile(sineWav(1.0)));
    const auto probed = nlohmann::json::parse(cliIn(dir, {"probe", "book"}).out);
    EXPECT_EQ(probed.size(), 3u);
}
