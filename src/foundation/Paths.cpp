#include "foundation/Paths.h"

#include <QByteArray>
#include <QFile>

#include "foundation/FileSystem.h"

namespace velmora {

QString toQString(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string fromQString(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

std::string lastPathComponent(const std::string& path)
{
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const size_t slash = trimmed.rfind('/');
    if (slash == std::string::npos || trimmed.size() == 1)
        return trimmed;
    return trimmed.substr(slash + 1);
}

std::string lowerExtension(const std::string& path)
{
    const std::string name = lastPathComponent(path);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return {};
    std::string extension = name.substr(dot + 1);
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return extension;
}

std::string baseName(const std::string& path)
{
    const std::string name = lastPathComponent(path);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return name;
    return name.substr(0, dot);
}

std::string parentDirectory(const std::string& path)
{
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const size_t slash = trimmed.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return trimmed.substr(0, slash);
}

std::string absolutePath(const std::string& path)
{
    if (!path.empty() && path.front() == '/')
        return path;
    return currentDirectory() + "/" + path;
}

std::string fileUrlText(const std::string& path)
{
    // Percent-encoded byte by byte, so a name that is not UTF-8 keeps its bytes.
    return "file://" + QByteArray::fromStdString(path).toPercentEncoding("/!$&'()*+,;=:@").toStdString();
}

}  // namespace velmora
