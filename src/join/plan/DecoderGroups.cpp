#include "join/plan/DecoderGroups.h"

namespace velmora {

std::vector<size_t> decoderGroups(const std::vector<long long>& frames, int sampleRate)
{
    constexpr long long kShortPartSeconds = 120;
    constexpr long long kGroupSeconds = 300;
    constexpr size_t kGroupParts = 64;
    std::vector<size_t> spans(frames.size(), 0);
    const long long rate = sampleRate > 0 ? sampleRate : 1;
    const auto shortPart = [&](size_t i) { return frames[i] > 0 && frames[i] <= kShortPartSeconds * rate; };
    for (size_t i = 0; i < frames.size();) {
        size_t n = 1;
        long long sound = frames[i];
        if (shortPart(i)) {
            while (i + n < frames.size() && n < kGroupParts && shortPart(i + n) &&
                   sound + frames[i + n] <= kGroupSeconds * rate)
                sound += frames[i + n++];
        }
        spans[i] = n;
        i += n;
    }
    return spans;
}

}  // namespace velmora
