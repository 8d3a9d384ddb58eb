#pragma once
#include <string>
#include <vector>

#include "foundation/Diagnostics.h"
#include "foundation/Resources.h"
#include "probe/FileProbe.h"
#include "support/TestSupport.h"

namespace probetest {

// Collects the diagnostic lines written while it lives.
class DiagnosticRecorder {
public:
    DiagnosticRecorder()
    {
        velmora::setDiagnosticCapture([this](const std::string& line) { lines.push_back(line); });
    }
    ~DiagnosticRecorder() { velmora::setDiagnosticCapture(nullptr); }
    std::vector<std::string> lines;
};

// Points the tools folder somewhere for one scope.
class ToolsDirectory {
public:
    explicit ToolsDirectory(const std::string& directory) { velmora::setToolsDirectory(directory); }
    ~ToolsDirectory() { velmora::setToolsDirectory({}); }
};

// A small non-empty file to stand for the probed media.
inline std::string placeholderFile(const std::string& name)
{
    const std::string path = testsupport::scratchDir() + "/" + name;
    testsupport::writeFile(path, "placeholder");
    return path;
}

// Probes through a fake tool that prints the given report.
inline velmora::FileProbe probeWithReport(const std::string& name, const std::string& report,
                                          const std::string& fileName = "media.mp4")
{
    ToolsDirectory tools(testsupport::fakeProbeTools(name, report));
    return velmora::FileProbe(placeholderFile(fileName));
}

inline const velmora::KeyValueEntry* findEntry(const velmora::KeyValueList& list, const std::string& key)
{
    for (const auto& entry : list) {
        if (entry.key == key)
            return &entry;
    }
    return nullptr;
}

}  // namespace probetest
