#pragma once
#include <string>
#include <vector>

#include "foundation/Diagnostics.h"
#include "foundation/Resources.h"
#include "probe/FileProbe.h"
#include "support/TestSupport.h"

namespace probetest {

// Collects the diagnostic lines written while it lives.
struct DiagnosticRecorder {
    DiagnosticRecorder() { velmora::setDiagnosticCapture([this](const std::string& l) { lines.push_back(l); }); }
    ~DiagnosticRecorder() { velmora::setDiagnosticCapture(nullptr); }
    std::vector<std::string> lines;
};

// Points the tools folder somewhere for one scope.
struct ToolsDirectory {
    explicit ToolsDirectory(const std::string& directory) { velmora::setToolsDirectory(directory); }
    ~ToolsDirectory() { velmora::setToolsDirectory({}); }
};

inline std::string placeholderFile(const std::string& name)
{
    const std::string path = testsupport::scratchDir() + "/" + name;
    testsupport::writeFile(path, "placeholder");
    return path;
}

// Probes a small placeholder file through a fake tool that prints `report`.
inline velmora::FileProbe probeWithReport(const std::string& report, const std::string& fileName = "media.mp4")
{
    static int serial = 0;
    ToolsDirectory tools(testsupport::fakeProbeTools("fake-" + std::to_string(++serial), report));
    return velmora::FileProbe(placeholderFile(fileName));
}

inline std::string valueOf(const velmora::KeyValueList& list, const std::string& key)
{
    for (const auto& entry : list)
        if (entry.key == key)
            return entry.value;
    return "(absent)";
}

// Each track as "Type: extra information".
inline std::vector<std::string> trackSummaries(const velmora::FileProbe& probe)
{
    std::vector<std::string> result;
    for (const auto& track : probe.tracksInfo)
        result.push_back(track.trackType + ": " + track.trackExtraInfo);
    return result;
}

// The audio/video/subtitle track counts.
inline std::string trackCounts(const velmora::FileProbe& probe)
{
    return std::to_string(probe.numberOfAudioTracks) + "/" + std::to_string(probe.numberOfVideoTracks) + "/" +
           std::to_string(probe.numberOfSubtitleTracks);
}

}  // namespace probetest
