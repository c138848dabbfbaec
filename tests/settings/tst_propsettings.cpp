#include "settings/propsettings.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(PropField)

class tst_PropSettings : public QObject
{
    Q_OBJECT

private slots:
    void preview_data()
    {
        QTest::addColumn<QString>("templ");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("default") << "folder" << "folder.jpg";
        QTest::newRow("artist and album") << "@artist@ - @album@" << "Metallica - Black.jpg";
        QTest::newRow("folder") << "@folder@" << "Metallica - Black.jpg";
        QTest::newRow("blanks trimmed") << "  @album@  " << "Black.jpg";
        // The preview shows the name a save would really write (the template's
        // rules are tst_quicksave's target test).
        QTest::newRow("cleaned as Quick Save cleans") << "AC/DC: <Live>?" << "AC-DC- -Live--.jpg";
        // clang-format on
    }

    void preview()
    {
        QFETCH(QString, templ);
        QTEST(PropSettings::previewName(templ), "expected");
    }

    void depth_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<qint64>("value");
        // clang-format off
        QTest::newRow("trailing letter") << "3x" << "3" << qint64(3);
        QTest::newRow("emptied") << "" << "0" << qint64(0);
        QTest::newRow("letter first") << "x3" << "0" << qint64(0);
        QTest::newRow("trailing point") << "3." << "3" << qint64(3);
        QTest::newRow("fraction dropped") << "3.7" << "3" << qint64(3);
        QTest::newRow("leading zeros and blanks") << "  007" << "7" << qint64(7);
        QTest::newRow("negative") << "-2" << "-2" << qint64(-2);
        QTest::newRow("lone sign") << "-" << "0" << qint64(0);
        QTest::newRow("above 16 bits") << "40000" << "40000" << qint64(40000);
        QTest::newRow("far too long saturates") << "123456789012345678901234567890"
                                                << "123456789012345678901234567890" << qint64(999999999);
        // clang-format on
    }

    void depth()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(PropSettings::depthText(text), expected);
        QTEST(PropSettings::depthValue(text), "value");
        QCOMPARE(PropSettings::depthText(expected), expected);
    }

    void check_data()
    {
        QTest::addColumn<QString>("cd");
        QTest::addColumn<QString>("dvd");
        QTest::addColumn<QString>("depth");
        QTest::addColumn<PropField>("failed");
        QTest::addColumn<QString>("cdAfter");
        QTest::addColumn<QString>("dvdAfter");
        const PropField ok = PropField::None;
        // "@" stands for a temporary folder holding "music", "films" and "music/track.mp3".
        // clang-format off
        QTest::newRow("existing roots") << "@/music" << "@/films" << "2" << ok << "@/music" << "@/films";
        QTest::newRow("one trailing separator removed") << " @/music/ " << "@/films//" << "1" << ok << "@/music" << "@/films/";
        QTest::newRow("root stays root") << "/" << " / " << "1" << ok << "/" << " / ";
        QTest::newRow("emptied roots become None") << "   " << "" << "1" << ok << "None" << "None";
        QTest::newRow("none in any case not checked") << "none" << " NoNe " << "1" << ok << "none" << " NoNe ";
        QTest::newRow("missing cd root") << "@/nowhere" << "@/nowhere" << "1" << PropField::CDPath << "@/nowhere" << "@/nowhere";
        QTest::newRow("missing dvd root") << "@/music/" << "@/nowhere/" << "1" << PropField::DVDPath << "@/music" << "@/nowhere";
        QTest::newRow("a file is not a folder") << "@/music/track.mp3" << "None" << "1" << PropField::CDPath << "@/music/track.mp3" << "None";
        QTest::newRow("roots checked before depth") << "@/nowhere" << "None" << "0" << PropField::CDPath << "@/nowhere" << "None";
        QTest::newRow("depth zero") << "None" << "None" << "0" << PropField::DVDName << "None" << "None";
        QTest::newRow("depth largest") << "None" << "None" << "32767" << ok << "None" << "None";
        QTest::newRow("depth beyond 16 bits") << "None" << "None" << "32768" << PropField::DVDName << "None" << "None";
        // clang-format on
    }

    void check()
    {
        QFETCH(QString, cd);
        QFETCH(QString, dvd);
        QFETCH(QString, depth);
        QFETCH(PropField, failed);
        QFETCH(QString, cdAfter);
        QFETCH(QString, dvdAfter);

        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("music")));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("films")));
        QFile track(dir.filePath(QStringLiteral("music/track.mp3")));
        QVERIFY(track.open(QIODevice::WriteOnly));
        const auto at = [&dir](QString s) { return s.replace(QLatin1Char('@'), dir.path()); };

        PropValues v;
        v.cdPath = at(cd);
        v.dvdPath = at(dvd);
        v.dvdName = depth;
        const PropCheckFailure failure = PropSettings::check(v, &PropSettings::folderExists);
        QCOMPARE(failure.field, failed);
        const QMap<PropField, QPair<QString, QString>> messages{
            {PropField::None, {}},
            {PropField::CDPath, {"Batch CD Directory does not exist.", "Batch CD Error"}},
            {PropField::DVDPath, {"Batch DVD Directory does not exist.", "Batch DVD Error"}},
            {PropField::DVDName,
             {"Dvd name must be atleast one directory past path.", "Batch DVD Error"}}};
        QCOMPARE(failure.text, messages[failed].first);
        QCOMPARE(failure.title, messages[failed].second);
        QCOMPARE(v.cdPath, at(cdAfter));
        QCOMPARE(v.dvdPath, at(dvdAfter));
    }

    void driveLetterOnlyWhenFolderKeepsExisting()
    {
        QSet<QString> folders{QStringLiteral("d:/music"), QStringLiteral("D:/music"),
                              QStringLiteral("e:/films"), QStringLiteral("/home/x"),
                              QStringLiteral("/Home/x")};
        const auto exists = [&folders](const QString &p) { return folders.contains(p); };
        PropValues v;
        v.cdPath = QStringLiteral("d:/music/");
        v.dvdPath = QStringLiteral("e:/films");
        QVERIFY(!PropSettings::check(v, exists).failed());
        QCOMPARE(v.cdPath, QStringLiteral("D:/music"));
        // "E:/films" is not there: upper-casing would point the root elsewhere.
        QCOMPARE(v.dvdPath, QStringLiteral("e:/films"));
        // A Linux path's first letter is never touched.
        QCOMPARE(PropSettings::upperDriveLetter(QStringLiteral("/home/x"), exists),
                 QStringLiteral("/home/x"));
    }
};

QTEST_GUILESS_MAIN(tst_PropSettings)
#include "tst_propsettings.moc"
