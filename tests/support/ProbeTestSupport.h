#pragma once
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "foundation/Diagnostics.h"
#include "foundation/Resources.h"
#include "probe/FileProbe.h"
#include "support/TestSupport.h"

namespace velmora {
inline void PrintTo(const KeyValueEntry& entry, std::ostream* out) { *out << entry.key << " = " << entry.value; }
}  // namespace velmora

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

// Crafted reports: one stream of a type and codec (plus members), an H.264
// stream of a size, and a whole report.
inline nlohmann::json stream(const std::string& type, const std::string& codec,
                             nlohmann::json extra = nlohmann::json::object())
{
    nlohmann::json s = {{"codec_type", type}, {"codec_name", codec}};
    s.update(extra);
    return s;
}

inline nlohmann::json h264(int width, int height, nlohmann::json extra = nlohmann::json::object())
{
    nlohmann::json s = stream("video", "h264", {{"width", width}, {"height", height}, {"avg_frame_rate", "25/1"},
                                                {"profile", "High"}, {"level", 41}});
    s.update(extra);
    return s;
}

inline std::string report(nlohmann::json streams, nlohmann::json format = nlohmann::json::object(),
                          nlohmann::json chapters = nlohmann::json::array())
{
    return nlohmann::json{{"streams", streams}, {"format", format}, {"chapters", chapters}}.dump();
}

inline std::string placeholderFile(const std::string& name)
{
    testsupport::writeFile(testsupport::scratchDir() + "/" + name, "placeholder");
    return testsupport::scratchDir() + "/" + name;
}

// Probes a small placeholder file through a fake tool that prints `report`.
inline velmora::FileProbe probeWithReport(const std::string& report, const std::string& fileName = "media.mp4")
{
    static int serial = 0;
    ToolsDirectory tools(testsupport::fakeProbeTools("fake-" + std::to_string(++serial), report));
    return velmora::FileProbe(placeholderFile(fileName));
}

// Each track as "Type: extra information", then the audio/video/subtitle counts.
inline std::vector<std::string> trackSummaries(const velmora::FileProbe& probe)
{
    std::vector<std::string> result;
    for (const auto& track : probe.tracksInfo)
        result.push_back(track.trackType + ": " + track.trackExtraInfo);
    result.push_back(std::to_string(probe.numberOfAudioTracks) + "/" + std::to_string(probe.numberOfVideoTracks) +
                     "/" + std::to_string(probe.numberOfSubtitleTracks));
    return result;
}

}  // namespace probetest
