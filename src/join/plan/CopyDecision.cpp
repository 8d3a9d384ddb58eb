#include "join/plan/CopyDecision.h"

#include "join/plan/SoundOptions.h"

#include <functional>
#include <map>

#include "foundation/Paths.h"
#include "join/plan/AudioForm.h"

namespace velmora {
namespace {

std::string codecName(const std::string& codec)
{
    static const std::map<std::string, std::string> names{
        {"aac", "AAC"}, {"mp3", "MP3"}, {"opus", "Opus"}, {"flac", "FLAC"}, {"alac", "ALAC"}, {"vorbis", "Vorbis"}};
    const auto found = names.find(codec);
    return found != names.end() ? found->second : codec;
}

std::string layoutName(const AudioStreamFacts& audio)
{
    if (!audio.layout.empty())
        return audio.layout;
    return audio.channels == 1 ? std::string("mono") : std::to_string(audio.channels) + " channels";
}

// Where the first sound stream is among a file's streams.
std::string soundPosition(const FileRow& row)
{
    size_t index = 0, start = 0;
    while (start <= row.streamKinds.size()) {
        size_t end = row.streamKinds.find(',', start);
        if (end == std::string::npos)
            end = row.streamKinds.size();
        if (row.streamKinds.compare(start, end - start, "audio") == 0)
            return std::to_string(index);
        ++index;
        start = end + 1;
    }
    return "none";
}

// The part that differs from most of the others in one property, as "part 4
// is 48000 Hz, the others 44100 Hz"; nothing when all agree.
std::optional<std::string> oddPart(const std::vector<FileRow>& rows,
                                   const std::function<std::string(const FileRow&)>& valueOf,
                                   const std::function<std::string(const std::string&)>& shown)
{
    std::map<std::string, size_t> counts;
    for (const FileRow& row : rows)
        ++counts[valueOf(row)];
    if (counts.size() <= 1)
        return std::nullopt;
    // The value most parts have (the first part's among equals).
    std::string usual = valueOf(rows.front());
    for (const auto& [value, count] : counts) {
        if (count > counts[usual])
            usual = value;
    }
    std::vector<size_t> odd;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (valueOf(rows[i]) != usual)
            odd.push_back(i);
    }
    const std::string first = valueOf(rows[odd.front()]);
    std::string line = "part " + std::to_string(odd.front() + 1) + " is " + shown(first);
    if (odd.size() > 1)
        line += " (and " + std::to_string(odd.size() - 1) + " more part" + (odd.size() > 2 ? "s differ" : " differs") +
                ")";
    return line + ", the others " + shown(usual);
}

// The kind of file a part must keep its sound in for the copy to read it
// with its timing: name of the kind, and whether the part is one.
struct SourceKind {
    const char* name;
    bool (*holds)(const FileRow&);
};

std::optional<SourceKind> sourceKindOf(const std::string& codec)
{
    if (codec == "aac" || codec == "alac")
        return SourceKind{"an MP4 file", [](const FileRow& row) { return isMp4Container(row); }};
    if (codec == "mp3")
        return SourceKind{"an MP3 file", [](const FileRow& row) { return row.formatName == "mp3"; }};
    if (codec == "opus")
        return SourceKind{"an Ogg file", [](const FileRow& row) { return row.formatName == "ogg"; }};
    return std::nullopt;
}

}  // namespace

bool containerHolds(const OutputFormat& format, const std::string& codec)
{
    const std::string& e = format.extension;
    if (codec == "aac")
        return e == "m4a" || e == "m4b" || e == "mp4";
    if (codec == "mp3")
        return e == "mp3";
    if (codec == "opus")
        return e == "opus" || e == "ogg";
    if (codec == "alac")
        return e == "m4a";
    return false;
}

std::optional<std::string> partsRefusal(const std::vector<FileRow>& rows, const OutputFormat& format)
{
    if (rows.empty())
        return "there is nothing to join";
    for (const FileRow& row : rows) {
        if (row.kind != MediaKind::audio)
            return "the list has video";
    }
    // FLAC frames carry their own sample numbers and the header its length:
    // copied, they would restart at every part. Its encode loses nothing.
    if (format.extension == "flac")
        return "a .flac file is always encoded again, without loss";
    const auto codec = [](const FileRow& row) { return row.audio.codec; };
    if (const auto odd = oddPart(rows, codec, [](const std::string& c) { return codecName(c); }))
        return odd;
    const std::string& shared = rows.front().audio.codec;
    if (!containerHolds(format, shared))
        return "a ." + format.extension + " file cannot hold the parts' " + codecName(shared) + " as it is";
    const std::optional<SourceKind> source = sourceKindOf(shared);
    for (size_t i = 0; source && i < rows.size(); ++i) {
        if (!source->holds(rows[i]))
            return "part " + std::to_string(i + 1) + " keeps its " + codecName(shared) + " in another kind of file than " +
                   source->name;
    }
    const auto hertz = [](const std::string& rate) { return rate + " Hz"; };
    if (const auto odd = oddPart(rows, [](const FileRow& row) { return std::to_string(row.audio.sampleRate); }, hertz))
        return odd;
    const auto same = [](const std::string& value) { return value; };
    if (const auto odd = oddPart(rows, [](const FileRow& row) { return layoutName(row.audio); }, same))
        return odd;
    if (const auto odd = oddPart(rows, [](const FileRow& row) { return row.audio.profile; }, same))
        return odd;
    if (rows.front().audio.lossless) {
        const auto bits = [](const FileRow& row) { return std::to_string(row.audio.bits) + "-bit"; };
        if (const auto odd = oddPart(rows, bits, same))
            return odd;
    }
    // The copy takes each part's stream at the place it has in the first
    // part: a picture stream before the sound would take its place.
    const auto position = [](const FileRow& row) { return soundPosition(row); };
    const auto placed = [](const std::string& index) {
        return index == "0" ? std::string("sound first") : "sound after " + index + " other streams";
    };
    if (const auto odd = oddPart(rows, position, placed))
        return odd;
    return std::nullopt;
}

std::optional<std::string> optionsRefusal(const JoinOptions& options)
{
    // Chapters, cue sheet, tags and cover are carried beside the sound; the
    // sound options change the sound itself.
    if (changesSound(options))
        return "evening out the loudness, pausing between parts or trimming silence needs the sound decoded";
    return std::nullopt;
}

bool copiesByDefault(const std::string& outputPath)
{
    return lowerExtension(outputPath) == "m4b";
}

CopyDecision decideCopy(const std::vector<FileRow>& rows, const std::string& outputPath, const JoinOptions& options)
{
    CopyDecision decision;
    if (options.copy == CopyChoice::never)
        return decision;
    if (const auto refused = partsRefusal(rows, outputFormatOf(outputPath)))
        decision.refusal = *refused;
    else if (const auto needed = optionsRefusal(options))
        decision.refusal = *needed;
    decision.copy = decision.refusal.empty() &&
                    (options.copy == CopyChoice::always || copiesByDefault(outputPath));
    return decision;
}

bool copyPossible(const std::vector<FileRow>& rows, const std::string& outputPath, const JoinOptions& options)
{
    JoinOptions asked = options;
    asked.copy = CopyChoice::always;
    return decideCopy(rows, outputPath, asked).copy;
}

}  // namespace velmora
