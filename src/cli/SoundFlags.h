#pragma once
// The join command's sound options: --loudness, --target-lufs, --gap,
// --trim-silence and --silence-threshold.

#include <string>
#include <variant>

#include "cli/CommandLine.h"
#include "join/plan/SoundOptions.h"

namespace velmora::cli {

// The options given, over the defaults; the message for a value out of range.
std::variant<SoundOptions, std::string> readSoundFlags(const CommandLine& line);

}  // namespace velmora::cli
