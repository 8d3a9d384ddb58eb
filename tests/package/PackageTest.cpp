// The Debian package: what it holds, what it declares, and that what it
// installs works from where it lands.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "PackageTestSupport.h"

using namespace packagetest;
namespace fs = std::filesystem;

namespace {

const char* const kDesktopEntry = "usr/share/applications/app.velmora.Velmora.desktop";
const char* const kManPage = "usr/share/man/man1/velmora-cli.1.gz";
const int kIconSizes[] = {16, 32, 48, 64, 128, 256};

std::string pngIcon(int size)
{
    const std::string side = std::to_string(size);
    return "usr/share/icons/hicolor/" + side + "x" + side + "/apps/velmora.png";
}

// Width and height from a PNG's header chunk.
std::pair<int, int> pngSize(const std::string& path)
{
    const std::string bytes = testsupport::readFile(path);
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0 || bytes.compare(12, 4, "IHDR") != 0)
        return {-1, -1};
    auto word = [&](size_t at) {
        return int((unsigned char)bytes[at]) << 24 | int((unsigned char)bytes[at + 1]) << 16 |
               int((unsigned char)bytes[at + 2]) << 8 | int((unsigned char)bytes[at + 3]);
    };
    return {word(16), word(20)};
}

// "Key=value" of the [Desktop Entry] group.
std::map<std::string, std::string> desktopKeys(const std::string& path)
{
    std::map<std::string, std::string> keys;
    std::ifstream in(path);
    std::string line;
    bool inEntry = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[')
            inEntry = line == "[Desktop Entry]";
        else if (const size_t eq = line.find('='); inEntry && eq != std::string::npos)
            keys[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return keys;
}

std::set<std::string> splitList(const std::string& text)
{
    std::set<std::string> items;
    std::istringstream in(text);
    std::string item;
    while (std::getline(in, item, ';'))
        if (!item.empty())
            items.insert(item);
    return items;
}

}  // namespace

TEST(Package, FileNameFollowsDebianNaming)
{
    EXPECT_TRUE(fs::is_regular_file(debPath())) << debPath();
    EXPECT_EQ(fs::path(debPath()).filename(), "velmora_" VELMORA_VERSION "_" + debArchitecture() + ".deb");
}

TEST(Package, HoldsExactlyTheInstalledFiles)
{
    const std::string root = packageRoot();
    // Path, and for a link the absolute path it must point at.
    std::map<std::string, std::string> expected{
        {"usr/bin/velmora", ""},
        {"usr/bin/velmora-cli", ""},
        {"usr/libexec/velmora/resources/sniffer", "/usr/bin/ffprobe"},
        {"usr/libexec/velmora/resources/creator", "/usr/bin/ffmpeg"},
        {kDesktopEntry, ""},
        {"usr/share/icons/hicolor/scalable/apps/velmora.svg", ""},
        {kManPage, ""},
        {"usr/share/bash-completion/completions/velmora-cli", ""},
    };
    for (const int size : kIconSizes)
        expected[pngIcon(size)] = "";

    std::map<std::string, std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_directory() && !entry.is_symlink())
            continue;
        const std::string relative = entry.path().lexically_relative(root).string();
        found[relative] = entry.is_symlink() ? fs::read_symlink(entry.path()).string() : "";
        if (!entry.is_symlink()) {
            EXPECT_TRUE(entry.is_regular_file()) << relative;
        }
    }
    EXPECT_EQ(found, expected);

    for (const char* program : {"usr/bin/velmora", "usr/bin/velmora-cli"}) {
        struct stat info {};
        ASSERT_EQ(::stat((root + "/" + program).c_str(), &info), 0) << program;
        EXPECT_EQ(info.st_mode & 0777, 0755u) << program;
        EXPECT_EQ(testsupport::readFile(root + "/" + program).substr(0, 4), "\x7f" "ELF") << program;
    }
    for (const int size : kIconSizes)
        EXPECT_EQ(pngSize(root + "/" + pngIcon(size)), std::make_pair(size, size)) << pngIcon(size);
}

