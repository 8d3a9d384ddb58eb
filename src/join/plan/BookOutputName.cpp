#include "join/plan/BookOutputName.h"

#include <set>

#include <QString>

#include "join/metadata/AlbumMetadata.h"

namespace velmora {

std::string safeFileName(const std::string& text)
{
    std::string name;
    name.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool refused = byte < 0x20 || byte == 0x7f || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
        name += refused ? '_' : c;
    }
    const size_t first = name.find_first_not_of(" .");
    if (first == std::string::npos)
        return "_";
    const size_t last = name.find_last_not_of(" .");
    return name.substr(first, last - first + 1);
}

std::string bookOutputName(const std::vector<RowMetadata>& parts, const std::string& folderName)
{
    const AlbumMetadata album = albumMetadata(parts);
    const auto found = album.tags.find("album");
    return safeFileName(found != album.tags.end() && !found->second.empty() ? found->second : folderName);
}

std::vector<std::string> distinctNames(const std::vector<std::string>& names)
{
    std::set<QString> taken;
    std::vector<std::string> result;
    for (const std::string& name : names) {
        std::string candidate = name;
        for (int n = 2; !taken.insert(QString::fromStdString(candidate).toCaseFolded()).second; ++n)
            candidate = name + " (" + std::to_string(n) + ")";
        result.push_back(candidate);
    }
    return result;
}

}  // namespace velmora
