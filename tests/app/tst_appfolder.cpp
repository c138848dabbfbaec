#include "base/appfolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Where an installed program keeps its scratch files.
class tst_AppFolder : public QObject
{
    Q_OBJECT
private slots:
    void scratchFolder_data();
    void scratchFolder();
};

void tst_AppFolder::scratchFolder_data()
{
    QTest::addColumn<QString>("program"); // the program's folder, below the test folder
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("dataHome"); // $XDG_DATA_HOME: "" unset, "abs" or "relative"
    QTest::addColumn<QString>("expected"); // "program" or the data folder below the test folder

    QTest::newRow("build folder") << "build" << false << "abs"
                                  << "program";
    QTest::newRow("unpacked copy") << "Jacketeer 3" << false << ""
                                   << "program";
    QTest::newRow("installed, bin writable") << "usr/bin" << false << "abs"
                                             << "data/Jacketeer";
    QTest::newRow("read-only folder") << "opt/jacketeer" << true << "abs"
                                      << "data/Jacketeer";
    QTest::newRow("no data home set") << "local/bin" << false << ""
                                      << "home/.local/share/Jacketeer";
    QTest::newRow("relative data home ignored") << "local/bin" << false << "relative"
                                                << "home/.local/share/Jacketeer";
}

void tst_AppFolder::scratchFolder()
{
    QFETCH(QString, program);
    QFETCH(bool, readOnly);
    QFETCH(QString, dataHome);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(program);
    QVERIFY(QDir().mkpath(folder));
    if (readOnly) {
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        if (QFileInfo(folder).isWritable())
            QSKIP("permissions do not bind this user (root)");
    }
    qputenv("HOME", dir.filePath("home").toLocal8Bit());
    if (dataHome.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", dataHome == "abs" ? dir.filePath("data").toLocal8Bit() : "data");

    QCOMPARE(appFolderFor(folder), expected == "program" ? folder : dir.filePath(expected));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QTEST_GUILESS_MAIN(tst_AppFolder)
#include "tst_appfolder.moc"