TEST(Package, ControlFieldsDeclareWhatItNeeds)
{
    auto fields = controlFields();
    EXPECT_EQ(fields["Package"], "velmora");
    EXPECT_EQ(fields["Version"], VELMORA_VERSION);
    EXPECT_EQ(fields["Architecture"], debArchitecture());
    EXPECT_EQ(fields["Section"], "sound");
    EXPECT_EQ(fields["Maintainer"], "Velmora <" VELMORA_SUPPORT_EMAIL ">");
    EXPECT_EQ(fields["Homepage"], VELMORA_DEVELOPER_PAGE);
    EXPECT_TRUE(contains(fields["Description"], "velmora-cli")) << fields["Description"];

    const std::set<std::string> depends = dependencyNames(fields["Depends"]);
    // The tools, the platform plugin, and the libraries the executables link.
    for (const char* package : {"ffmpeg", "qt6-qpa-plugins", "libqt6core6", "libqt6gui6", "libqt6widgets6",
                                "libqt6dbus6", "libplist3", "libc6", "libstdc++6"})
        EXPECT_TRUE(depends.count(package)) << package << " missing from Depends: " << fields["Depends"];
}

TEST(Package, DesktopEntryValidatesAndOpensMedia)
{
    const std::string entry = packageRoot() + "/" + kDesktopEntry;
    const CommandResult validated = runCommand("desktop-file-validate", {entry});
    EXPECT_EQ(validated.exitCode, 0) << validated.err;
    EXPECT_EQ(validated.out + validated.err, "");

    auto keys = desktopKeys(entry);
    EXPECT_EQ(keys["Exec"], "velmora %F");  // "Open With" passes the chosen files
    EXPECT_EQ(keys["Icon"], "velmora");
    const std::set<std::string> types = splitList(keys["MimeType"]);
    for (const char* type : {"audio/mpeg", "audio/mp4", "audio/x-m4a", "audio/flac", "audio/x-flac", "audio/wav",
                             "audio/x-wav", "audio/ogg", "audio/opus", "audio/aac", "audio/x-aiff", "audio/x-ms-wma",
                             "audio/webm", "audio/x-matroska", "video/mp4", "video/quicktime", "video/x-matroska",
                             "video/webm", "video/x-msvideo", "video/mpeg"})
        EXPECT_TRUE(types.count(type)) << type;
    // Every type is one the desktop knows (a name or an alias), so none is a typo.
    std::set<std::string> known = splitList(keys["MimeType"]);
    for (const char* file : {"/usr/share/mime/types", "/usr/share/mime/aliases"}) {
        std::ifstream in(file);
        std::string word;
        while (in >> word)
            known.erase(word);
    }
    known.erase("audio/opus");  // registered by IANA; shared-mime-info calls it audio/x-opus+ogg
    EXPECT_TRUE(known.empty()) << "unknown MIME types: " << nlohmann::json(known).dump();
}

TEST(Package, ManPageRendersWithoutWarnings)
{
    const CommandResult shown = runCommand("man", {"--warnings", "-l", packageRoot() + "/" + kManPage},
                                           {"MANPAGER=cat", "PAGER=cat", "MANWIDTH=80", "LC_ALL=C.UTF-8"});
    EXPECT_EQ(shown.exitCode, 0);
    EXPECT_EQ(shown.err, "");
    EXPECT_TRUE(contains(shown.out, "velmora-cli - probe audio and video files")) << shown.out;
    for (const char* section : {"SYNOPSIS", "COMMANDS", "OPTIONS", "EXIT STATUS"})
        EXPECT_TRUE(contains(shown.out, std::string("\n") + section + "\n")) << section;
}

TEST(Package, PackagedProgramsRunFromTheirRoot)
{
    const std::string root = packageRoot();
    const CommandResult version = runCommand(root + "/usr/bin/velmora-cli", {"--version"});
    EXPECT_EQ(version.exitCode, 0) << version.err;
    // The packaged program finds the packaged tool links.
    EXPECT_TRUE(version.out.starts_with("velmora-cli " VELMORA_VERSION "\nffmpeg ")) << version.out;
    EXPECT_NE(version.out.find("(" + root + "/usr/libexec/velmora/resources/creator)"), std::string::npos)
        << version.out;

    // The packaged CLI finds its tools through ../libexec/velmora/resources.
    const CommandResult listed = runCommand(root + "/usr/bin/velmora-cli", {"list", testsupport::sineWav(1.0)});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    const auto rows = nlohmann::json::parse(listed.out, nullptr, false);
    ASSERT_TRUE(rows.is_array() && rows.size() == 1) << listed.out << listed.err;
    EXPECT_EQ(rows[0].value("mediaType", ""), "Audio");

    for (const char* program : {"usr/bin/velmora", "usr/bin/velmora-cli"}) {
        const CommandResult libraries = runCommand("ldd", {root + "/" + program});
        EXPECT_EQ(libraries.exitCode, 0) << libraries.err;
        EXPECT_FALSE(contains(libraries.out, "not found")) << libraries.out;
    }
}
