#pragma once
// What an external tool says of its version: the first line it prints for
// "-version" (ffmpeg and ffprobe print "ffmpeg version 5.1.6-0+deb12u1 ...").

#include <optional>
#include <string>

namespace velmora {

// Runs the program with "-version" and returns the first line it prints, or
// nothing when it cannot be run, fails, or prints nothing. Blocks while the
// tool runs.
std::optional<std::string> toolVersion(const std::string& program);
// The version word of such a line ("5.1.6-0+deb12u1"), or the whole line when
// it does not read "<name> version <word> ...".
std::string versionWord(const std::string& versionLine);

}  // namespace velmora
