// The pacer on a fake clock: which failures are asked for again, after how
// long, how requests to one host are spaced, and that a cancel ends a wait.

#include "base/requestpacer.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

namespace
{

// Answers each attempt from a script of "200", "503", "429|5" (with
// Retry-After), "reset" or "timeout", 100 ms of fake time each; notes when
// each attempt started.
struct Script : IPageSource {
    QStringList answers;
    qint64 now = 0;
    QStringList starts;

    DownloadResult next()
    {
        starts << QString::number(now);
        now += 100;
        const QStringList parts =
            answers.isEmpty() ? QStringList{"200"} : answers.takeFirst().split('|');
        DownloadResult r;
        r.httpStatus = parts[0].toInt();
        r.status = r.httpStatus == 200     ? DownloadResult::Status::Ok
                   : parts[0] == "timeout" ? DownloadResult::Status::TimedOut
                                           : DownloadResult::Status::HttpError;
        r.retryAfter = parts.value(1).toLatin1();
        r.connectionReset = parts[0] == "reset";
        return r;
    }
    LoadedPage load(const QString &) override
    {
        const DownloadResult r = next();
        const bool late = r.status == DownloadResult::Status::TimedOut;
        return {r.ok(), {}, {}, r.httpStatus, r.retryAfter, r.connectionReset, late};
    }
};

} // namespace

class tst_RequestPacer : public QObject
{
    Q_OBJECT
private slots:
    void script_data()
    {
        QTest::addColumn<int>("intervalMs");
        QTest::addColumn<QString>("urls"); // without "http://"; "pic:" marks a download
        QTest::addColumn<QString>("answers");
        QTest::addColumn<int>("cancelAt"); // the user cancels during this wait (1-based)
        QTest::addColumn<QString>("starts");
        QTest::addColumn<bool>("lastOk");
        const QString one = "shop/x";
        // clang-format off
        QTest::newRow("503 twice then success") << 0 << one << "503;503;200" << 0 << "0;2100;10200" << true;
        QTest::newRow("429 with Retry-After") << 0 << one << "429|5;200" << 0 << "0;5100" << true;
        QTest::newRow("Retry-After capped at a minute") << 0 << one << "503| 3600 ;200" << 0 << "0;60100" << true;
        QTest::newRow("Retry-After as a date is not read")
            << 0 << one << "503|Wed, 21 Oct 2015 07:28:00 GMT;200" << 0 << "0;2100" << true;
        QTest::newRow("reset then success") << 0 << one << "reset;200" << 0 << "0;2100" << true;
        QTest::newRow("time-out then success") << 0 << one << "timeout;200" << 0 << "0;2100" << true;
        QTest::newRow("three failures count as failed") << 0 << one << "503;reset;timeout;200" << 0 << "0;2100;10200" << false;
        QTest::newRow("server error is not asked again") << 0 << one << "500|1;200" << 0 << "0" << false;
        // The next address waits out the last Retry-After; another host does not.
        QTest::newRow("Retry-After holds the host")
            << 0 << "a/1;b/1;a/2"
            << "503|5;503|5;503|5" << 0 << "0;5100;10200;10300;15300" << true;
        QTest::newRow("a retry keeps the interval") << 3000 << one << "503|0;200" << 0 << "0;3000" << true;
        QTest::newRow("same host spaced") << 1000 << "a/1;a/2;a/3" << QString() << 0 << "0;1000;2000" << true;
        QTest::newRow("pages and pictures share the host") << 1000 << "a/1;pic:a/1.jpg" << QString() << 0 << "0;1000" << true;
        QTest::newRow("another host is not held") << 1000 << "a/1;b/1;a/2" << QString() << 0 << "0;100;1000" << true;
        QTest::newRow("host names ignore case") << 1000 << "A/1;a:80/2" << QString() << 0 << "0;1000" << true;
        QTest::newRow("zero turns pacing off") << 0 << "a/1;a/2" << QString() << 0 << "0;100" << true;
        QTest::newRow("cancel in a retry wait") << 0 << one << "503;200" << 1 << "0" << false;
        QTest::newRow("cancel in the host's wait") << 1000 << "a/1;a/2;pic:a/3" << QString() << 1 << "0" << false;
        // clang-format on
    }

    void script()
    {
        QFETCH(int, intervalMs);
        QFETCH(QString, urls);
        QFETCH(QString, answers);
        QFETCH(int, cancelAt);
        QFETCH(QString, starts);
        // Each row runs as pages, then with every request a picture download.
        for (const bool pictures : {false, true}) {
            Script script;
            script.answers = answers.split(';', Qt::SkipEmptyParts);
            RequestPacer pacer(intervalMs, &script);
            pacer.setDownload(
                [&script](const QString &, const QString &) { return script.next(); });
            int waits = 0;
            pacer.setClock([&script] { return script.now; },
                           [&](qint64 ms, const std::function<bool()> &) {
                               if (++waits >= cancelAt && cancelAt > 0)
                                   return false;
                               script.now += ms;
                               return true;
                           });
            bool ok = false;
            for (QString url : urls.split(';')) {
                const bool picture = pictures || url.startsWith("pic:");
                url = "http://" + url.remove("pic:");
                ok = picture ? pacer.download(url, "/nowhere") == 0 : pacer.load(url).ok;
            }
            QCOMPARE(script.starts.join(';'), starts);
            QTEST(ok, "lastOk");
        }
    }

    void realWaitEndsAtOnceOnCancel()
    {
        // The real clock and wait: the event loop runs meanwhile, so the cancel
        // (a timer here, a click in the program) ends the 2 s retry wait at once.
        Script script;
        script.answers = QStringList{"503", "200"};
        RequestPacer pacer(0, &script);
        bool cancelled = false;
        pacer.setCancelTest([&cancelled] { return cancelled; });
        QTimer::singleShot(100, [&cancelled] { cancelled = true; });
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(pacer.load("http://a/1").httpStatus, 503);
        QVERIFY2(clock.elapsed() < 600, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(script.starts.size(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_RequestPacer)
#include "tst_requestpacer.moc"
