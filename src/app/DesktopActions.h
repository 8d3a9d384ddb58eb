#pragma once
// Desktop operations behind the result alert, the rows' menu and the help
// dialog: opening a file with the user's default application, showing files
// in the file manager, opening a web address.

#include <functional>

#include <QString>
#include <QStringList>

namespace velmora::app {

// Opens the file (or folder) with the user's default application, through
// xdg-open when it is installed, else through Qt's desktop services. Returns
// false when neither can open it.
bool openFile(const QString& path);
// Shows the files selected in the file manager (org.freedesktop.FileManager1
// on the session bus); where no file manager answers, opens the first
// file's folder instead. `noOpener` runs when even that cannot be done.
void revealInFileManager(const QStringList& filePaths, const std::function<void()>& noOpener);
// Opens the address when it is a valid absolute URL; returns whether that worked.
bool openWebAddress(const QString& address);

}  // namespace velmora::app
