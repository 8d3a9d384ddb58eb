#pragma once
// The report's whole-file sections: the container's properties and tags
// (with the embedded movie property list expanded) and the chapters, as
// flat listings of labelled texts.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "foundation/Json.h"
#include "probe/FileProbe.h"
#include "probe/KeyValueEntry.h"

namespace velmora {

// Container properties and tags, ordered by label; also sets probe.iTunesMetadata.
KeyValueList readFormatMetadata(FileProbe& probe, const JSON& report);
// The file's chapters: title and time range, ordered by time text.
KeyValueList readChapters(const FileProbe& probe);

// Media kind codes of the container's "media_type" tag and their names.
const std::map<std::int64_t, std::string>& mediaTypeNames();
// Expands an embedded movie property list (XML or binary) into labelled texts,
// setting labels[label] for each; prints one line and adds nothing when it does not parse.
void expandMovieProperties(std::string_view bytes, std::map<std::string, std::string>& labels);

}  // namespace velmora
