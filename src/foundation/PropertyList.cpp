#include "foundation/PropertyList.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <vector>

#include <QDateTime>
#include <QTimeZone>

#include "foundation/Numbers.h"

namespace velmora {
namespace {

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
plist_t parseWithinBounds(std::string_view bytes)
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


std::string describe(plist_t node, int depth)
{
    switch (plist_get_node_type(node)) {
    case PLIST_STRING:
    case PLIST_KEY: return propertyListString(node);
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
        const qint64 unixSeconds = static_cast<qint64>(seconds) + 978307200;
        return QDateTime::fromSecsSinceEpoch(unixSeconds, QTimeZone::utc())
            .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss +0000"))
            .toStdString();
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
        forEachPropertyListMember(node, [&](const std::string& key, plist_t value) {
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

}  // namespace

PropertyList parsePropertyList(std::string_view bytes)
{
    return PropertyList(parseWithinBounds(bytes));
}

std::string propertyListString(plist_t node)
{
    uint64_t length = 0;
    const char* text = plist_get_string_ptr(node, &length);
    return text ? std::string(text, static_cast<size_t>(length)) : std::string();
}

void forEachPropertyListMember(plist_t dict, const std::function<void(const std::string&, plist_t)>& visit)
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

std::string describePropertyListValue(plist_t node)
{
    return describe(node, 0);
}

}  // namespace velmora
