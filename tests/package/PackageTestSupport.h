#pragma once
// The Debian package made from this build tree, unpacked into a scratch root.

#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "BuildConfig.h"
#include "support/TestSupport.h"

namespace packagetest {

using testsupport::CommandResult;
using testsupport::runCommand;

inline bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

inline std::string debArchitecture()
{
    const CommandResult arch = runCommand("dpkg", {"--print-architecture"});
    std::string name = arch.out;
    while (!name.empty() && name.back() == '\n')
        name.pop_back();
    return name;
}

// velmora_<version>_<arch>.deb in the package folder. Under ctest a fixture
// has just made it from the build tree; run by hand, it is made when missing.
inline std::string debPath()
{
    static const std::string path = [] {
        const std::string deb = std::string(VELMORA_PACKAGE_DIR) + "/velmora_" VELMORA_VERSION "_" + debArchitecture() + ".deb";
        if (!std::filesystem::exists(deb)) {
            const CommandResult made = runCommand(VELMORA_CPACK_COMMAND, {"-G", "DEB", "-B", VELMORA_PACKAGE_DIR,
                                                                          "--config", VELMORA_CPACK_CONFIG});
            EXPECT_EQ(made.exitCode, 0) << made.out << made.err;
        }
        return deb;
    }();
    return path;
}

// The package unpacked with dpkg -x, once per test program.
inline std::string packageRoot()
{
    static const std::string root = [] {
        const std::string dir = testsupport::freshDir("package-root");
        const CommandResult unpacked = runCommand("dpkg", {"-x", debPath(), dir});
        EXPECT_EQ(unpacked.exitCode, 0) << unpacked.err;
        return dir;
    }();
    return root;
}

// The control fields by name; a continued field (Description) keeps its lines.
inline std::map<std::string, std::string> controlFields()
{
    const CommandResult fields = runCommand("dpkg-deb", {"-f", debPath()});
    EXPECT_EQ(fields.exitCode, 0) << fields.err;
    std::map<std::string, std::string> result;
    std::istringstream lines(fields.out);
    std::string line, current;
    while (std::getline(lines, line)) {
        if (!line.empty() && line[0] == ' ' && !current.empty()) {
            result[current] += "\n" + line.substr(1);
            continue;
        }
        const size_t colon = line.find(": ");
        if (colon == std::string::npos)
            continue;
        current = line.substr(0, colon);
        result[current] = line.substr(colon + 2);
    }
    return result;
}

// The package names in a Depends field, alternatives included, without versions.
inline std::set<std::string> dependencyNames(const std::string& depends)
{
    std::set<std::string> names;
    std::string name;
    bool inName = true;
    for (const char c : depends + ",") {
        if (c == ',' || c == '|') {
            if (!name.empty())
                names.insert(name);
            name.clear();
            inName = true;
        } else if (c == ' ' || c == '(' || c == ':') {
            inName = name.empty();
        } else if (inName) {
            name += c;
        }
    }
    return names;
}

}  // namespace packagetest
