#include "join/run/QueueFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "foundation/Paths.h"

namespace velmora {
namespace {

constexpr int kQueueFileVersion = 1;
constexpr qint64 kMaxQueueFileBytes = 64 * 1024 * 1024;

const std::vector<std::pair<JobStatus, const char*>>& statusNames()
{
    static const std::vector<std::pair<JobStatus, const char*>> names{
        {JobStatus::waiting, "waiting"},     {JobStatus::analysing, "analysing"}, {JobStatus::running, "running"},
        {JobStatus::finishing, "finishing"}, {JobStatus::done, "done"},           {JobStatus::failed, "failed"},
        {JobStatus::cancelled, "cancelled"}};
    return names;
}

nlohmann::json optionalText(const std::optional<std::string>& value)
{
    return value ? nlohmann::json(*value) : nlohmann::json(nullptr);
}

std::optional<std::string> readOptionalText(const nlohmann::json& object, const char* key)
{
    const auto it = object.find(key);
    if (it == object.end() || !it->is_string())
        return std::nullopt;
    return it->get<std::string>();
}

nlohmann::json optionsJson(const JoinOptions& o)
{
    return {{"quality",
             {{"mp3VbrQuality", o.quality.mp3VbrQuality},
              {"mp3Bitrate", o.quality.mp3Bitrate},
              {"aacBitrate", o.quality.aacBitrate},
              {"opusBitrate", o.quality.opusBitrate}}},
            {"chapters", o.chapters},
            {"cueSheet", o.cueSheet},
            {"copy", o.copy == CopyChoice::always ? "always" : o.copy == CopyChoice::never ? "never" : "automatic"},
            {"title", optionalText(o.overrides.title)},
            {"artist", optionalText(o.overrides.artist)},
            {"album", optionalText(o.overrides.album)},
            {"cover", optionalText(o.overrides.coverPath)},
            {"sound",
             {{"loudness", loudnessModeName(o.sound.loudness)},
              {"targetLufs", o.sound.targetLufs},
              {"gapSeconds", o.sound.gapSeconds},
              {"trimSilence", o.sound.trimSilence},
              {"trimThresholdDb", o.sound.trimThresholdDb}}}};
}

JoinOptions readOptions(const nlohmann::json& j)
{
    JoinOptions o;
    if (!j.is_object())
        return o;
    const nlohmann::json q = j.value("quality", nlohmann::json::object());
    if (q.is_object()) {
        o.quality.mp3VbrQuality = q.value("mp3VbrQuality", o.quality.mp3VbrQuality);
        o.quality.mp3Bitrate = q.value("mp3Bitrate", o.quality.mp3Bitrate);
        o.quality.aacBitrate = q.value("aacBitrate", o.quality.aacBitrate);
        o.quality.opusBitrate = q.value("opusBitrate", o.quality.opusBitrate);
        o.quality = sanitised(o.quality);
    }
    o.chapters = j.value("chapters", false);
    o.cueSheet = j.value("cueSheet", false);
    const std::string copy = j.value("copy", std::string("automatic"));
    o.copy = copy == "always" ? CopyChoice::always : copy == "never" ? CopyChoice::never : CopyChoice::automatic;
    o.overrides.title = readOptionalText(j, "title");
    o.overrides.artist = readOptionalText(j, "artist");
    o.overrides.album = readOptionalText(j, "album");
    o.overrides.coverPath = readOptionalText(j, "cover");
    // A file from before the sound options were kept has none: the parts as they are.
    const nlohmann::json sound = j.value("sound", nlohmann::json::object());
    if (sound.is_object()) {
        o.sound.loudness = loudnessModeNamed(sound.value("loudness", std::string("keep"))).value_or(LoudnessMode::keep);
        o.sound.targetLufs = sound.value("targetLufs", o.sound.targetLufs);
        o.sound.gapSeconds = sound.value("gapSeconds", o.sound.gapSeconds);
        o.sound.trimSilence = sound.value("trimSilence", false);
        o.sound.trimThresholdDb = sound.value("trimThresholdDb", o.sound.trimThresholdDb);
        o.sound = sanitised(o.sound);
    }
    return o;
}

}  // namespace

nlohmann::json queueJson(const std::vector<QueueEntry>& entries)
{
    nlohmann::json jobs = nlohmann::json::array();
    for (const QueueEntry& e : entries) {
        std::string status = "waiting";
        for (const auto& [value, name] : statusNames()) {
            if (value == e.status)
                status = name;
        }
        jobs.push_back({{"name", e.name},
                        {"output", e.outputPath},
                        {"files", e.paths},
                        {"options", optionsJson(e.options)},
                        {"status", status},
                        {"reason", e.reason}});
    }
    return {{"version", kQueueFileVersion}, {"jobs", jobs}};
}

std::vector<QueueEntry> queueEntries(const nlohmann::json& json, std::string* problem)
{
    std::vector<QueueEntry> entries;
    const auto say = [problem](const std::string& text) {
        if (problem && problem->empty())
            *problem = text;
    };
    if (!json.is_object() || !json.contains("jobs") || !json["jobs"].is_array()) {
        say("not a queue file");
        return entries;
    }
    // Anything about one job that is not as written is caught here, and only
    // that job is lost.
    for (const nlohmann::json& job : json["jobs"]) {
        try {
            QueueEntry e;
            e.name = job.at("name").get<std::string>();
            e.outputPath = job.at("output").get<std::string>();
            e.paths = job.at("files").get<std::vector<std::string>>();
            if (e.outputPath.empty() || e.outputPath.front() != '/' || e.paths.empty())
                throw std::invalid_argument("no output or no files");
            e.options = readOptions(job.value("options", nlohmann::json::object()));
            const std::string status = job.value("status", "waiting");
            e.status = JobStatus::waiting;
            for (const auto& [value, name] : statusNames()) {
                if (status == name)
                    e.status = value;
            }
            e.reason = job.value("reason", "");
            entries.push_back(std::move(e));
        } catch (const std::exception&) {
            say("a job that could not be read was left out");
        }
    }
    return entries;
}

std::optional<std::string> saveQueueFile(const std::string& path, const std::vector<QueueEntry>& entries)
{
    const QString name = toQString(path);
    QDir().mkpath(QFileInfo(name).absolutePath());
    QSaveFile file(name);
    const std::string text = queueJson(entries).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) < 0 ||
        !file.commit())
        return "cannot write " + path + ": " + file.errorString().toStdString();
    return std::nullopt;
}

std::vector<QueueEntry> loadQueueFile(const std::string& path, std::string* problem)
{
    QFile file(toQString(path));
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly)) {
        if (problem)
            *problem = "cannot read " + path + ": " + file.errorString().toStdString();
        return {};
    }
    const QByteArray bytes = file.read(kMaxQueueFileBytes + 1);
    if (bytes.size() > kMaxQueueFileBytes) {
        if (problem)
            *problem = path + " is too large for a queue file";
        return {};
    }
    const nlohmann::json json = nlohmann::json::parse(bytes.constData(), bytes.constData() + bytes.size(), nullptr, false);
    if (json.is_discarded()) {
        if (problem)
            *problem = path + " is damaged";
        return {};
    }
    return queueEntries(json, problem);
}

}  // namespace velmora
