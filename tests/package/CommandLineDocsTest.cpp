// The manual page and the bash completion against the CLI they describe.
#include <regex>

#include "PackageTestSupport.h"

using namespace packagetest;

namespace {

const std::string kManSource = VELMORA_SOURCE_DIR "/docs/velmora-cli.1";
const std::string kCompletion = VELMORA_SOURCE_DIR "/data/bash-completion/velmora-cli";

// The roff source as plain words: "\-" is a dash, font changes go.
std::string manText()
{
    std::string text = std::regex_replace(testsupport::readFile(kManSource), std::regex(R"(\\f[BIRP])"), "");
    return std::regex_replace(text, std::regex(R"(\\-)"), "-");
}

bool hasWord(const std::string& text, const std::string& word)
{
    return std::regex_search(text, std::regex("(^|[^A-Za-z0-9-])" + word + "($|[^A-Za-z0-9-])"));
}

// Every option and command the usage text names.
std::pair<std::set<std::string>, std::set<std::string>> helpOptionsAndCommands()
{
    const CommandResult help = runCommand(testsupport::cliPath(), {"--help"});
    EXPECT_EQ(help.exitCode, 0) << help.err;
    std::set<std::string> options, commands;
    const std::regex option("(^|[\\s\\[|,])(--?[A-Za-z][A-Za-z0-9-]*)");
    for (std::sregex_iterator it(help.out.begin(), help.out.end(), option), end; it != end; ++it)
        options.insert((*it)[2]);
    const std::regex command("velmora-cli ([a-z][a-z-]*)");
    for (std::sregex_iterator it(help.out.begin(), help.out.end(), command), end; it != end; ++it)
        commands.insert((*it)[1]);
    EXPECT_GE(options.size(), 5u) << help.out;
    EXPECT_GE(commands.size(), 3u) << help.out;
    return {options, commands};
}

}  // namespace

TEST(CommandLineDocs, EveryOptionOfTheHelpIsInTheManPageAndTheCompletion)
{
    const std::string man = manText(), completion = testsupport::readFile(kCompletion);
    const auto [options, commands] = helpOptionsAndCommands();
    for (const std::string& word : options) {
        EXPECT_TRUE(hasWord(man, word)) << word << " is not in " << kManSource;
        EXPECT_TRUE(hasWord(completion, word)) << word << " is not in " << kCompletion;
    }
    for (const std::string& word : commands) {
        EXPECT_TRUE(hasWord(man, ".B " + word)) << "no COMMANDS entry for " << word << " in " << kManSource;
        EXPECT_TRUE(hasWord(completion, word)) << word << " is not in " << kCompletion;
    }
}

// What bash offers for a command line, typed with the cursor at its end, in a
// folder with two media files, a picture and one sub-folder.
TEST(CommandLineDocs, CompletionOffersCommandsOptionsAndPaths)
{
    const std::string bashCompletion = "/usr/share/bash-completion/bash_completion";
    ASSERT_TRUE(std::filesystem::exists(bashCompletion)) << "bash-completion is not installed (scripts/install-deps.sh)";
    const std::string dir = testsupport::freshDir("completion");
    testsupport::writeFile(dir + "/a.mp3", "");
    testsupport::writeFile(dir + "/b.wav", "");
    testsupport::writeFile(dir + "/c.png", "");
    std::filesystem::create_directory(dir + "/sub");

    // The words typed after "velmora-cli" (the last one is being completed), and the offers, sorted.
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{""}, "batch help join list probe"},
        {{"j"}, "join"},
        {{"-"}, "--help --version -h"},
        {{"help", ""}, "batch join list probe"},
        {{"probe", "-"}, "--tools-dir --with-report"},
        {{"list", "-"}, "--probe-timeout --sort --tools-dir"},
        {{"join", "-"},
         "--album --artist --bitrate --chapters --copy --cover --cue --dry-run --force --from-list --gap --loudness "
         "--no-chapters --no-copy --output --probe-timeout --quality --silence-threshold --skip-bad --sort "
         "--target-lufs --title --tools-dir --trim-silence --verbose -f -o"},
        {{"batch", "-"},
         "--album --artist --bitrate --chapters --copy --cover --cue --dry-run --force --format --gap --jobs "
         "--loudness --no-chapters --no-copy --output --probe-timeout --quality --silence-threshold --sort "
         "--target-lufs --title --tools-dir --trim-silence --verbose -f -j -o"},
        {{"join", "--loudness", ""}, "keep parts whole"},
        {{"batch", "-o", ""}, "sub"},
        {{"batch", "--format", "m4"}, "m4a m4b"},
        {{"batch", "-o", "sub", ""}, "sub"},
        {{"join", "--sort", ""}, "name track"},
        {{"list", "--sort", "t"}, "track"},
        {{"join", "--cover", ""}, "c.png sub"},
        {{"join", "--title", ""}, ""},
        {{"join", "--c"}, "--chapters --copy --cover --cue"},
        {{"join", "--probe-timeout", ""}, ""},
        {{"join", "--quality", ""}, "0 1 2 3 4 5 6 7 8 9"},
        {{"join", "--bitrate", "1"}, "128k 160k 192k"},
        {{"join", "--d"}, "--dry-run"},
        {{"join", "--tools-dir", ""}, "sub"},
        {{"join", "--tools-dir", "=", ""}, "sub"},
        {{"join", "-o", ""}, "a.mp3 b.wav c.png sub"},
        {{"probe", "--with-report", ""}, "a.mp3 b.wav c.png sub"},
        {{"join", "--", "-"}, ""},
        {{"list", "a.mp3", "b"}, "b.wav"},
    };
    std::string script = "source " + bashCompletion + "\nsource " + kCompletion + "\n"
                         "offer() { COMP_LINE=$1; shift; COMP_WORDS=(velmora-cli \"$@\"); COMP_CWORD=$#;"
                         " COMP_POINT=${#COMP_LINE}; COMPREPLY=(); _velmora_cli;"
                         " printf '%s\\n' \"${COMPREPLY[@]}\" | LC_ALL=C sort | tr '\\n' ' '; echo; }\n";
    for (const auto& [words, offers] : cases) {
        // As bash splits it: "=" is a word of its own, typed without spaces around it.
        std::string line = "velmora-cli", quoted;
        for (size_t i = 0; i < words.size(); ++i) {
            line += (words[i] == "=" || (i > 0 && words[i - 1] == "=") ? "" : " ") + words[i];
            quoted += " '" + words[i] + "'";
        }
        script += "offer '" + line + "'" + quoted + "\n";
    }
    const CommandResult result = runCommand("/bin/bash", {"--norc", "--noprofile", "-c", "cd \"$0\" && " + script, dir});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::istringstream lines(result.out);
    for (const auto& [words, offers] : cases) {
        std::string line;
        std::getline(lines, line);
        std::string typed;
        for (const std::string& word : words)
            typed += " " + word;
        const size_t first = line.find_first_not_of(' '), last = line.find_last_not_of(' ');
        EXPECT_EQ(first == std::string::npos ? "" : line.substr(first, last - first + 1), offers)
            << "velmora-cli" << typed;
    }
}
