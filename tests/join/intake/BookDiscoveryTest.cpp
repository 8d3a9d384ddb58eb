// Books found below root folders, and the names they are joined under.
#include <filesystem>

#include "join/intake/BookDiscovery.h"
#include "join/plan/BookOutputName.h"
#include "support/JoinTestSupport.h"

using namespace jointest;

TEST(BookDiscovery, FolderLayouts)
{
    const std::string root = freshDir("books");
    // Empty files: discovery goes by name only.
    for (const char* file : {"Loose/b.mp3", "Loose/a10.mp3", "Loose/a9.mp3", "Loose/notes.txt", "Loose/.hidden.mp3",
                             "Series/Book 1/01.m4a", "Series/Book 2/CD2/01.mp3", "Series/Book 2/CD 10/01.mp3",
                             "Series/Book 2/Disc1/02.mp3", "Series/Book 2/Disc1/01.mp3",
                             "Series/Book 2/CD2/Extras/x.mp3", "Series/Book 2/Cover/front.jpg",
                             "Mixed/intro.mp3", "Mixed/disk1 - Start/01.mp3", "Mixed/Chapter 1/01.mp3",
                             "out/old.mp3", ".Trash/lost.mp3"}) {
        std::filesystem::create_directories(std::filesystem::path(root + "/" + file).parent_path());
        writeFile(root + "/" + file, "");
    }
    std::filesystem::create_directories(root + "/Empty/CD1");
    std::filesystem::create_directory_symlink(root + "/Loose", root + "/Series/Again");

    std::vector<std::pair<std::string, std::vector<std::string>>> found;
    for (const Book& book : findBooks({root + "/"}, {root + "/out"})) {
        std::vector<std::string> parts;
        for (const std::string& part : book.parts)
            parts.push_back(part.substr(book.folder.size() + 1));
        found.emplace_back(book.folder.substr(root.size()) + " " + book.name, parts);
    }
    const decltype(found) expected{
        {"/Loose Loose", {"a9.mp3", "a10.mp3", "b.mp3"}},
        // A disc folder may carry a title; a plain subfolder is a book of its own.
        {"/Mixed Mixed", {"disk1 - Start/01.mp3", "intro.mp3"}},
        {"/Mixed/Chapter 1 Chapter 1", {"01.mp3"}},
        {"/Series/Book 1 Book 1", {"01.m4a"}},
        {"/Series/Book 2 Book 2", {"CD2/01.mp3", "CD 10/01.mp3", "Disc1/01.mp3", "Disc1/02.mp3"}},
        {"/Series/Book 2/CD2/Extras Extras", {"x.mp3"}},
    };
    EXPECT_EQ(found, expected);

    // A disc folder given as the root is a book itself.
    const auto disc = findBooks({root + "/Series/Book 2/Disc1"});
    ASSERT_EQ(disc.size(), 1u);
    EXPECT_EQ(disc[0].parts.size(), 2u);
    EXPECT_TRUE(findBooks({root + "/Empty", root + "/missing"}).empty());

    for (const auto& [name, isDisc] : std::vector<std::pair<std::string, bool>>{
             {"CD1", true}, {"cd 2", true}, {"Disc 1", true}, {"Disk2", true}, {"DISC_03", true},
             {"CD 2 - The Return", true}, {"CDs", false}, {"Discography", false}, {"CD", false}, {"Book CD1", false}})
        EXPECT_EQ(isDiscFolderName(name), isDisc) << name;
}

TEST(BookDiscovery, OutputNames)
{
    const auto tagged = [](std::optional<std::string> album) {
        RowMetadata row;
        if (album)
            row.tags["album"] = *album;
        return row;
    };
    // The parts' album tags, the folder's name, the name.
    const std::vector<std::tuple<std::vector<RowMetadata>, std::string, std::string>> cases{
        {{tagged("Der Zauberberg"), tagged("Der Zauberberg")}, "zb", "Der Zauberberg"},
        {{tagged("Part One"), tagged("Part Two")}, "Saga", "Saga"},  // no common album
        {{tagged(std::nullopt)}, "Saga", "Saga"},
        {{}, "Saga", "Saga"},
        {{tagged("AC/DC: Live? \"Yes\" <1|2> *\\")}, "x", "AC_DC_ Live_ _Yes_ _1_2_ __"},
        {{tagged(std::string("tab\there\nnul") + '\0' + "x")}, "x", std::string("tab_here_nul_x")},
        {{tagged("  ..Ünïcödé 書  ")}, "x", "Ünïcödé 書"},
        {{tagged("..")}, "x", "_"},
    };
    for (const auto& [parts, folder, name] : cases)
        EXPECT_EQ(bookOutputName(parts, folder), name) << folder;
    EXPECT_EQ(distinctNames({"Saga", "saga", "Saga", "Other", "Saga (2)"}),
              (std::vector<std::string>{"Saga", "saga (2)", "Saga (3)", "Other", "Saga (2) (2)"}));
}
