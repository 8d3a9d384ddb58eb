#pragma once
// Property lists for tests: an XML list around a dictionary body, and binary
// lists nested or fanned out to any size.

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

inline std::string xmlPlist(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + body + "</dict></plist>\n";
}

// A binary list {"a": [[...]]} of `levels` arrays, each referring `fanOut`
// times to the next (a fan-out of 2 doubles the expanded tree per level).
inline std::string nestedBinaryList(int levels, int fanOut)
{
    auto be = [](std::uint64_t v, int n) { std::string s; while (n--) s += char(v >> (8 * n)); return s; };
    std::vector<std::string> objects{"\xd1" + be(1, 4) + be(2, 4), "\x51" "a"};
    for (int i = 0; i < levels; ++i) {
        objects.push_back(std::string(1, char(0xa0 | (i == levels - 1 ? 0 : fanOut))));
        for (int k = 0; k < fanOut && i < levels - 1; ++k)
            objects.back() += be(3 + i, 4);
    }
    std::string bytes = "bplist00", table;
    for (const auto& object : objects)
        table += be(bytes.size(), 8), bytes += object;
    return bytes + table + std::string(6, '\0') + "\x08\x04" + be(objects.size(), 8) + be(0, 8) + be(bytes.size(), 8);
}

}  // namespace testsupport
