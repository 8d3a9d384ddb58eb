#pragma once
// Property lists (XML or binary) read through libplist, hardened against
// hostile input: a list whose tree would be too deep or too large, or whose
// binary form refers in a cycle, is refused before libplist builds it.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <plist/plist.h>

namespace velmora {

struct PropertyListDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PropertyList = std::unique_ptr<void, PropertyListDeleter>;

// The parsed list, or null when the bytes are not a readable property list
// or exceed the bounds.
PropertyList parsePropertyList(std::string_view bytes);

// The text of a string or key node ("" for other nodes).
std::string propertyListString(plist_t node);
// Every member of a dictionary node, in the dictionary's own order.
void forEachPropertyListMember(plist_t dict, const std::function<void(const std::string& key, plist_t value)>& visit);
// A node as text: strings as they are, numbers in decimal, booleans as 1 or
// 0, dates as "YYYY-MM-DD hh:mm:ss +0000", data as hex, containers in a
// short readable form.
std::string describePropertyListValue(plist_t node);

}  // namespace velmora
