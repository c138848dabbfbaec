#include "app/commandline.h"
#include "app/frmjacketeer.h"
#include "app/headlessbatch.h"
#include "base/messagebox.h"
#include "base/settings.h"
#include "base/version.h"
#include "widgets/qtmessagebox.h"

#include <QApplication>

#include <cstdio>
#include <unistd.h>

namespace
{

// Prints what the command line asked for instead of running; the exit code.
int answer(const CommandLine &line)
{
    const QByteArray text = line.text.toLocal8Bit();
    const bool failed = line.action == CommandLine::Action::Error;
    std::fputs(text.constData(), failed ? stderr : stdout);
    return failed ? 1 : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication::setOrganizationName(QStringLiteral("Jacketeer"));
    QApplication::setApplicationName(QStringLiteral("Jacketeer"));
    QApplication::setApplicationVersion(QString::fromLatin1(kJacketeerVersion));
    // Matches the installed menu entry, so desktops show its name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("net.jacketeer.Jacketeer"));

    // Help, the version, mistakes in the program's own options and a batch run
    // need no window (nor a display or the web engine).
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine::Action early = CommandLine::parse(arguments, true).action;
    if (early != CommandLine::Action::Run) {
        QCoreApplication app(argc, argv);
        if (early != CommandLine::Action::Batch)
            return answer(CommandLine::parse(QCoreApplication::arguments(), true));
        // A batch opens no window, so no option can be Qt's: anything unknown is a mistake.
        const CommandLine line = CommandLine::parse(QCoreApplication::arguments());
        if (line.action != CommandLine::Action::Batch)
            return answer(line);
        if (!line.settingsFile.isEmpty())
            Settings::useFile(line.settingsFile);
        return runHeadlessBatch(line);
    }

    // Chromium refuses to start its sandbox as root.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    // Qt has taken its own options out by now; anything left must be ours.
    const CommandLine line = CommandLine::parse(QCoreApplication::arguments());
    if (line.action != CommandLine::Action::Run)
        return answer(line);
    if (!line.settingsFile.isEmpty())
        Settings::useFile(line.settingsFile);

    QtMessageBox boxes;
    setMessageBox(&boxes);
    frmJacketeer window;
    window.show();
    const int rc = app.exec();
    setMessageBox(nullptr);
    return rc;
}
