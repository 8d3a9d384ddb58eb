#pragma once
// The probe record as JSON, as `velmora-cli probe` prints it.

#include <nlohmann/json.hpp>

#include "probe/FileProbe.h"

namespace velmora {

nlohmann::json keyValueListJson(const KeyValueList& list);
nlohmann::json trackInfoJson(const TrackInfo& track);
nlohmann::json fileProbeJson(const FileProbe& probe, bool withReport);

}  // namespace velmora
