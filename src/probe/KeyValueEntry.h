#pragma once
#include <string>
#include <vector>

namespace velmora {

// One labelled text of a listing ("key", "value").
struct KeyValueEntry {
    std::string key;
    std::string value;
    bool operator==(const KeyValueEntry&) const = default;
};
using KeyValueList = std::vector<KeyValueEntry>;

}  // namespace velmora
