#include "app/frmjacketeer.h"
#include "base/messagebox.h"
#include "widgets/qtmessagebox.h"

#include <QApplication>

#include <unistd.h>

int main(int argc, char *argv[])
{
    // Chromium refuses to start its sandbox as root.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication::setOrganizationName(QStringLiteral("Jacketeer"));
    QApplication::setApplicationName(QStringLiteral("Jacketeer"));
    QApplication app(argc, argv);
    QtMessageBox boxes;
    setMessageBox(&boxes);

    frmJacketeer window;
    window.show();
    const int rc = app.exec();
    setMessageBox(nullptr);
    return rc;
}
