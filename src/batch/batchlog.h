#pragma once

#include <QFile>
#include <QString>

struct BatchEntryResult;
struct BatchSummary;

// The batch log ("batch-log.csv" in the application folder): a header line,
// one line per searched entry as the run finishes it, and the counts at the
// end. Each line is on disk before the next entry starts, so a run that dies
// leaves the entries done so far. Comma-separated, UTF-8, lines ending in
// CR LF, fields quoted when they hold a comma, a quote or a line break.
class BatchLog
{
public:
    explicit BatchLog(const QString &path);

    // Replaces any earlier log with one holding the header.
    bool start();
    void add(const BatchEntryResult &result);
    // The counts line; the log is closed.
    void finish(const BatchSummary &summary);

    QString errorString() const { return m_file.errorString(); }

    // One CSV field.
    static QString field(const QString &text);

private:
    void writeLine(const QString &line);

    QFile m_file;
};
