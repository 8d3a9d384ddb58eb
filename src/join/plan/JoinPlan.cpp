#include "join/plan/JoinPlan.h"

#include <algorithm>
#include <cmath>

#include "foundation/Diagnostics.h"
#include "foundation/FileSystem.h"
#include "foundation/Numbers.h"
#include "foundation/Paths.h"
#include "join/metadata/HeaderLength.h"
#include "join/metadata/Mp4Length.h"

namespace velmora {
namespace {

// The picture and sound of the video intermediates.
constexpr int kWidth = 640, kHeight = 480, kFramesPerSecond = 24, kVideoSampleRate = 48000;

std::string decimalText(double value)
{
    return shortestDouble(value, false);
}

void append(std::vector<std::string>& command, const std::vector<std::string>& arguments)
{
    command.insert(command.end(), arguments.begin(), arguments.end());
}

// What a part's header promises it decodes to; 0 when it does not say, or
// says it in a way this does not read. An MP4 part's decoder is cut to its
// exact length, so that length is what it gives.
// A promise the probe did not believe either (an MP3 whose size belies its
// header, as when two files are run together) is not taken.
long long promisedSamples(const FileRow& row, long long mp4End)
{
    if (mp4End > 0)
        return mp4End;
    std::optional<long long> samples;
    if (row.audio.codec == "mp3" && row.formatName == "mp3")
        samples = mp3HeaderSamples(row.filePath);
    else if (row.audio.codec == "flac" && row.formatName == "flac")
        samples = flacHeaderSamples(row.filePath);
    else if (row.audio.codec.rfind("pcm_", 0) == 0 && row.formatName == "wav")
        samples = wavHeaderSamples(row.filePath);
    const double declared = playedLength(row);
    if (!samples || row.audio.sampleRate <= 0 ||
        std::abs(static_cast<double>(*samples) / row.audio.sampleRate - declared) > std::max(0.2, 0.01 * declared))
        return 0;
    return *samples;
}

bool isVideoList(const std::vector<FileRow>& rows)
{
    for (const FileRow& row : rows) {
        if (row.kind != MediaKind::audio)
            return true;
    }
    return false;
}

std::string commandsListing(const std::vector<std::vector<std::string>>& commands)
{
    return nlohmann::json(commands).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

std::string intermediatePath(const std::string& workDir, size_t index, bool video)
{
    return workDir + "/temp" + std::to_string(index) + (video ? ".mov" : ".wav");
}

std::string concatListPath(const std::string& workDir)
{
    return workDir + "/delete.txt";
}

std::string concatListQuoted(const std::string& path)
{
    std::string quoted = "'";
    for (char c : path) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += "'";
    return quoted;
}

std::string concatListText(const std::vector<std::string>& paths)
{
    std::string text;
    for (const std::string& path : paths)
        text += "file " + concatListQuoted(path) + "\n";
    return text;
}

std::vector<std::string> partDecoderCommand(const FileRow& row, const AudioForm& form, long long endSample,
                                            const PartEdit& edit, bool measure)
{
    // Only the first sound stream: cover art never enters. A measuring
    // decoder tells every line's level, so its errors can be told apart.
    std::vector<std::string> command{"-nostdin", "-i", row.filePath};
    if (measure)
        append(command, {"-hide_banner", "-nostats", "-loglevel", "level+info"});
    else
        append(command, {"-v", "error"});
    if (measure)
        append(command, {"-filter_complex", partFilter(row, form, endSample, edit, true), "-map", "[part]",
                         "-map_metadata", "-1"});
    else
        append(command, {"-map", "0:a:0", "-map_metadata", "-1", "-af", partFilter(row, form, endSample, edit)});
    append(command, {"-f", form.rawFormat(), "-c:a", "pcm_" + form.rawFormat(), "pipe:1"});
    return command;
}

std::vector<std::string> partsDecoderCommand(const JoinPlan& plan, const std::vector<FileRow>& rows, size_t first,
                                             size_t count)
{
    if (count == 1)
        return plan.decoders.at(first);
    std::vector<std::string> paths, chains;
    for (size_t k = first; k < first + count; ++k) {
        paths.push_back(rows.at(k).filePath);
        chains.push_back(plan.partFilters.at(k));
    }
    return partsDecoderCommand(paths, chains, plan.form);
}

namespace {

// A part's input. With more than one input, ffmpeg reads each on a thread of
// its own and sleeps 10 ms whenever the one it needs has nothing queued:
// long queues.
void addPartInput(std::vector<std::string>& command, const std::string& path)
{
    append(command, {"-thread_queue_size", "1024", "-i", path});
}

// The graph that takes the first sound stream of input `inputs[k]` through
// `chains[k]`, lays the parts end to end and, through `after` when given,
// names the result "[sound]".
std::string partsGraph(const std::vector<size_t>& inputs, const std::vector<std::string>& chains,
                       const std::string& after = {})
{
    std::string graph, parts;
    const size_t count = std::min(inputs.size(), chains.size());
    for (size_t k = 0; k < count; ++k) {
        const std::string label = "[p" + std::to_string(k) + "]";
        // Only each file's first sound stream: cover art never enters.
        graph += "[" + std::to_string(inputs[k]) + ":a:0]" + chains[k] + label + ";";
        parts += label;
    }
    graph += parts + "concat=n=" + std::to_string(count) + ":v=0:a=1";
    if (!after.empty())
        graph += "," + after;
    return graph + "[sound]";
}

}  // namespace

std::vector<std::string> partsDecoderCommand(const std::vector<std::string>& paths,
                                             const std::vector<std::string>& chains, const AudioForm& form)
{
    std::vector<std::string> command{"-nostdin", "-v", "error"};
    std::vector<size_t> inputs;
    for (size_t k = 0; k < paths.size() && k < chains.size(); ++k) {
        addPartInput(command, paths[k]);
        inputs.push_back(k);
    }
    append(command, {"-filter_complex", partsGraph(inputs, chains), "-map", "[sound]", "-map_metadata", "-1", "-f",
                     form.rawFormat(), "-c:a", "pcm_" + form.rawFormat(), "pipe:1"});
    return command;
}

std::vector<std::string> wholeJoinCommand(const JoinPlan& plan, const std::vector<FileRow>& rows,
                                          const std::string& outputPath)
{
    // The encoder's arguments name the metadata file input 1 and the cover
    // input 2: the first part comes before them, the others after. At the
    // verbose level ffmpeg ends with the count of samples it encoded.
    const size_t count = std::min(rows.size(), plan.partFilters.size());
    std::vector<std::string> command{"-nostdin", "-v", "verbose"};
    if (count > 0)
        addPartInput(command, rows[0].filePath);
    append(command, {"-f", "ffmetadata", "-i", plan.metadataPath});
    for (const std::string& input : plan.moreInputs)
        append(command, {"-i", input});
    std::vector<size_t> inputs{0};
    for (size_t k = 1; k < count; ++k) {
        addPartInput(command, rows[k].filePath);
        inputs.push_back(k + 1 + plan.moreInputs.size());
    }
    inputs.resize(count);
    const std::vector<std::string> chains(plan.partFilters.begin(),
                                          plan.partFilters.begin() + static_cast<std::ptrdiff_t>(count));
    append(command, {"-filter_complex", partsGraph(inputs, chains, plan.soundFilter), "-map", "[sound]"});
    append(command, plan.encodeArguments);
    append(command, {"-y", outputPath});
    return command;
}

JoinPlan withPartEdits(JoinPlan plan, const std::vector<FileRow>& rows, const std::vector<PartEdit>& edits)
{
    for (size_t i = 0; i < plan.decoders.size() && i < rows.size() && i < edits.size(); ++i) {
        const long long endSample = i < plan.partEnds.size() ? plan.partEnds[i] : 0;
        plan.decoders[i] = partDecoderCommand(rows[i], plan.form, endSample, edits[i]);
        if (i < plan.partFilters.size())
            plan.partFilters[i] = partFilter(rows[i], plan.form, endSample, edits[i]);
    }
    diagnostic(commandsListing(plan.decoders));
    return plan;
}

std::vector<std::string> streamEncoderCommand(const AudioForm& form, const std::string& metadataPath,
                                              const std::vector<std::string>& moreInputs,
                                              const std::vector<std::string>& streamArguments,
                                              const std::string& outputPath)
{
    // With more than one input, ffmpeg reads each on a thread of its own and,
    // whenever the sound's queue runs dry, sleeps 10 ms before it looks
    // again: a short queue starves the encoder. A long one lets the relay
    // stay ahead (1024 packets are 1024 frames each, 8 MB of stereo).
    std::vector<std::string> command{"-nostdin", "-thread_queue_size", "1024", "-f", form.rawFormat(),
                                     "-ar", std::to_string(form.sampleRate), "-ch_layout", form.layout,
                                     "-i", "pipe:0", "-f", "ffmetadata", "-i", metadataPath};
    for (const std::string& input : moreInputs)
        append(command, {"-i", input});
    append(command, streamArguments);
    append(command, {"-y", outputPath});
    return command;
}

std::string letterboxFilter()
{
    const std::string w = std::to_string(kWidth), h = std::to_string(kHeight), aspect = w + "/" + h;
    // `dar` is the display aspect (storage size times sample aspect), so an
    // anamorphic clip keeps the shape it is shown with.
    return "scale=w='if(gt(dar," + aspect + ")," + w + ",2*trunc(" + h + "*dar/2))':h='if(gt(dar," + aspect + "),2*trunc(" +
           w + "/dar/2)," + h + ")',setsar=1,pad=" + w + ":" + h + ":(ow-iw)/2:(oh-ih)/2";
}

std::vector<std::string> videoNormalisationCommand(const FileRow& row, const std::string& intermediate)
{
    // The intermediate's picture must never outlast its sound, or the concat
    // reader starts the next clip after the picture and leaves a hole in the
    // sound: whole frames up to the clip's length, and exactly its length of
    // sound (padded with silence, or silence alone for a clip without any).
    const double seconds = row.duration;
    const bool timed = seconds > 0.0;
    const long long frames = static_cast<long long>(std::floor(seconds * kFramesPerSecond + 1e-9));
    const long long samples = std::llround(seconds * kVideoSampleRate);
    const bool silent = row.kind == MediaKind::video;

    std::vector<std::string> command{"-nostdin", "-i", row.filePath};
    if (silent) {
        std::string source = "anullsrc=r=" + std::to_string(kVideoSampleRate) + ":cl=stereo";
        if (timed)
            source += ":d=" + decimalText(seconds);
        append(command, {"-f", "lavfi", "-i", source});
    }
    append(command, {"-map", "0:V:0", "-map", silent ? "1:a:0" : "0:a:0", "-map_metadata", "-1"});
    std::string picture = "fps=" + std::to_string(kFramesPerSecond);
    std::string sound = "aresample=" + std::to_string(kVideoSampleRate);
    if (timed) {
        picture += ",trim=end_frame=" + std::to_string(frames);
        sound += ",apad=whole_len=" + std::to_string(samples) + ",atrim=end_sample=" + std::to_string(samples);
    }
    picture += "," + letterboxFilter();
    append(command, {"-vf", picture, "-c:v", "libx264", "-pix_fmt", "yuv420p", "-af", sound, "-c:a", "pcm_s16le",
                     "-ar", std::to_string(kVideoSampleRate), "-ac", "2"});
    if (!timed)
        command.push_back("-shortest");
    append(command, {"-y", intermediate});
    return command;
}

std::string soundOutputFilter(const OutputFormat& format, const AudioForm& form)
{
    // Lossless 16-bit output from finer samples: triangular dither, not rounding.
    if (format.lossless && form.bits == 16 && form.sampleFormat != "s16")
        return "aresample=osf=s16:dither_method=triangular";
    return {};
}

std::vector<std::string> concatStreamArguments(const OutputFormat& format, bool video, const AudioForm& form,
                                               const QualitySettings& quality)
{
    std::vector<std::string> arguments;
    if (video && format.holdsVideo) {
        append(arguments, {"-map", "0:v:0", "-map", "0:a:0"});
        if (format.copiesVideo)
            append(arguments, {"-c:v", "copy"});
    } else {
        append(arguments, {"-map", "0:a:0"});
        if (const std::string filter = video ? std::string() : soundOutputFilter(format, form); !filter.empty())
            append(arguments, {"-af", filter});
    }
    if (video) {
        append(arguments, audioEncoderArguments(format, 16, false, quality));
    } else {
        append(arguments, audioEncoderArguments(format, form.bits, form.floatingPoint, quality));
    }
    append(arguments, video ? muxerArguments(format) : audioMuxerArguments(format, form.sampleRate));
    return arguments;
}

std::vector<std::string> concatCommand(const std::string& listPath, const std::string& metadataPath,
                                       const std::vector<std::string>& moreInputs,
                                       const std::vector<std::string>& streamArguments, const std::string& outputPath)
{
    std::vector<std::string> command{"-nostdin", "-auto_convert", "1", "-f",         "concat",
                                     "-safe",    "0",  "-i", listPath,  "-f", "ffmetadata", "-i", metadataPath};
    for (const std::string& input : moreInputs)
        append(command, {"-i", input});
    append(command, streamArguments);
    append(command, {"-y", outputPath});
    return command;
}

std::vector<std::string> metadataArguments(const OutputFormat& format, bool chapters)
{
    // FLAC and Ogg get their chapters as comments among the tags.
    const bool mapped = chapters && chapterSupport(format) == ChapterSupport::container;
    return {"-map_metadata", "1", "-map_chapters", mapped ? "1" : "-1"};
}

std::vector<std::string> coverArguments(const OutputFormat& format, const CoverChoice& cover,
                                        const std::string& coverFile)
{
    if (cover.origin == CoverOrigin::none || cover.codec.empty())
        return {};
    if (format.extension == "mka") {
        // Matroska keeps pictures as attached files, which players look for by name.
        const std::string name = cover.codec == "png" ? "cover.png" : "cover.jpg";
        return {"-attach", coverFile, "-metadata:s:t:0", "mimetype=" + cover.mimeType(), "-metadata:s:t:0",
                "filename=" + name};
    }
    if (coverSupport(format) != CoverSupport::attachedPicture)
        return {};
    // Copied as it is; "Cover (front)" is the picture type ID3 and FLAC readers look for.
    return {"-map", cover.mapSpecifier(2), "-c:v", "copy", "-disposition:v:0", "attached_pic", "-metadata:s:v:0",
            "comment=Cover (front)"};
}

static void planCover(JoinPlan& plan, const std::vector<FileRow>& rows, const OutputFormat& format,
               const MetadataOverrides& overrides, const std::string& workDir)
{
    if (coverSupport(format) == CoverSupport::none || (overrides.coverPath && overrides.coverPath->empty()))
        return;
    CoverChoice cover = chooseCover(metadataOf(rows), pathsOf(rows), overrides.coverPath);
    if (cover.codec.empty())
        return;  // neither JPEG nor PNG: no player would show it
    plan.cover = cover;
    const bool asFile = format.extension == "mka" || coverSupport(format) == CoverSupport::vorbisComment;
    if (!asFile)
        return;
    if (!cover.streamIndex) {
        plan.coverFile = cover.path;
        return;
    }
    plan.coverFile = workDir + (cover.codec == "png" ? "/cover.png" : "/cover.jpg");
    plan.coverExtraction = {"-nostdin", "-i", cover.path, "-map", cover.mapSpecifier(0), "-c", "copy", "-frames:v", "1",
                            "-f", "image2", "-y", plan.coverFile};
}

void planTagsAndCover(JoinPlan& plan, const std::vector<FileRow>& rows, const OutputFormat& format,
                      const JoinOptions& options, const std::string& workDir)
{
    planCover(plan, rows, format, options.overrides, workDir);
    plan.outputArguments = metadataArguments(format, options.chapters);
    if (!plan.cover.codec.empty() && plan.coverFile.empty()) {
        plan.moreInputs.push_back(plan.cover.path);
        append(plan.outputArguments, coverArguments(format, plan.cover, plan.coverFile));
    } else if (format.extension == "mka" && !plan.coverFile.empty()) {
        append(plan.outputArguments, coverArguments(format, plan.cover, plan.coverFile));
    }
}

std::string joinMetadataPath(const std::string& workDir)
{
    return workDir + "/metadata.txt";
}

JoinPlan buildJoinPlan(const std::vector<FileRow>& rows, const std::string& outputPath, const std::string& workDir,
                       const JoinOptions& options)
{
    JoinPlan plan;
    plan.fileCount = rows.size();
    diagnostic(workDir);

    const bool video = isVideoList(rows);
    const OutputFormat format = outputFormatOf(outputPath);
    plan.metadataPath = joinMetadataPath(workDir);
    std::vector<std::string> moreInputs, streams;
    if (video) {
        for (size_t i = 0; i < rows.size(); ++i) {
            plan.pieces.push_back(intermediatePath(workDir, i, true));
            plan.commands.push_back(videoNormalisationCommand(rows[i], plan.pieces.back()));
            plan.durations.push_back(rows[i].duration);
        }
        plan.normalisations = plan.commands.size();
        if (!writeFileAtomically(concatListPath(workDir), concatListText(plan.pieces)))
            diagnostic("error");
        streams = concatStreamArguments(format, true, AudioForm{}, options.quality);
        append(streams, metadataArguments(format, options.chapters));
        plan.commands.push_back(concatCommand(concatListPath(workDir), plan.metadataPath, {}, streams, outputPath));
        double total = 0.0;
        for (const FileRow& row : rows)
            total += row.duration;
        plan.durations.push_back(total);
        diagnostic(commandsListing(plan.commands));
        return plan;
    }

    plan.streamed = true;
    plan.form = commonAudioForm(rows, format);
    const bool shaped = changesSound(options);
    if (options.sound.loudness != LoudnessMode::keep)
        plan.form = gainableForm(plan.form);
    for (const FileRow& row : rows) {
        // The AAC decoder keeps the encoder's padding that an MP4 file's edit
        // list cuts off: its exact count of samples cuts it here.
        long long endSample = 0;
        if (isMp4Container(row))
            endSample = mp4SoundSamples(row.filePath, row.audio.sampleRate).value_or(0);
        plan.decoders.push_back(partDecoderCommand(row, plan.form, endSample));
        plan.partFilters.push_back(partFilter(row, plan.form, endSample));
        plan.partEnds.push_back(endSample);
        plan.promisedFrames.push_back(row.audio.sampleRate != plan.form.sampleRate ? 0 : promisedSamples(row, endSample));
        if (shaped)
            plan.measurers.push_back(
                partDecoderCommand(row, plan.form, endSample, {}, options.sound.loudness != LoudnessMode::keep));
    }
    planTagsAndCover(plan, rows, format, options, workDir);
    std::vector<std::string>& kept = plan.outputArguments;
    plan.soundFilter = soundOutputFilter(format, plan.form);
    plan.encodeArguments = audioEncoderArguments(format, plan.form.bits, plan.form.floatingPoint, options.quality);
    append(plan.encodeArguments, audioMuxerArguments(format, plan.form.sampleRate));
    append(plan.encodeArguments, kept);
    streams = {"-map", "0:a:0"};
    if (!plan.soundFilter.empty())
        append(streams, {"-af", plan.soundFilter});
    append(streams, plan.encodeArguments);
    append(kept, audioMuxerArguments(format, plan.form.sampleRate));
    plan.encoder = streamEncoderCommand(plan.form, plan.metadataPath, plan.moreInputs, streams, outputPath);
    diagnostic(commandsListing(plan.decoders));
    diagnostic(commandsListing({plan.encoder}));
    return plan;
}

}  // namespace velmora
