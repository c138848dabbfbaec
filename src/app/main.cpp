#include "app/frmjacketeer.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    frmJacketeer w;
    w.show();
    return app.exec();
}
