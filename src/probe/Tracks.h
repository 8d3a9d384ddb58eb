#pragma once
// The per-stream walk of a probe report: every stream is classified and
// described, and the record's track counters and first summaries are set.

#include "probe/FileProbe.h"

namespace velmora {

void readTracks(FileProbe& probe);

}  // namespace velmora
