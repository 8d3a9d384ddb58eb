#pragma once
// The window's file dialogs: files or a folder to add, a list to open, where
// to save the list. Each opens window-modal, remembers its folder, and hands
// the answer on only when the user confirms.

#include <functional>

#include <QList>
#include <QString>
#include <QUrl>

class QWidget;

namespace velmora::app {

// Media files, in natural order of their paths (the dialog's own order is
// no use: part17 after part169).
void askForFiles(QWidget* parent, std::function<void(QList<QUrl>)> done);
// One folder, under the given title.
void askForFolder(QWidget* parent, const QString& title, std::function<void(QString)> done);
// An .m3u or .m3u8 list to open.
void askForList(QWidget* parent, std::function<void(QString)> done);
// Where to save the list as .m3u8 (an absolute path).
void askWhereToSaveList(QWidget* parent, std::function<void(QString)> done);

}  // namespace velmora::app
