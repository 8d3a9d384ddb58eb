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
// Absolute path of the named resource when it exists, looked up afresh each call.
std::optional<std::string> resourcePath(const std::string& name);

}  // namespace velmora
