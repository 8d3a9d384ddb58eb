#include <algorithm>
#include <vector>
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

// Bounds on the tree a property list may make. libplist (2.2) frees and
// converts trees recursively, so a deep list would exhaust the stack, and it
// expands shared objects of a binary list, so a few references to references
// would make an exponentially large tree.
constexpr int kMaxListDepth = 256;
constexpr std::uint64_t kMaxListNodes = 100000;

// Nesting of <array> and <dict> elements in an XML list.
bool xmlListWithinBounds(std::string_view text)
{
    int depth = 0;
    for (size_t pos = text.find('<'); pos != std::string_view::npos; pos = text.find('<', pos + 1)) {
        const std::string_view rest = text.substr(pos + 1);
        const bool closing = !rest.empty() && rest[0] == '/';
        const std::string_view name = rest.substr(closing ? 1 : 0);
        size_t length = 0;
        if (name.substr(0, 5) == "array")
            length = 5;
        else if (name.substr(0, 4) == "dict")
            length = 4;
        else
            continue;
        if (name.size() > length && name[length] != '>' && name[length] != '/' && name[length] != ' ' &&
            name[length] != '\t' && name[length] != '\r' && name[length] != '\n')
            continue;  // another element whose name merely starts the same
        const size_t end = text.find('>', pos);
        const bool selfClosing = end != std::string_view::npos && end > pos && text[end - 1] == '/';
        if (closing)
            --depth;
        else if (!selfClosing && ++depth > kMaxListDepth)
            return false;
    }
    return true;
}

std::uint64_t bigEndian(const unsigned char* p, size_t size)
{
    std::uint64_t value = 0;
    for (size_t i = 0; i < size; ++i)
        value = (value << 8) | p[i];
    return value;
}

// Walks the object graph of a binary list ("bplist00") without building it:
// the tree it expands to must be small and shallow, and free of cycles.
bool binaryListWithinBounds(std::string_view bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::uint64_t size = bytes.size();
    if (size < 8 + 32)
        return false;
    const unsigned char* trailer = data + size - 32;
    const size_t offsetSize = trailer[6];
    const size_t refSize = trailer[7];
    const std::uint64_t objectCount = bigEndian(trailer + 8, 8);
    const std::uint64_t top = bigEndian(trailer + 16, 8);
    const std::uint64_t tableOffset = bigEndian(trailer + 24, 8);
    if (offsetSize < 1 || offsetSize > 8 || refSize < 1 || refSize > 8 || objectCount == 0 ||
        top >= objectCount || tableOffset < 8 || tableOffset >= size - 32 ||
        objectCount > (size - 32 - tableOffset) / offsetSize)
        return false;

    // The child references of one object; false when they do not fit the data.
    auto children = [&](std::uint64_t object, std::vector<std::uint64_t>& refs) {
        refs.clear();
        const std::uint64_t offset = bigEndian(data + tableOffset + object * offsetSize, offsetSize);
        if (offset < 8 || offset >= tableOffset)
            return false;
        const unsigned marker = data[offset];
        const unsigned type = marker >> 4;
        if (type != 0xA && type != 0xC && type != 0xD)
            return true;  // not a container
        std::uint64_t count = marker & 0xF;
        std::uint64_t pos = offset + 1;
        if (count == 0xF) {
            if (pos >= tableOffset || (data[pos] >> 4) != 0x1 || (data[pos] & 0xF) > 3)
                return false;
            const size_t intSize = size_t(1) << (data[pos] & 0xF);
            if (pos + 1 + intSize > tableOffset)
                return false;
            count = bigEndian(data + pos + 1, intSize);
            pos += 1 + intSize;
        }
        const std::uint64_t refCount = type == 0xD ? count * 2 : count;
        if (count > size || refCount > (tableOffset - pos) / refSize)
            return false;
        refs.reserve(static_cast<size_t>(refCount));
        for (std::uint64_t i = 0; i < refCount; ++i) {
            const std::uint64_t ref = bigEndian(data + pos + i * refSize, refSize);
            if (ref >= objectCount)
                return false;
            refs.push_back(ref);
        }
        return true;
    };

    // Depth-first over the graph with an explicit stack; every object's
    // expanded node count and depth is computed once.
    enum : unsigned char { unseen, open, done };
    std::vector<unsigned char> state(static_cast<size_t>(objectCount), unseen);
    std::vector<std::uint64_t> nodes(static_cast<size_t>(objectCount), 0);
    std::vector<int> depth(static_cast<size_t>(objectCount), 0);
    struct Frame {
        std::uint64_t object;
        std::vector<std::uint64_t> refs;
        size_t next = 0;
    };
    std::vector<Frame> stack;
    auto push = [&](std::uint64_t object) {
        Frame frame{object, {}, 0};
        if (!children(object, frame.refs))
            return false;
        state[object] = open;
        stack.push_back(std::move(frame));
        return static_cast<int>(stack.size()) <= kMaxListDepth;
    };
    if (!push(top))
        return false;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next < frame.refs.size()) {
            const std::uint64_t child = frame.refs[frame.next++];
            if (state[child] == open)
                return false;  // a cycle
            if (state[child] == unseen && !push(child))
                return false;
            continue;
        }
        std::uint64_t total = 1;
        int deepest = 0;
        for (const std::uint64_t child : frame.refs) {
            total += nodes[child];
            deepest = std::max(deepest, depth[child]);
            if (total > kMaxListNodes)
                return false;
        }
        nodes[frame.object] = total;
        depth[frame.object] = deepest + 1;
        if (depth[frame.object] > kMaxListDepth)
            return false;
        state[frame.object] = done;
        stack.pop_back();
    }
    return true;
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
        if (xmlListWithinBounds(bytes))
            plist_from_xml(bytes.data(), length, &parsed);
        return parsed;
    }
    if (!binaryListWithinBounds(bytes))
        return nullptr;
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
