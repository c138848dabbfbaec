#include "base/fileops.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using TestFiles::readFile;
using TestFiles::writeFile;

namespace
{

// Lowers the largest file this process may write, for one scope: the way to
// make a write fail part-way even for a user whom permissions do not stop.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit lower = m_old;
        lower.rlim_cur = bytes;
        m_ok = setrlimit(RLIMIT_FSIZE, &lower) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool ok() const { return m_ok; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_ok = false;
};

const QByteArray kOld = "the old picture";
const QByteArray kNew(100 * 1024, 'n');

} // namespace

class tst_FileOps : public QObject
{
    Q_OBJECT
private slots:
    void replace_data()
    {
        TestFiles::addTableRows("file-replace.tsv", {"target", "how", "expected"});
    }

    void replace()
    {
        QFETCH(QString, target);
        QFETCH(QString, how);
        QFETCH(QString, expected);
        const bool ok = expected == "true";
        QTemporaryDir dir;
        for (const char *name : {"cover.jpg", ".cover.jpg", "locked.jpg", "elsewhere.jpg"})
            QVERIFY(writeFile(dir.filePath(name), kOld));
        QVERIFY(QFile::setPermissions(dir.filePath("locked.jpg"),
                                      QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        QVERIFY(QFile::link(dir.filePath("elsewhere.jpg"), dir.filePath("link.jpg")));
        QVERIFY(QDir(dir.path()).mkpath("folder.jpg/inside"));
        const QString source = dir.filePath("source.bin");
        if (how != "no source")
            QVERIFY(writeFile(source, kNew));
        const QString path = dir.filePath(target);
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
        const bool existing =
            QStringList{"cover.jpg", ".cover.jpg", "locked.jpg", "link.jpg"}.contains(target);
        QCOMPARE(FileOps::isRegularFile(path), existing);
        const QByteArray oldBytes = existing ? kOld : QByteArray();

        QString error;
        bool done = false;
        if (how == "data") {
            done = FileOps::replaceWithData(path, kNew, &error);
        } else if (how == "copy" || how == "no source") {
            done = FileOps::replaceWithCopy(path, source, &error);
        } else if (how == "limited") {
            FileSizeLimit limit(kNew.size() / 2);
            QVERIFY(limit.ok());
            done = FileOps::replaceWithCopy(path, source, &error);
        } else if (how == "committed after a failed write") {
            FileSizeLimit limit(kNew.size() / 2);
            FileOps::Replacement replacement(path);
            QVERIFY(limit.ok() && replacement.open() && !replacement.write(kNew));
            done = replacement.commit();
            error = replacement.errorString();
        } else if (how == "normal") {
            done = FileOps::makeNormal(path);
        } else {
            FileOps::Replacement replacement(path);
            QVERIFY(replacement.open());
            QVERIFY(replacement.write(kNew));
        }
        QCOMPARE(done, ok);
        QCOMPARE(error.isEmpty(), ok || how == "uncommitted" || how == "normal");
        QCOMPARE(readFile(path), ok && how != "normal" ? kNew : oldBytes);
        QCOMPARE(readFile(dir.filePath("elsewhere.jpg")), kOld);
        QVERIFY(QFileInfo(dir.filePath("folder.jpg/inside")).isDir());
        // No temporary file is left behind, whatever happened.
        QStringList after = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
        if (ok && !existing)
            after.removeOne(target);
        QCOMPARE(after, before);
        if (target == "locked.jpg") // the new file too, or a picture made normal
            QCOMPARE(QFile::permissions(path) & (QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ReadGroup | QFileDevice::WriteGroup),
                     QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
        if (target == "link.jpg")
            QVERIFY(!QFileInfo(path).isSymLink());
    }
};

QTEST_GUILESS_MAIN(tst_FileOps)
#include "tst_fileops.moc"
