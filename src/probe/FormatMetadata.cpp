#include "probe/FormatMetadata.h"

#include <algorithm>
#include <vector>

#include "foundation/Diagnostics.h"
#include "foundation/PropertyList.h"
#include "probe/HumanValues.h"

namespace velmora {
namespace {

// A list of dictionaries of strings gives the "name" of each, joined.
std::optional<std::string> namesOf(plist_t array)
{
    const uint32_t size = plist_array_get_size(array);
    std::string joined;
    bool first = true;
    for (uint32_t i = 0; i < size; ++i) {
        plist_t element = plist_array_get_item(array, i);
        if (plist_get_node_type(element) != PLIST_DICT)
            return std::nullopt;
        bool allStrings = true;
        forEachPropertyListMember(element, [&](const std::string&, plist_t value) {
            if (plist_get_node_type(value) != PLIST_STRING)
                allStrings = false;
        });
        if (!allStrings)
            return std::nullopt;
        plist_t name = plist_dict_get_item(element, "name");
        if (!name)
            continue;  // an entry without a name adds nothing
        joined += first ? "" : ", ";
        joined += propertyListString(name);
        first = false;
    }
    return joined;
}

}  // namespace

const std::map<std::int64_t, std::string>& mediaTypeNames()
{
    static const std::map<std::int64_t, std::string> names{
        {0, "Home Video"}, {1, "Music"},    {2, "Audiobook"}, {6, "Music Video"}, {9, "Movie"},        {10, "TV Show"},
        {11, "Booklet"},   {14, "Ringtone"}, {21, "Podcast"}, {23, "iTunes U"},   {27, "Alert Tone"},
    };
    return names;
}

void expandMovieProperties(std::string_view bytes, std::map<std::string, std::string>& labels)
{
    const PropertyList root = parsePropertyList(bytes);
    if (!root) {
        diagnostic("The data couldn't be read because it isn't in the correct format.");
        return;
    }
    if (plist_get_node_type(root.get()) != PLIST_DICT)
        return;  // only a dictionary at the top carries labelled values
    forEachPropertyListMember(root.get(), [&](const std::string& key, plist_t value) {
        switch (plist_get_node_type(value)) {
        case PLIST_STRING: labels[key + ".tags"] = propertyListString(value); break;
        case PLIST_DICT:
            forEachPropertyListMember(value, [&](const std::string& inner, plist_t innerValue) {
                labels[inner + "." + key + ".tags"] = describePropertyListValue(innerValue);
            });
            break;
        case PLIST_ARRAY:
            if (auto names = namesOf(value))
                labels[key + ".tags"] = *names;
            break;
        default: break;
        }
    });
}

KeyValueList readChapters(const FileProbe& probe)
{
    if (!probe.json)
        return {};
    const JSON chapters = (*probe.json)["chapters"];
    const std::int64_t n = chapters.type() == JSONType::array ? chapters.count() : 0;
    std::map<std::string, std::string> byTitle;
    for (std::int64_t i = 0; i < n; ++i) {
        const JSON chapter = chapters[i];
        const std::string title = chapter.at({"tags", "title"}).stringValue();
        const std::int64_t start = chapter["start_time"].intValue();
        const std::int64_t end = chapter["end_time"].intValue();
        byTitle[title] = durationText(static_cast<double>(start)) + " - " + durationText(static_cast<double>(end));
    }
    std::vector<std::pair<std::string, std::string>> pairs(byTitle.begin(), byTitle.end());
    std::stable_sort(pairs.begin(), pairs.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    KeyValueList result;
    result.reserve(pairs.size());
    for (auto& [title, text] : pairs)
        result.push_back({std::move(title), std::move(text)});
    return result;
}

KeyValueList readFormatMetadata(FileProbe& probe, const JSON& report)
{
    std::map<std::string, std::string> labels;
    for (const auto& [name, value] : report["format"].entries()) {
        if (name != "tags") {
            labels[name] = value.rawText().value_or("unknown");
            continue;
        }
        for (const auto& [tag, tagValue] : value.entries()) {
            if (tag == "iTunMOVI") {
                expandMovieProperties(tagValue.stringValue(), labels);
            } else if (tag == "media_type") {
                const std::string label = "media_type.modified.tags";
                const auto& names = mediaTypeNames();
                if (const auto it = names.find(tagValue.intValue()); it != names.end())
                    labels[label] = it->second;
                else
                    labels.erase(label);
            } else {
                labels[tag + ".tags"] = tagValue.rawText().value_or("unknown");
            }
        }
    }

    // Labels are unique, so the map's order is the order by label.
    KeyValueList result;
    result.reserve(labels.size());
    Metadata embedded;
    for (auto& [label, text] : labels) {
        if (label == "title.tags")
            embedded.title = text;
        else if (label == "description.tags")
            embedded.tagline = text;
        else if (label == "synopsis.tags")
            embedded.synopsis = text;
        result.push_back({label, std::move(text)});
    }
    probe.iTunesMetadata = std::move(embedded);
    return result;
}

}  // namespace velmora
