#include "batch/batchlog.h"

#include "batch/batchsummary.h"
#include "batch/batchtexts.h"

#include <QStringList>

using namespace BatchTexts;

BatchLog::BatchLog(const QString &path) : m_file(path) {}

bool BatchLog::start()
{
    m_file.close();
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    writeLine(QString::fromLatin1(kLogHeader));
    return true;
}

void BatchLog::add(const BatchEntryResult &result)
{
    writeLine(QStringList{field(result.folder), batchEntryStatusText(result.status),
                          QString::number(result.hits), field(result.detail)}
                  .join(QLatin1Char(',')));
}

void BatchLog::finish(const BatchSummary &summary)
{
    writeLine(QLatin1Char(',') + QString::fromLatin1(kLogSummary) + QLatin1String(",,") +
              field(summary.text()));
    m_file.close();
}

QString BatchLog::field(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

void BatchLog::writeLine(const QString &line)
{
    if (!m_file.isOpen())
        return;
    m_file.write((line + QLatin1String("\r\n")).toUtf8());
    // Out of the program's hands at once: a crash keeps every line so far.
    m_file.flush();
}
