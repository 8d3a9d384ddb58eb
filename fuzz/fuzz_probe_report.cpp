// Feeds arbitrary bytes to the record fill as if the probe tool had printed
// them, then renders the record the way velmora-cli prints it; the bytes are
// also read as an embedded movie property list.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "foundation/Diagnostics.h"
#include "probe/FileProbe.h"
#include "probe/FormatMetadata.h"
#include "probe/ProbeReport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool quiet = [] {
        velmora::setDiagnosticTarget(velmora::DiagnosticTarget::discard);
        return true;
    }();
    (void)quiet;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The last byte picks the file name, so the plain-text rule is reached too.
    const char* path = (size > 0 && (data[size - 1] & 7) == 0) ? "/fuzz/notes.txt" : "/fuzz/media.mp4";
    const velmora::FileProbe probe = velmora::FileProbe::fromReport(path, 1000000, bytes);
    const std::string text = velmora::fileProbesText({probe}, true);
    if (text.empty())
        __builtin_trap();
    // The same bytes as an embedded movie property list (a media file's own
    // tags carry it, so it is as untrusted as the report).
    std::map<std::string, std::string> labels;
    velmora::expandMovieProperties(bytes, labels);
    return 0;
}
