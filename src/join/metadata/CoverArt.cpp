#include "join/metadata/CoverArt.h"

#include <dirent.h>
#include <sys/stat.h>

#include <fstream>
#include <memory>

#include <QByteArray>
#include <QtEndian>

#include "foundation/Paths.h"

namespace velmora {
namespace {

bool isRegularFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string lowerAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

CoverChoice imageFile(CoverOrigin origin, const std::string& path)
{
    CoverChoice choice;
    choice.origin = origin;
    choice.path = path;
    choice.codec = pictureCodec(path);
    return choice;
}

}  // namespace

std::string CoverChoice::mapSpecifier(int input) const
{
    return std::to_string(input) + ":" + (streamIndex ? std::to_string(*streamIndex) : std::string("v:0"));
}

std::string CoverChoice::mimeType() const
{
    if (codec == "mjpeg")
        return "image/jpeg";
    if (codec == "png")
        return "image/png";
    return {};
}

std::string pictureCodec(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    char head[8] = {};
    in.read(head, sizeof head);
    const std::string bytes(head, static_cast<size_t>(in.gcount()));
    if (bytes.rfind("\xFF\xD8\xFF", 0) == 0)
        return "mjpeg";
    if (bytes == "\x89PNG\r\n\x1A\n")
        return "png";
    return {};
}

std::string vorbisPictureTag(const std::string& imageBytes, const std::string& mimeType)
{
    QByteArray block;
    auto add32 = [&](size_t value) {
        char word[4];
        qToBigEndian(static_cast<quint32>(value), word);
        block.append(word, 4);
    };
    add32(3);  // front cover
    add32(mimeType.size());
    block.append(mimeType.data(), static_cast<qsizetype>(mimeType.size()));
    add32(0);  // no description
    for (int i = 0; i < 4; ++i)
        add32(0);  // width, height, colour depth, palette size: unknown
    add32(imageBytes.size());
    block.append(imageBytes.data(), static_cast<qsizetype>(imageBytes.size()));
    return block.toBase64().toStdString();
}

std::optional<std::string> folderCover(const std::string& folder)
{
    static const char* const preferred[] = {"cover.jpg", "cover.png", "folder.jpg", "front.jpg"};
    const std::string prefix = folder.empty() ? "./" : folder.back() == '/' ? folder : folder + "/";
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(prefix.c_str()), ::closedir);
    if (!dir)
        return std::nullopt;
    // The best match per wanted name; of several spellings the smallest, so the choice does not
    // depend on the directory's order.
    std::optional<std::string> found[std::size(preferred)];
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        const std::string lower = lowerAscii(name);
        for (size_t i = 0; i < std::size(preferred); ++i) {
            if (lower != preferred[i] || (found[i] && *found[i] <= name))
                continue;
            if (isRegularFile(prefix + name))
                found[i] = name;
        }
    }
    for (const auto& name : found)
        if (name)
            return prefix + *name;
    return std::nullopt;
}

CoverChoice chooseCover(const std::vector<RowMetadata>& rows, const std::vector<std::string>& paths,
                        const std::optional<std::string>& userCover)
{
    if (userCover && !userCover->empty())
        return imageFile(CoverOrigin::user, *userCover);
    for (size_t i = 0; i < rows.size() && i < paths.size(); ++i) {
        for (const EmbeddedPicture& picture : rows[i].pictures) {
            if (picture.codec != "mjpeg" && picture.codec != "png")
                continue;
            CoverChoice choice;
            choice.origin = CoverOrigin::embedded;
            choice.path = paths[i];
            choice.streamIndex = picture.streamIndex;
            choice.codec = picture.codec;
            choice.row = i;
            return choice;
        }
    }
    if (!paths.empty())
        if (auto file = folderCover(parentDirectory(paths.front())))
            return imageFile(CoverOrigin::folder, *file);
    return {};
}

}  // namespace velmora
