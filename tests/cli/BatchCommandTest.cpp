// velmora-cli batch, run as a program: a book each folder, one failing book
// among good ones, and a second run over the same folders.
#include <filesystem>
#include <regex>
#include <sstream>

#include "support/JoinTestSupport.h"

using namespace jointest;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> filesIn(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The summary table's row of an output, its cells between " | ".
std::string tableRow(const std::string& table, const std::string& output)
{
    std::istringstream lines(table);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(output + "  ", 0) == 0)
            return std::regex_replace(line, std::regex("  +"), " | ");
    }
    return "no row for " + output;
}

}  // namespace

TEST(BatchCommand, FailedBookIsIsolatedAndRerunSkipsTheJoinedOnes)
{
    const std::string root = freshDir("batch"), out = root + "-out";
    const std::string tagged = makeMedia("batch-album.flac", {"-f", "lavfi", "-i", "sine=duration=1",
                                                               "-metadata", "album=Tales: Vol/1", "-metadata",
                                                               "title=One"});
    const auto put = [&](const std::string& file, const std::string& bytes) {
        fs::create_directories(fs::path(root + "/" + file).parent_path());
        writeFile(root + "/" + file, bytes);
    };
    put("Tagged/01.flac", readFile(tagged));
    put("Tagged/02.flac", readFile(tagged));
    put("Ünï Book/CD1/01.wav", readFile(sineWav(1.0)));
    put("Ünï Book/CD2/01.wav", readFile(sineWav(1.0)));
    put("Damaged/01.wav", readFile(sineWav(1.0)));
    put("Damaged/02.wav", "RIFF, but nothing after it");

    // The dry run names every book and part and makes nothing.
    const auto dry = cliIn(root, {"batch", "--dry-run", "-o", out, "--format", "m4b", "."});
    EXPECT_EQ(dry.exitCode, 0) << dry.err;
    EXPECT_TRUE(contains(dry.out, out + "/Tales_ Vol_1.m4b\n  " + root + "/./Tagged/01.flac\n")) << dry.out;
    EXPECT_TRUE(contains(dry.out, "/Ünï Book/CD2/01.wav")) << dry.out;
    EXPECT_TRUE(contains(dry.out, out + "/Damaged.m4b\n  cannot be joined: cannot use 02.wav")) << dry.out;
    EXPECT_FALSE(fs::exists(out));

    const std::vector<std::string> batch{"batch", "-o", out, "--format", ".m4b", "--jobs", "2", root};
    // Two at a time, each short book joins in one process of its own, and
    // nothing else: the parts' headers tell their lengths.
    const std::string log = freshDir("batch-tools") + "/log";
    std::vector<std::string> logged = batch;
    logged.insert(logged.end() - 1, {"--tools-dir", creatorTools("batch", "echo \"$*\" >> '" + log + "'\nexec '" +
                                                                             resourcesDir() + "/creator' \"$@\"")});
    const auto first = cliIn(root, logged);
    EXPECT_EQ(first.exitCode, 1) << first.err;
    const std::vector<std::string> started = logLines(log);
    EXPECT_EQ(std::ranges::count_if(started, [](const std::string& line) { return contains(line, "verbose"); }), 2)
        << readFile(log);
    EXPECT_EQ(started.size(), 2u) << readFile(log);
    EXPECT_EQ(filesIn(out), (std::vector<std::string>{"Tales_ Vol_1.m4b", "Ünï Book.m4b"}));
    EXPECT_EQ(filesIn(root + "/Damaged"), (std::vector<std::string>{"01.wav", "02.wav"}));
    EXPECT_EQ(readFile(root + "/Damaged/02.wav"), "RIFF, but nothing after it");
    // The table: output, duration, chapters (one per part in .m4b), status, reason.
    EXPECT_EQ(tableRow(first.out, "Damaged.m4b"), "Damaged.m4b | - | - | failed | cannot use 02.wav: damaged");
    EXPECT_EQ(tableRow(first.out, "Tales_ Vol_1.m4b"), "Tales_ Vol_1.m4b | 0:02 | 2 | done | -");
    EXPECT_EQ(tableRow(first.out, "Ünï Book.m4b"), "Ünï Book.m4b | 0:02 | 2 | done | -");

    // Again: the joined books are skipped and said so; the damaged one is tried again.
    const auto second = cliIn(root, batch);
    EXPECT_EQ(second.exitCode, 1) << second.err;
    EXPECT_TRUE(contains(second.err, "skipped " + out + "/Ünï Book.m4b: exists")) << second.err;
    EXPECT_EQ(tableRow(second.out, "Tales_ Vol_1.m4b"), "Tales_ Vol_1.m4b | - | - | skipped | exists; use --force to replace it");
    EXPECT_EQ(tableRow(second.out, "Damaged.m4b"), "Damaged.m4b | - | - | failed | cannot use 02.wav: damaged");

    // Mended, the damaged book joins and the run succeeds.
    writeFile(root + "/Damaged/02.wav", readFile(sineWav(1.0)));
    const auto third = cliIn(root, batch);
    EXPECT_EQ(third.exitCode, 0) << third.err;
    EXPECT_EQ(filesIn(out).size(), 3u);
    EXPECT_NEAR(mediaDuration(out + "/Damaged.m4b"), 2.0, 0.1);

    // Usage errors: nothing runs.
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"batch", root}, {"batch", "-o", out, root + "/Damaged/01.wav"},
          {"batch", "-o", out, "--jobs", "0", root}, {"batch", "-o", out}})
        EXPECT_EQ(cliIn(root, arguments).exitCode, 2) << arguments.back();
}

TEST(BatchCommand, EachBookIsCopiedOrReEncodedAsCopyAndNoCopyAsk)
{
    const std::string root = freshDir("batch-copy"), out = root + "-out";
    fs::create_directories(root + "/Book");
    writeFile(root + "/Book/01.m4a", readFile(sineM4a(1.0)));
    writeFile(root + "/Book/02.m4a", readFile(sineM4a(1.5)));
    // The options, and the note each gives for the book.
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--format", "m4b"}, "velmora-cli: note: Book.m4b: Joined without re-encoding.\n"},
        {{"--format", "m4a", "--copy"}, "velmora-cli: note: Book.m4a: Joined without re-encoding.\n"},
        {{"--format", "mp3", "--copy"},
         "velmora-cli: note: Book.mp3: The parts were re-encoded, not copied: a .mp3 file cannot hold the parts' AAC as "
         "it is.\n"},
    };
    for (const auto& [options, note] : cases) {
        std::vector<std::string> arguments{"batch", "-f", "-o", out};
        arguments.insert(arguments.end(), options.begin(), options.end());
        arguments.push_back(root);
        SCOPED_TRACE(testing::PrintToString(arguments));
        const auto run = cliIn(root, arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_TRUE(contains(run.err, note)) << run.err;
    }
    const auto encoded = cliIn(root, {"batch", "-f", "-o", out, "--format", "m4b", "--no-copy", root});
    EXPECT_EQ(encoded.exitCode, 0) << encoded.err;
    EXPECT_FALSE(contains(encoded.err, "note")) << encoded.err;
}
