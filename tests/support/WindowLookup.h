#pragma once
// The application's window and its list, found as a user's tools find them:
// by object name (the controller keeps its widgets to itself).

#include <QApplication>
#include <QWidget>

#include "app/FileListController.h"
#include "app/MainWindow.h"

namespace testsupport {

inline velmora::app::MainWindow* findMainWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<velmora::app::MainWindow*>(widget); window && window->objectName() == "window")
            return window;
    return nullptr;
}

// The list the application controller `owner` keeps.
inline velmora::app::FileListController* findFileList(QObject& owner)
{
    return owner.findChild<velmora::app::FileListController*>(QStringLiteral("mainArrayController"));
}

}  // namespace testsupport
