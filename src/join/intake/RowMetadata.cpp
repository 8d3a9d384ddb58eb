#include "join/intake/RowMetadata.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "foundation/Paths.h"

namespace velmora {
namespace {

std::string lowerAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string trimmed(const std::string& text)
{
    const char* space = " \t\r\n\v\f";
    const auto first = text.find_first_not_of(space);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

// The one name a tag goes by, from its lower-case key.
std::string canonicalKey(const std::string& lowerKey)
{
    static const std::map<std::string, std::string> aliases{
        {"albumartist", "album_artist"}, {"album artist", "album_artist"},
        {"tracknumber", "track"},        {"discnumber", "disc"},
        {"disk", "disc"},                {"year", "date"},
        {"totaltracks", "tracktotal"},   {"totaldiscs", "disctotal"},
    };
    const auto it = aliases.find(lowerKey);
    return it == aliases.end() ? lowerKey : it->second;
}

// Collects tags from the sources in order of trust: an earlier source wins,
// and within one source a tag spelled with the name itself beats an alias.
class TagCollector {
public:
    void addSource(const JSON& tags)
    {
        if (tags.type() != JSONType::dictionary)
            return;
        ++source_;
        for (const auto& [key, value] : tags.entries()) {
            // Kept as the file has it, a line end or space at either end too:
            // the joined file carries the same value.
            const std::string text = value.stringValue();
            if (trimmed(text).empty())
                continue;
            const std::string lower = lowerAscii(key);
            const std::string name = canonicalKey(lower);
            const std::pair<int, int> rank{source_, lower == name ? 0 : 1};
            auto [it, inserted] = ranked_.try_emplace(name, rank, text);
            if (!inserted && rank < it->second.first)
                it->second = {rank, text};
        }
    }

    std::map<std::string, std::string> tags() const
    {
        std::map<std::string, std::string> result;
        for (const auto& [name, entry] : ranked_)
            result.emplace(name, entry.second);
        return result;
    }

private:
    int source_ = 0;
    std::map<std::string, std::pair<std::pair<int, int>, std::string>> ranked_;
};

std::optional<double> seconds(const JSON& chapter, const char* timeKey, const char* tickKey)
{
    const JSON time = chapter[timeKey];
    double value = 0.0;
    if (time.exists() && time.type() != JSONType::null) {
        value = time.doubleValue();
    } else {
        // Without the decimal text, the tick count in the chapter's time base.
        const std::string base = chapter["time_base"].stringValue();
        const auto slash = base.find('/');
        if (!chapter[tickKey].exists() || slash == std::string::npos)
            return std::nullopt;
        const auto numerator = parseDecimalNumber(std::string_view(base).substr(0, slash));
        const auto denominator = parseDecimalNumber(std::string_view(base).substr(slash + 1));
        if (!numerator || !denominator || denominator->toDouble() == 0.0)
            return std::nullopt;
        value = chapter[tickKey].doubleValue() * numerator->toDouble() / denominator->toDouble();
    }
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

std::string titleOf(const JSON& tags)
{
    for (const auto& [key, value] : tags.entries())
        if (lowerAscii(key) == "title")
            return trimmed(value.stringValue()).empty() ? std::string() : value.stringValue();
    return {};
}

std::vector<SourceChapter> readSourceChapters(const JSON& report)
{
    std::vector<SourceChapter> chapters;
    const JSON list = report["chapters"];
    if (list.type() != JSONType::array)
        return chapters;
    for (std::int64_t i = 0; i < list.count(); ++i) {
        const JSON chapter = list[i];
        const auto start = seconds(chapter, "start_time", "start");
        const auto end = seconds(chapter, "end_time", "end");
        if (!start || !end)
            continue;
        chapters.push_back({*start, *end, titleOf(chapter["tags"])});
    }
    std::stable_sort(chapters.begin(), chapters.end(),
                     [](const SourceChapter& a, const SourceChapter& b) { return a.start < b.start; });
    return chapters;
}

}  // namespace

std::optional<std::string> RowMetadata::tag(const std::string& key) const
{
    const auto it = tags.find(key);
    return it == tags.end() ? std::nullopt : std::optional<std::string>(it->second);
}

std::optional<int> leadingNumber(const std::string& text, std::optional<int>* total)
{
    const char* p = text.data();
    const char* end = p + text.size();
    auto skipSpace = [&] {
        while (p < end && (*p == ' ' || *p == '\t'))
            ++p;
    };
    auto number = [&]() -> std::optional<int> {
        int value = 0;
        const auto [next, error] = std::from_chars(p, end, value);
        if (error != std::errc() || next == p)
            return std::nullopt;
        p = next;
        return value;
    };
    skipSpace();
    if (p < end && (*p == '-' || *p == '+'))
        return std::nullopt;
    const std::optional<int> value = number();
    if (value && total) {
        skipSpace();
        if (p < end && *p == '/') {
            ++p;
            skipSpace();
            if (p < end && *p != '-' && *p != '+')
                *total = number();
        }
    }
    return value;
}

RowMetadata readRowMetadata(const FileProbe& probe)
{
    RowMetadata row;
    row.fileName = probe.fileName.value_or("");
    if (!probe.json)
        return row;
    const JSON& report = *probe.json;

    TagCollector collector;
    collector.addSource(report.at({"format", "tags"}));
    const JSON streams = report["streams"];
    const std::int64_t streamCount = streams.type() == JSONType::array ? streams.count() : 0;
    for (std::int64_t i = 0; i < streamCount; ++i) {
        if (streams[i]["codec_type"].stringValue() == "audio") {
            collector.addSource(streams[i]["tags"]);
            break;
        }
    }
    row.tags = collector.tags();

    std::optional<int> total;
    if (auto track = row.tag("track"))
        row.track = leadingNumber(*track, &total);
    row.trackTotal = total;
    if (auto count = row.tag("tracktotal"); count && !row.trackTotal)
        row.trackTotal = leadingNumber(*count);
    total.reset();
    if (auto disc = row.tag("disc"))
        row.disc = leadingNumber(*disc, &total);
    row.discTotal = total;
    if (auto count = row.tag("disctotal"); count && !row.discTotal)
        row.discTotal = leadingNumber(*count);

    row.chapters = readSourceChapters(report);

    for (std::int64_t i = 0; i < streamCount; ++i) {
        const JSON stream = streams[i];
        const bool poster = static_cast<size_t>(i) < probe.tracksInfo.size() && probe.tracksInfo[i].trackType == "Poster";
        if (stream["disposition"]["attached_pic"].intValue() != 1 && !poster)
            continue;
        const std::int64_t index = stream["index"].exists() ? stream["index"].intValue() : i;
        row.pictures.push_back({index, stream["codec_name"].stringValue()});
    }
    return row;
}

std::string rowTitle(const RowMetadata& row)
{
    if (row.chapterTitle)
        return *row.chapterTitle;
    if (auto title = row.tag("title"))
        return *title;
    return baseName(row.fileName);
}

}  // namespace velmora
