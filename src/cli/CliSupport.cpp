#include <cstdio>

#include <QDir>
#include <QFileInfo>

#include "cli/Commands.h"

namespace velmora::cli {

void printUsage(FILE* stream)
{
    std::fputs("usage: velmora-cli probe [--tools-dir DIR] [--with-report] FILE...\n"
               "       velmora-cli list [--tools-dir DIR] FILE...\n"
               "       velmora-cli join [-o OUTPUT] [--dry-run] [--verbose] [--tools-dir DIR] FILE...\n",
               stream);
}

int usageError(const std::string& message)
{
    std::fprintf(stderr, "velmora-cli: %s\n", message.c_str());
    printUsage(stderr);
    return kUsageExit;
}

std::string absolutePath(const std::string& path)
{
    const QString p = QString::fromStdString(path);
    if (QDir::isAbsolutePath(p))
        return path;
    // Not cleaned: the path is used as given, only anchored to the current folder.
    return (QDir::currentPath() + QLatin1Char('/') + p).toStdString();
}

}  // namespace velmora::cli
