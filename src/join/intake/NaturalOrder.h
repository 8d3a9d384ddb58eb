#pragma once
// Names in the order people expect: letters compared without regard to case
// or spaces, runs of digits by their value, so "part2" comes before "part 3"
// and "part10".

#include <string>

namespace velmora {

// Negative, zero or positive as `a` sorts before, with or after `b`. Names
// that differ only in case or in leading zeros are ordered by their bytes,
// so only equal names compare equal.
int naturalCompare(const std::string& a, const std::string& b);
bool naturalLess(const std::string& a, const std::string& b);
// Paths compared folder by folder, each component naturally: "Disc 1/Track 2"
// comes before "Disc 2/Track 1", and "Disc 2/Track 1" before "Disc 10/Track 1".
int naturalPathCompare(const std::string& a, const std::string& b);
bool naturalPathLess(const std::string& a, const std::string& b);

}  // namespace velmora
