#pragma once
// The version line an external tool prints for -version.

#include <optional>
#include <string>

namespace velmora {

// The first line `tool -version` prints ("ffmpeg version 5.1.6 ..."), or
// nothing when the tool cannot be run.
std::optional<std::string> toolVersionLine(const std::string& toolPath);
// The version word of such a line ("5.1.6-0+deb12u1"), or the whole line when
// it does not read "<name> version <word> ...".
std::string versionWord(const std::string& versionLine);

}  // namespace velmora
