#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QUrl>

#include "BuildConfig.h"
#include "app/AppDelegate.h"
#include "app/DragAndDropView.h"
#include "app/MainWindow.h"
#include "foundation/Diagnostics.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationDisplayName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("app.velmora.Velmora"));
    velmora::setDiagnosticTarget(velmora::DiagnosticTarget::standardOutput);

    velmora::app::AppDelegate delegate;
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &delegate,
                     &velmora::app::AppDelegate::applicationWillTerminate);
    delegate.window->show();
    // Files and folders given on the command line (the desktop's "Open With")
    // go into the list as a drop would.
    QList<QUrl> given;
    for (const QString& argument : QCoreApplication::arguments().mid(1))
        given << QUrl::fromUserInput(argument, QDir::currentPath(), QUrl::AssumeLocalFile);
    QTimer::singleShot(0, &delegate, [&delegate, given] {
        delegate.applicationDidFinishLaunching();
        if (!given.isEmpty())
            delegate.addFiles(velmora::app::DragAndDropView::droppedFileUrls(given));
    });
    return application.exec();
}
