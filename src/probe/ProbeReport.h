#pragma once
// The probe record as JSON, as `velmora-cli probe` prints it.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "probe/FileProbe.h"

namespace velmora {

nlohmann::json keyValueListJson(const KeyValueList& list);
nlohmann::json trackInfoJson(const TrackInfo& track);
// One record as indented JSON text for a place `depth` levels deep, handed
// to `write` piece by piece, so that a record with many tracks is never held
// as one document. Invalid UTF-8 in a text is replaced.
void writeFileProbeJson(const FileProbe& probe, bool withReport, int depth,
                        const std::function<void(std::string_view)>& write);
// An indented JSON array of records; invalid UTF-8 in a text is replaced.
std::string fileProbesText(const std::vector<FileProbe>& probes, bool withReport);

}  // namespace velmora
