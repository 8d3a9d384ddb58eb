#include "join/plan/OutputRule.h"

#include <algorithm>

namespace velmora {

std::string outputExtension(const std::vector<FileRow>& rows)
{
    if (rows.empty())
        return ".mp4";
    auto all = [&](auto test) { return std::all_of(rows.begin(), rows.end(), [&](const FileRow& r) { return test(r.kind); }); };
    if (all([](MediaKind k) { return k == MediaKind::audio; }))
        return ".mp3";
    // Silent clips join with clips that have sound: the plan gives them silence.
    if (all(hasPicture))
        return ".mp4";
    return ".ext";
}

bool isJoinableList(const std::vector<FileRow>& rows)
{
    return outputExtension(rows) != ".ext";
}

JoinMedia joinMedia(const std::vector<FileRow>& rows)
{
    std::vector<MediaKind> kinds;
    for (const FileRow& row : rows)
        kinds.push_back(row.kind);
    return joinMediaOf(kinds);
}

std::string joiningTitle(JoinMedia media)
{
    return "Joining " + joinMediaName(media) + "...";
}

}  // namespace velmora
