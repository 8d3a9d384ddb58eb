#include <algorithm>
#include <cinttypes>
#include <cstdlib>
#include <limits>
#include <memory>

#include <plist/plist.h>

#include "foundation/Diagnostics.h"
#include "foundation/Numbers.h"
#include "probe/FileProbe.h"
#include "probe/HumanValues.h"

namespace velmora {
namespace {

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistHandle = std::unique_ptr<void, PlistDeleter>;

std::string stringOf(plist_t node)
{
    uint64_t length = 0;
    const char* text = plist_get_string_ptr(node, &length);
    return text ? std::string(text, static_cast<size_t>(length)) : std::string();
}

// Walks a dictionary node in its own order.
template <typename Visit>
void forEachMember(plist_t dict, Visit visit)
{
    plist_dict_iter iter = nullptr;
    plist_dict_new_iter(dict, &iter);
    if (!iter)
        return;
    for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(dict, iter, &key, &value);
        if (!value) {
            std::free(key);
            break;
        }
        const std::string name = key ? key : "";
        std::free(key);
        visit(name, value);
    }
    std::free(iter);
}

// Text of a value nested in a property-list dictionary: strings as they are,
// numbers in decimal, everything else in a short readable form.
std::string describe(plist_t node, int depth = 0)
{
    switch (plist_get_node_type(node)) {
    case PLIST_STRING:
    case PLIST_KEY: return stringOf(node);
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        // Negative integers are stored in two's complement.
        return std::to_string(static_cast<std::int64_t>(value));
    }
    case PLIST_REAL: {
        double value = 0.0;
        plist_get_real_val(node, &value);
        return shortestDouble(value, false);
    }
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return value ? "1" : "0";
    }
    case PLIST_DATE: {
        int32_t seconds = 0, micro = 0;
        plist_get_date_val(node, &seconds, &micro);
        // Seconds since 2001-01-01 00:00:00 UTC.
        const std::int64_t unixSeconds = static_cast<std::int64_t>(seconds) + 978307200;
        const std::int64_t days = unixSeconds >= 0 ? unixSeconds / 86400 : (unixSeconds - 86399) / 86400;
        const std::int64_t rest = unixSeconds - days * 86400;
        // Civil date from days since 1970-01-01.
        const std::int64_t z = days + 719468;
        const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
        const std::int64_t doe = z - era * 146097;
        const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
        const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
        const std::int64_t mp = (5 * doy + 2) / 153;
        const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
        const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
        const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%04" PRId64 "-%02" PRId64 "-%02" PRId64 " %02" PRId64 ":%02" PRId64
                      ":%02" PRId64 " +0000",
                      year, month, day, rest / 3600, (rest / 60) % 60, rest % 60);
        return buffer;
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        static const char digits[] = "0123456789abcdef";
        std::string text = "<";
        for (uint64_t i = 0; bytes && i < length; ++i) {
            if (i > 0 && i % 4 == 0)
                text += ' ';
            const auto byte = static_cast<unsigned char>(bytes[i]);
            text += digits[byte >> 4];
            text += digits[byte & 15];
        }
        return text + ">";
    }
    case PLIST_ARRAY: {
        if (depth > 16)
            return "(...)";
        std::string text = "(";
        const uint32_t size = plist_array_get_size(node);
        for (uint32_t i = 0; i < size; ++i) {
            text += i ? ", " : "";
            text += describe(plist_array_get_item(node, i), depth + 1);
        }
        return text + ")";
    }
    case PLIST_DICT: {
        if (depth > 16)
            return "{...}";
        std::string text = "{";
        forEachMember(node, [&](const std::string& key, plist_t value) {
            text += key + " = " + describe(value, depth + 1) + "; ";
        });
        return text + "}";
    }
    case PLIST_UID: {
        uint64_t value = 0;
        plist_get_uid_val(node, &value);
        return std::to_string(value);
    }
    default: return {};
    }
}

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
        forEachMember(element, [&](const std::string&, plist_t value) {
            if (plist_get_node_type(value) != PLIST_STRING)
                allStrings = false;
        });
        if (!allStrings)
            return std::nullopt;
        plist_t name = plist_dict_get_item(element, "name");
        if (!name)
            continue;  // an entry without a name adds nothing
        joined += first ? "" : ", ";
        joined += stringOf(name);
        first = false;
    }
    return joined;
}

// Parses XML and binary property lists. A binary list is read through its XML
// form: libplist (2.2) aborts on an assertion when a dictionary key holding a
// NUL byte is read back, which a binary list can carry and its XML form cannot.
plist_t parsePropertyList(std::string_view bytes)
{
    if (bytes.empty() || bytes.size() > std::numeric_limits<uint32_t>::max())
        return nullptr;
    const auto length = static_cast<uint32_t>(bytes.size());
    plist_t parsed = nullptr;
    if (!plist_is_binary(bytes.data(), length)) {
        plist_from_xml(bytes.data(), length, &parsed);
        return parsed;
    }
    plist_t binary = nullptr;
    plist_from_bin(bytes.data(), length, &binary);
    if (!binary)
        return nullptr;
    char* xml = nullptr;
    uint32_t xmlLength = 0;
    plist_to_xml(binary, &xml, &xmlLength);
    plist_free(binary);
    if (!xml)
        return nullptr;
    plist_from_xml(xml, xmlLength, &parsed);
    plist_to_xml_free(xml);
    return parsed;
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
    PlistHandle root(parsePropertyList(bytes));
    if (!root) {
        diagnostic("The data couldn't be read because it isn't in the correct format.");
        return;
    }
    if (plist_get_node_type(root.get()) != PLIST_DICT)
        return;  // only a dictionary at the top carries labelled values
    forEachMember(root.get(), [&](const std::string& key, plist_t value) {
        switch (plist_get_node_type(value)) {
        case PLIST_STRING: labels[key + ".tags"] = stringOf(value); break;
        case PLIST_DICT:
            forEachMember(value, [&](const std::string& inner, plist_t innerValue) {
                labels[inner + "." + key + ".tags"] = describe(innerValue);
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
