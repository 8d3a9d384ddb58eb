// Reading a command's arguments, as a pure function.
#include <gtest/gtest.h>

#include "cli/CommandLine.h"

using namespace velmora::cli;
using Args = std::vector<std::string>;

TEST(CommandLine, OptionsFilesAndErrors)
{
    const CommandSyntax join{
        "join", {"--dry-run", "--verbose"}, {"--output", "--tools-dir", "--title"}, {{"-o", "--output"}}, {"--title"}};
    struct Case {
        Args arguments;
        Args files;
        std::map<std::string, std::string> values;
        std::set<std::string> flags;
        std::optional<std::string> error;
    };
    const Case cases[] = {
        {{"a.mp3", "-o", "out.mp3", "b.mp3"}, {"a.mp3", "b.mp3"}, {{"--output", "out.mp3"}}, {}, {}},
        {{"--output=x.m4a", "--dry-run", "a"}, {"a"}, {{"--output", "x.m4a"}}, {"--dry-run"}, {}},
        {{"--tools-dir", "/t", "--", "--verbose", "-"}, {"--verbose", "-"}, {{"--tools-dir", "/t"}}, {}, {}},
        {{"-", "a"}, {"-", "a"}, {}, {}, {}},  // a lone dash is a file name
        {{"a", "--output"}, {"a"}, {}, {}, "--output needs a value"},
        // An option that allows an empty value takes one, but not none.
        {{"--title", "", "a", "--title="}, {"a"}, {{"--title", ""}}, {}, {}},
        {{"--title=", "a", "--title", "-o"}, {"a"}, {{"--title", "-o"}}, {}, {}},
        {{"a", "--title"}, {}, {}, {}, "--title needs a value"},
        // Only free text may look like an option; a path or a number may not.
        {{"-o", "--dry-run", "a"}, {}, {}, {}, "-o needs a value, not the option '--dry-run' (write --output=--dry-run to mean that name)"},
        {{"--output=--dry-run", "a", "--tools-dir", "-1"}, {"a"}, {{"--output", "--dry-run"}, {"--tools-dir", "-1"}}, {}, {}},
        {{"--dry-run=yes", "a"}, {}, {}, {}, "unknown option '--dry-run=yes'"},
        {{"--fast", "a"}, {}, {}, {}, "unknown option '--fast'"},
        {{"--verbose"}, {}, {}, {"--verbose"}, "join needs at least one file"},
    };
    for (const Case& c : cases) {
        const CommandLine line = parseCommandLine(join, c.arguments);
        EXPECT_EQ(line.error, c.error) << c.arguments.size();
        if (c.error)
            continue;
        EXPECT_EQ(line.files, c.files);
        EXPECT_EQ(line.values, c.values);
        EXPECT_EQ(line.flags, c.flags);
    }
    EXPECT_EQ(parseCommandLine(join, {"-o", "x", "a"}).value("--output"), "x");
    EXPECT_FALSE(parseCommandLine(join, {"a"}).value("--output").has_value());
    // Every value of a repeated option is kept, in order; value() is the last.
    const CommandLine twice = parseCommandLine(join, {"--tools-dir", "/a", "x", "--tools-dir=/b"});
    EXPECT_EQ(twice.allValues("--tools-dir"), (Args{"/a", "/b"}));
    EXPECT_EQ(twice.value("--tools-dir"), "/b");
}
