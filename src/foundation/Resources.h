#pragma once
// Finds the external tools by resource name ("sniffer", "creator") in the
// resources folder: the one set with setToolsDirectory, or else the folder
// laid out beside the executables (or the installed one).

#include <optional>
#include <string>

namespace velmora {

inline constexpr const char* kProbeToolResource = "sniffer";
inline constexpr const char* kCreatorToolResource = "creator";

void setToolsDirectory(const std::string& directory);  // empty: back to the default
std::string toolsDirectory();
// Where the named resource is looked for: the tools folder and the name.
std::string toolPath(const std::string& name);
// Absolute path of the named resource when it exists, looked up afresh each call.
std::optional<std::string> resourcePath(const std::string& name);

// The program a resource stands for, as users know it: "ffprobe", "ffmpeg".
std::string toolDisplayName(const std::string& name);
// Why the named tool cannot be used, as one line for the user, such as
// "ffprobe not found at /opt/tools/sniffer (set --tools-dir)"; nothing when
// it is there and executable.
std::optional<std::string> toolProblem(const std::string& name);
// The same, for the window's user, who has no command-line option to set:
// "Velmora cannot find ffprobe. Install the ffmpeg package."
std::optional<std::string> toolAdvice(const std::string& name);

}  // namespace velmora
