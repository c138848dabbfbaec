#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QNetworkAccessManager;

// Outcome of one download, with the detail behind the 0/non-zero result.
struct DownloadResult {
    enum class Status { Ok, NetworkError, HttpError, TimedOut, TooLarge, WriteFailed };
    Status status = Status::NetworkError;
    int httpStatus = 0;
    QString error;
    // What a retry needs to know (a time-out is status TimedOut).
    QByteArray retryAfter;        // the answer's Retry-After header as sent
    bool connectionReset = false; // the connection broke before the whole answer
    bool ok() const { return status == Status::Ok; }
};

// Copies the resource at an address into a local file: a GET that follows
// redirects; success needs a 2xx status and the whole body within the time-out
// and the size cap. The body goes in through FileOps::Replacement, so a failed
// download leaves neither a partial file nor a damaged old one. Waits with user input excluded from
// the event loop.
class DownloadService
{
public:
    DownloadResult download(const QString &url, const QString &path) const;

    int timeoutMs = 30000;
    qint64 maxBytes = 32 * 1024 * 1024;
    // The connection pool; nullptr: the program's own (programNetwork), so a
    // picture reuses the keep-alive connection a page opened.
    QNetworkAccessManager *network = nullptr;
};

// The program-wide download call: 0 when the whole resource is now in the
// file, non-zero otherwise. Tests may replace it with setDownloadFunction.
int URLDownloadToFile(const QString &url, const QString &path);

// The program-wide download call with its detail: the real service, or the
// replacement set with setDownloadFunction, whose non-zero result reads as
// an HTTP error when it is an HTTP status and as a network error otherwise.
DownloadResult downloadToFile(const QString &url, const QString &path);

using DownloadFunction = std::function<int(const QString &url, const QString &path)>;
// Replaces the program-wide download call; an empty function restores the real one.
void setDownloadFunction(DownloadFunction fn);
// The settings the real call uses (time-out, size cap).
DownloadService &defaultDownloadService();
