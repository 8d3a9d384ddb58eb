#include "join/run/JoinMetadata.h"

#include <fstream>
#include <iterator>
#include <sys/stat.h>

#include "foundation/FileSystem.h"
#include "foundation/Paths.h"
#include "join/metadata/CueSheet.h"
#include "join/metadata/FfMetadata.h"
#include "join/intake/Intake.h"
#include "join/run/ToolRunner.h"

namespace velmora {
namespace {

std::optional<std::string> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return bytes;
}

// The cover as a file of its own, copied out of the row that embeds it.
std::string extractCover(const JoinPlan& plan, Cancellation& control)
{
    if (plan.coverExtraction.empty())
        return {};
    const CommandRun run = runEncoder(plan.coverExtraction, control);
    if (control.isCancelled())
        return {};
    if (!run.started)
        return "the cover picture could not be copied: " + run.failure;
    if (run.waitStatus != 0)
        return "the cover picture could not be copied out of " + lastPathComponent(plan.cover.path) + ".";
    return {};
}

}  // namespace

std::vector<double> pieceDurations(const JoinPlan& plan, const std::vector<FileRow>& rows, Cancellation& control)
{
    std::vector<double> durations(plan.pieces.size(), 0.0);
    for (size_t i = 0; i < plan.pieces.size() && i < rows.size(); ++i)
        durations[i] = playedLength(rows[i]);
    // An intermediate holds exactly the samples the concat will read; its
    // sound stream's length counts them. The probes run side by side.
    runIntake(plan.pieces, control, [&](size_t k, IntakeResult result) {
        if (result.row)
            durations[k] = result.row->audio.duration > 0.0 ? result.row->audio.duration : result.row->duration;
    });
    return durations;
}

PreparedMetadata prepareJoinMetadata(const JoinPlan& plan, const std::vector<FileRow>& rows,
                                     const JoinOptions& options, const std::string& outputPath, Cancellation& control,
                                     const std::vector<double>& lengths)
{
    PreparedMetadata prepared;
    const std::vector<RowMetadata> metadata = metadataOf(rows);
    prepared.album = albumMetadata(metadata, options.overrides);

    const OutputFormat format = outputFormatOf(outputPath);
    const ChapterSupport support = chapterSupport(format);
    if (options.cueSheet || (options.chapters && support != ChapterSupport::none)) {
        const std::vector<double> durations = lengths.empty() ? pieceDurations(plan, rows, control) : lengths;
        if (control.isCancelled())
            return prepared;
        prepared.chapters = outputChapters(metadata, durations);
        if (const size_t cut = capChapterTitles(prepared.chapters))
            prepared.notes.push_back(std::to_string(cut) + (cut == 1 ? " chapter title was" : " chapter titles were") +
                                     " cut to " + std::to_string(kChapterTitleLimit) + " characters.");
    }

    AlbumMetadata tagged = prepared.album;
    if (options.chapters && support == ChapterSupport::vorbisComments)
        tagged.tags.merge(vorbisChapterTags(prepared.chapters));
    prepared.failure = extractCover(plan, control);
    if (prepared.failure.empty() && coverSupport(format) == CoverSupport::vorbisComment && !plan.coverFile.empty()) {
        if (const auto bytes = fileBytes(plan.coverFile))
            tagged.tags["METADATA_BLOCK_PICTURE"] = vorbisPictureTag(*bytes, plan.cover.mimeType());
        else
            prepared.failure = "the cover picture " + lastPathComponent(plan.coverFile) + " could not be read.";
    }
    if (!prepared.failure.empty())
        return prepared;

    const bool containerChapters = options.chapters && support == ChapterSupport::container;
    const std::string text = ffmetadataText(tagged, containerChapters ? prepared.chapters : std::vector<OutputChapter>{});
    std::string failure;
    if (!writeFileAtomically(plan.metadataPath, text, &failure))
        prepared.failure = "the tags and chapters could not be written to the work folder: " + failure;
    return prepared;
}

std::string cueSheetPath(const std::string& outputPath)
{
    return parentDirectory(outputPath) + "/" + baseName(outputPath) + ".cue";
}

bool writeCueSheet(const std::string& outputPath, const PreparedMetadata& metadata, std::vector<std::string>& notes)
{
    const std::string path = cueSheetPath(outputPath);
    const std::string name = lastPathComponent(outputPath);
    const std::string text = cueSheetText(name, metadata.album, metadata.chapters);
    // A sheet made for this file before (an earlier join to the same name)
    // names it on its FILE line; anything else there is the user's.
    struct stat status {};
    if (::lstat(path.c_str(), &status) == 0) {
        const auto existing = S_ISREG(status.st_mode) ? fileBytes(path) : std::nullopt;
        if (!existing || cueFileLine(*existing) != cueFileLine(text)) {
            notes.push_back("The cue sheet was not written: " + lastPathComponent(path) +
                            " already exists and is not a sheet for this file.");
            return false;
        }
    }
    std::string why;
    // Readable by whoever may read the joined file: the umask decides, as for it.
    if (!writeFileAtomically(path, text, &why, FileSharing::likeNewFiles)) {
        notes.push_back("The cue sheet could not be written: " + why);
        return false;
    }
    if (name.find('"') != std::string::npos)
        notes.push_back("The cue sheet names " + name + " with its quotes, which some players cannot read.");
    return true;
}

}  // namespace velmora
