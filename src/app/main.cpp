#include <QApplication>
#include <QTimer>

#include "BuildConfig.h"
#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "foundation/Diagnostics.h"
#include "foundation/StandardStreams.h"

int main(int argc, char* argv[])
{
    // Before anything opens a file: a closed standard stream would hand its
    // number to that file.
    velmora::reopenClosedStandardStreams();
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
    QTimer::singleShot(0, &delegate, &velmora::app::AppDelegate::applicationDidFinishLaunching);
    return application.exec();
}
