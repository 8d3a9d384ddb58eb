#include "join/plan/OutputFormat.h"

#include "foundation/Paths.h"

namespace velmora {
namespace {

bool isOneOf(const std::string& extension, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        if (extension == name)
            return true;
    }
    return false;
}

bool isMp4Family(const std::string& extension)
{
    return isOneOf(extension, {"m4a", "m4b", "mp4", "m4v", "mov"});
}

std::string kbits(int rate)
{
    return std::to_string(rate) + "k";
}

}  // namespace

OutputFormat outputFormatOf(const std::string& outputPath)
{
    OutputFormat format;
    format.extension = lowerExtension(outputPath);
    const std::string& e = format.extension;
    if (e == "mp3")
        format.encoder = AudioEncoder::mp3;
    else if (isMp4Family(e) || e == "aac")
        format.encoder = AudioEncoder::aac;
    else if (e == "flac" || e == "mka")
        format.encoder = AudioEncoder::flac;
    else if (e == "wav")
        format.encoder = AudioEncoder::pcm;
    else if (e == "opus" || e == "ogg")
        format.encoder = AudioEncoder::opus;
    format.lossless = format.encoder == AudioEncoder::flac || format.encoder == AudioEncoder::pcm;
    format.holdsVideo = isOneOf(e, {"mp4", "m4v", "mov", "mkv", "avi", "ts", "flv", "webm"});
    // WebM takes no H.264: the tool's own video encoder for it.
    format.copiesVideo = format.holdsVideo && e != "webm";
    for (const std::string& known : outputExtensions())
        format.known = format.known || e == known;
    return format;
}

std::vector<std::string> outputExtensions()
{
    return {"mp3", "m4a", "m4b", "aac", "flac", "mka", "wav", "opus", "ogg",
            "mp4", "m4v", "mov", "mkv", "avi", "ts", "flv", "webm"};
}

std::vector<std::string> audioEncoderArguments(const OutputFormat& format, int bits, bool floatingPoint,
                                               const QualitySettings& given)
{
    const QualitySettings quality = sanitised(given);
    const bool deep = bits > 16;
    switch (format.encoder) {
    case AudioEncoder::mp3:
        if (quality.mp3Bitrate > 0)
            return {"-c:a", "libmp3lame", "-b:a", kbits(quality.mp3Bitrate)};
        return {"-c:a", "libmp3lame", "-q:a", std::to_string(quality.mp3VbrQuality)};
    case AudioEncoder::aac: return {"-c:a", "aac", "-b:a", kbits(quality.aacBitrate)};
    case AudioEncoder::flac:
        if (!deep)
            return {"-c:a", "flac", "-sample_fmt", "s16"};
        return {"-c:a", "flac", "-sample_fmt", "s32", "-bits_per_raw_sample", "24"};
    case AudioEncoder::pcm: {
        const std::string codec = floatingPoint ? "pcm_f32le" : bits > 24 ? "pcm_s32le" : deep ? "pcm_s24le" : "pcm_s16le";
        return {"-c:a", codec, "-rf64", "auto"};
    }
    case AudioEncoder::opus: return {"-c:a", "libopus", "-b:a", kbits(quality.opusBitrate)};
    case AudioEncoder::toolDefault: break;
    }
    return {};  // the tool's defaults for the container
}

std::vector<std::string> muxerArguments(const OutputFormat& format)
{
    std::vector<std::string> arguments;
    if (format.extension == "m4b")
        arguments = {"-f", "ipod"};
    if (isMp4Family(format.extension))
        arguments.insert(arguments.end(), {"-movflags", "+faststart"});
    return arguments;
}

std::vector<std::string> audioMuxerArguments(const OutputFormat& format, int sampleRate)
{
    std::vector<std::string> arguments = muxerArguments(format);
    if (isMp4Family(format.extension) && sampleRate > 0)
        arguments.insert(arguments.end(), {"-movie_timescale", std::to_string(sampleRate)});
    return arguments;
}

std::string SaveFormat::filterText() const
{
    return name + " (*." + extension + ")";
}

std::vector<SaveFormat> saveFormats(bool video)
{
    std::vector<SaveFormat> formats;
    if (video)
        formats.push_back({"MP4", "mp4"});
    for (const SaveFormat& audio : std::initializer_list<SaveFormat>{{"MP3", "mp3"},
                                                                     {"M4A", "m4a"},
                                                                     {"M4B audiobook", "m4b"},
                                                                     {"FLAC", "flac"},
                                                                     {"WAV", "wav"},
                                                                     {"Opus", "opus"}})
        formats.push_back(audio);
    return formats;
}

}  // namespace velmora
