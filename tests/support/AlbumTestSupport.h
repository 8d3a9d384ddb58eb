#pragma once
// Helpers for the album tests: tagged tones made with ffmpeg, the real probe
// of a file, and what ffprobe reads back from a written file.
#include <cctype>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "foundation/Resources.h"
#include "join/intake/RowMetadata.h"
#include "support/TestSupport.h"

namespace albumtest {

using namespace testsupport;

// The real probe's record of a file (the built resources' sniffer).
inline velmora::FileProbe realProbe(const std::string& path)
{
    velmora::setToolsDirectory(resourcesDir());
    velmora::FileProbe probe(path);
    velmora::setToolsDirectory({});
    return probe;
}

inline velmora::RowMetadata realRow(const std::string& path) { return velmora::readRowMetadata(realProbe(path)); }

// ffprobe's report of a file (format, streams and chapters) as JSON.
inline nlohmann::json probed(const std::string& path) { return nlohmann::json::parse(ffprobeJson(path)); }

// A tone of `seconds` with `-metadata` tags ("key=value"), encoded by
// `codecArgs`; `extraInputs` come before the tags (e.g. a picture to map).
inline std::string taggedTone(const std::string& name, double seconds, const std::vector<std::string>& tags,
                              const std::vector<std::string>& codecArgs,
                              const std::vector<std::string>& extraInputs = {})
{
    std::vector<std::string> args{"-f", "lavfi", "-i",
                                  "sine=frequency=440:sample_rate=44100:duration=" + std::to_string(seconds)};
    args.insert(args.end(), extraInputs.begin(), extraInputs.end());
    for (const std::string& tag : tags)
        args.insert(args.end(), {"-metadata", tag});
    args.insert(args.end(), codecArgs.begin(), codecArgs.end());
    return makeMedia(name, args);
}

// A JPEG picture of a size, made once.
inline std::string jpegPicture()
{
    return makeMedia("cover-blue.jpg", {"-f", "lavfi", "-i", "color=c=blue:s=96x64", "-frames:v", "1"});
}

// Writes `output` from a tone of `seconds` (input 0) and further inputs, with
// the given arguments; ffmpeg's error text when it fails, else "".
inline std::string muxTone(const std::string& output, double seconds, const std::vector<std::string>& inputsAndArgs)
{
    std::vector<std::string> args{"-y", "-v", "error", "-nostdin", "-f", "lavfi", "-i",
                                  "sine=frequency=330:sample_rate=44100:duration=" + std::to_string(seconds)};
    args.insert(args.end(), inputsAndArgs.begin(), inputsAndArgs.end());
    args.push_back(output);
    const CommandResult result = runCommand("ffmpeg", args);
    return result.exitCode == 0 ? std::string() : "ffmpeg failed: " + result.err;
}

// Tags read back with lower-case keys: the container's, then each stream's (the first one found wins).
inline std::map<std::string, std::string> tagsOf(const nlohmann::json& report)
{
    std::map<std::string, std::string> tags;
    auto add = [&](const nlohmann::json& source) {
        for (const auto& [key, value] : source.items()) {
            std::string lower = key;
            for (char& c : lower)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (value.is_string())
                tags.emplace(lower, value.get<std::string>());
        }
    };
    add(report.value("format", nlohmann::json::object()).value("tags", nlohmann::json::object()));
    for (const auto& stream : report.value("streams", nlohmann::json::array()))
        add(stream.value("tags", nlohmann::json::object()));
    return tags;
}

// Chapters read back: (start seconds, title) in file order.
inline std::vector<std::pair<double, std::string>> chaptersOf(const nlohmann::json& report)
{
    std::vector<std::pair<double, std::string>> result;
    for (const auto& chapter : report.value("chapters", nlohmann::json::array()))
        result.emplace_back(std::stod(chapter.value("start_time", "0")),
                            chapter.value("tags", nlohmann::json::object()).value("title", ""));
    return result;
}

}  // namespace albumtest
