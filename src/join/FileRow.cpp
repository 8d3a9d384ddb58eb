#include "join/FileRow.h"

#include <QFileInfo>
#include <QUrl>

#include "foundation/Diagnostics.h"
#include "join/JoinHost.h"

namespace velmora {

std::string intakeVerdictText(IntakeVerdict verdict)
{
    switch (verdict) {
    case IntakeVerdict::accepted: return "accepted";
    case IntakeVerdict::skippedExtension: return "skipped extension";
    case IntakeVerdict::unreadable: return "unreadable or damaged";
    case IntakeVerdict::notMedia: return "not media";
    case IntakeVerdict::protectedContent: return "protected";
    case IntakeVerdict::noAudioOrVideo: return "no audio or video";
    }
    return "not media";
}

bool isSkippedExtension(const std::string& path)
{
    const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    return suffix == QLatin1String("vob") || suffix == QLatin1String("m4p");
}

static std::string mediaTypeOf(const std::vector<std::string>& trackTypes)
{
    bool video = false;
    bool audio = false;
    for (const std::string& type : trackTypes) {
        video = video || type == "Video";
        audio = audio || type == "Audio";
    }
    if (video && audio)
        return "Audio & Video";
    if (video)
        return "Video";
    if (audio)
        return "Audio";
    return "Unknown";
}

IntakeResult intakeFromProbe(const std::string& path, const FileProbe& probe)
{
    IntakeResult result;
    if (probe.hasErrors) {
        result.verdict = IntakeVerdict::unreadable;
        return result;
    }
    if (!probe.isValidMediaFile) {
        result.verdict = IntakeVerdict::notMedia;
        return result;
    }
    if (probe.isEncrypted) {
        result.verdict = IntakeVerdict::protectedContent;
        return result;
    }
    if (probe.numberOfAudioTracks <= 0 && probe.numberOfVideoTracks <= 0) {
        result.verdict = IntakeVerdict::noAudioOrVideo;
        return result;
    }

    std::vector<std::string> trackTypes;
    std::string codec;
    for (const TrackInfo& track : probe.tracksInfo) {
        trackTypes.push_back(track.trackType);
        if (&track != &probe.tracksInfo.front())
            codec += ", ";
        codec += track.trackCodec;
    }

    FileRow row;
    row.fileURL = fileUrlText(path);
    row.filePath = path;
    row.fileName = probe.fileName.value_or(std::string());
    row.durationHuman = probe.durationHuman.value_or(std::string());
    row.duration = probe.duration;
    row.codec = codec;
    row.mediaType = mediaTypeOf(trackTypes);
    diagnostic(row.mediaType);
    row.fileSizeHuman = probe.fileSizeHuman.value_or(std::string());
    row.isProRes = probe.firstVideoTrackInfo.has_value() && (*probe.firstVideoTrackInfo)["codec"].stringValue() == "prores";

    result.verdict = IntakeVerdict::accepted;
    result.row = std::move(row);
    return result;
}

IntakeResult analyzeFile(const std::string& path)
{
    if (isSkippedExtension(path))
        return IntakeResult{IntakeVerdict::skippedExtension, std::nullopt};
    const FileProbe probe(path);
    return intakeFromProbe(path, probe);
}

void analyzeFiles(const std::vector<std::string>& paths, JoinHost& host, std::function<void(FileRow)> onRow)
{
    host.postToMain([&host] { host.showProgressSheet("Analyzing Files...", true); });
    for (const std::string& path : paths) {
        IntakeResult result = analyzeFile(path);
        if (result.row && onRow)
            host.postToMain([onRow, row = std::move(*result.row)]() mutable { onRow(std::move(row)); });
    }
    host.postToMain([&host] { host.hideProgressSheet(); });
}

std::string fileUrlText(const std::string& path)
{
    return QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded).toStdString();
}

nlohmann::json fileRowJson(const FileRow& row)
{
    return nlohmann::json{
        {"fileURL", row.fileURL},
        {"filePath", row.filePath},
        {"fileName", row.fileName},
        {"durationHuman", row.durationHuman},
        {"duration", row.duration},
        {"codec", row.codec},
        {"mediaType", row.mediaType},
        {"fileSizeHuman", row.fileSizeHuman},
        {"isProRes", row.isProRes},
    };
}

}  // namespace velmora
