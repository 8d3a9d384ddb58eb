#pragma once
// Durations as a clock reads them: "4:05", "1:02:03", and "0:02.5" where a
// short file's tenths tell something.

#include <string>

namespace velmora {

// m:ss below an hour, h:mm:ss from an hour, rounded to whole seconds.
std::string clockText(double seconds);
// As clockText, but a duration under a minute keeps its tenths unless they
// are zero: 2.5 s reads "0:02.5", 3.0 s reads "0:03".
std::string durationClockText(double seconds);

}  // namespace velmora
