#pragma once
// The probe record as JSON, as `velmora-cli probe` prints it.

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "probe/FileProbe.h"

namespace velmora {

nlohmann::json keyValueListJson(const KeyValueList& list);
nlohmann::json trackInfoJson(const TrackInfo& track);
nlohmann::json fileProbeJson(const FileProbe& probe, bool withReport);
// An indented JSON array of records; invalid UTF-8 in a text is replaced.
std::string fileProbesText(const std::vector<FileProbe>& probes, bool withReport);

}  // namespace velmora
