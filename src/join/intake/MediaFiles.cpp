#include "join/intake/MediaFiles.h"

#include <algorithm>

#include "foundation/Paths.h"

namespace velmora {

const std::vector<MediaFileType>& mediaFileTypes()
{
    // VOB and M4P files are never taken (see the intake rule), so neither
    // extension is listed even where a type would have it.
    static const std::vector<MediaFileType> types{
        {"audio/mpeg", {"mp3", "mpga"}},
        {"audio/mp4", {"m4a", "f4a"}},
        {"audio/x-m4a", {"m4a"}},
        {"audio/x-m4b", {"m4b", "f4b"}},
        {"audio/aac", {"aac", "adts"}},
        {"audio/x-aac", {"aac"}},
        {"audio/flac", {"flac"}},
        {"audio/x-flac", {"flac"}},
        {"audio/x-flac+ogg", {"oga"}},
        {"audio/wav", {"wav"}},
        {"audio/x-wav", {"wav"}},
        {"audio/vnd.wave", {"wav"}},
        {"audio/ogg", {"ogg", "oga", "opus"}},
        {"audio/x-vorbis+ogg", {"ogg", "oga"}},
        {"audio/opus", {"opus"}},
        {"audio/x-opus+ogg", {"opus"}},
        {"audio/x-aiff", {"aiff", "aif"}},
        {"audio/x-aifc", {"aifc"}},
        {"audio/x-ms-wma", {"wma"}},
        {"audio/webm", {"weba"}},
        {"audio/x-matroska", {"mka"}},
        {"audio/ac3", {"ac3"}},
        {"audio/AMR", {"amr"}},
        {"audio/3gpp", {"3ga"}},
        {"audio/mp2", {"mp2"}},
        {"audio/x-ape", {"ape"}},
        {"audio/x-wavpack", {"wv"}},
        {"audio/x-musepack", {"mpc", "mpp"}},
        {"audio/x-tta", {"tta"}},
        {"audio/vnd.dts", {"dts"}},
        {"audio/basic", {"au", "snd"}},
        {"video/mp4", {"mp4", "m4v", "f4v"}},
        {"video/x-m4v", {"m4v"}},
        {"video/quicktime", {"mov", "qt"}},
        {"video/x-matroska", {"mkv"}},
        {"video/webm", {"webm"}},
        {"video/x-msvideo", {"avi", "divx"}},
        {"video/mpeg", {"mpg", "mpeg", "mpe"}},
        {"video/mp2t", {"ts", "m2ts", "mts", "m2t"}},
        {"video/3gpp", {"3gp", "3gpp"}},
        {"video/3gpp2", {"3g2", "3gp2"}},
        {"video/ogg", {"ogv"}},
        {"video/x-ogm+ogg", {"ogm"}},
        {"video/x-flv", {"flv"}},
        {"video/x-ms-wmv", {"wmv"}},
        {"video/dv", {"dv"}},
    };
    return types;
}

const std::vector<std::string>& mediaFileExtensions()
{
    static const std::vector<std::string> extensions = [] {
        std::vector<std::string> all;
        for (const MediaFileType& type : mediaFileTypes()) {
            for (const std::string& extension : type.extensions) {
                if (std::find(all.begin(), all.end(), extension) == all.end())
                    all.push_back(extension);
            }
        }
        return all;
    }();
    return extensions;
}

bool hasMediaFileExtension(const std::string& path)
{
    const std::string extension = lowerExtension(path);
    if (extension.empty())
        return false;
    const auto& known = mediaFileExtensions();
    return std::find(known.begin(), known.end(), extension) != known.end();
}

}  // namespace velmora
