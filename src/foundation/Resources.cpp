#include "foundation/Resources.h"

#include <unistd.h>

#include <mutex>

#include <QDir>
#include <QFileInfo>

#include "BuildConfig.h"

namespace velmora {
namespace {

std::mutex g_mutex;
std::string g_override;

std::string executableDirectory()
{
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    return QFileInfo(self.canonicalFilePath()).absolutePath().toStdString();
}

std::string defaultToolsDirectory()
{
    const QString exeDir = QString::fromStdString(executableDirectory());
    const QString beside = exeDir + QStringLiteral("/" VELMORA_RESOURCES_DIR_NAME);
    if (QFileInfo(beside).isDir())
        return beside.toStdString();
    const QString installed = QDir::cleanPath(exeDir + QStringLiteral("/../" VELMORA_INSTALL_RESOURCES_DIR));
    if (QFileInfo(installed).isDir())
        return installed.toStdString();
    return beside.toStdString();
}

}  // namespace

void setToolsDirectory(const std::string& directory)
{
    std::lock_guard lock(g_mutex);
    g_override = directory.empty() ? std::string() : QDir(QString::fromStdString(directory)).absolutePath().toStdString();
}

std::string toolsDirectory()
{
    {
        std::lock_guard lock(g_mutex);
        if (!g_override.empty())
            return g_override;
    }
    return defaultToolsDirectory();
}

std::optional<std::string> resourcePath(const std::string& name)
{
    const std::string path = toolsDirectory() + "/" + name;
    if (QFileInfo::exists(QString::fromStdString(path)))
        return path;
    return std::nullopt;
}

}  // namespace velmora
