#include <cstring>
#include <memory>

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include "BuildConfig.h"
#include "app/AppDelegate.h"
#include "app/StartupFiles.h"
#include "foundation/Diagnostics.h"
#include "foundation/Resources.h"
#include "foundation/StandardStreams.h"

namespace {

void describeArguments(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral("Joins audio files (and audio with video) into one file."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Files, folders or playlists (.m3u, .m3u8) to add to the list."),
                                 QStringLiteral("[FILE...]"));
}

// --help and --version answer on the terminal, without needing a display.
bool asksForHelpOrVersion(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"-h", "--help", "--help-all", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
        if (std::strcmp(argv[i], "--") == 0)
            break;
    }
    return false;
}

void nameTheApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Velmora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
}

}  // namespace

int main(int argc, char* argv[])
{
    // Before anything opens a file: a closed standard stream would hand its
    // number to that file.
    velmora::reopenClosedStandardStreams();
    if (asksForHelpOrVersion(argc, argv)) {
        QCoreApplication terminal(argc, argv);
        nameTheApplication();
        QCommandLineParser parser;
        describeArguments(parser);
        parser.process(terminal);  // prints and exits
        return 0;
    }

    QApplication application(argc, argv);
    // The tools' folder is found beside the program file now, while that is
    // still the file that runs (an upgrade may replace it during a long run).
    velmora::toolsDirectory();
    nameTheApplication();
    QApplication::setApplicationDisplayName(QStringLiteral("Velmora"));
    QApplication::setDesktopFileName(QStringLiteral("app.velmora.Velmora"));
    velmora::setDiagnosticTarget(velmora::DiagnosticTarget::loggingCategory);
    QCommandLineParser parser;
    describeArguments(parser);
    parser.process(application);

    velmora::app::AppDelegate delegate;
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &delegate,
                     &velmora::app::AppDelegate::applicationWillTerminate);
    delegate.showWindow();
    const QList<QUrl> files = velmora::app::startupFileUrls(parser.positionalArguments());
    QTimer::singleShot(0, &delegate, [&delegate, files] {
        delegate.applicationDidFinishLaunching();
        if (!files.isEmpty())
            delegate.addFiles(files);
    });
    return application.exec();
}
