#pragma once
// Desktop operations behind the result and help alerts: opening a file with a
// named application, revealing a file in the file manager, opening a web
// address. Failures are not reported.

#include <optional>

#include <QString>
#include <QStringList>

namespace velmora::app {

struct DesktopEntry {
    QString path;
    QString name;
    QString exec;
};

// An installed application whose desktop entry is named exactly `name`.
std::optional<DesktopEntry> findDesktopEntry(const QString& name, const QStringList& directories);
// The program and arguments of an entry's Exec line for one file.
QStringList execCommandForFile(const QString& exec, const QString& filePath);

// Opens the file with the user's default application; false when nothing
// here opens files.
bool openFile(const QString& filePath);
void revealInFileManager(const QString& filePath);
// Opens the address when it is a valid absolute URL; returns whether it was tried.
bool openWebAddress(const QString& address);

}  // namespace velmora::app
