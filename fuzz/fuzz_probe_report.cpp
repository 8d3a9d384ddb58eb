// Feeds arbitrary bytes to the record fill as if the probe tool had printed
// them, then renders the record the way velmora-cli prints it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "foundation/Diagnostics.h"
#include "probe/FileProbe.h"
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
    return 0;
}
