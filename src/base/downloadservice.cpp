#include "base/downloadservice.h"
#include "base/fileops.h"
#include "base/networkaccess.h"
#include "base/version.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace
{

DownloadFunction &downloadOverride()
{
    static DownloadFunction fn;
    return fn;
}

} // namespace

DownloadResult DownloadService::download(const QString &url, const QString &path) const
{
    DownloadResult result;
    const QUrl qurl(url, QUrl::TolerantMode);
    const QString scheme = qurl.scheme().toLower();
    // Only web addresses: a retailer page must not make the program copy
    // local files (file:) or page-made content (data:) into a folder.
    if (!qurl.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        result.error = QStringLiteral("Invalid address");
        return result;
    }

    FileOps::Replacement out(path);
    if (!out.open()) {
        result.status = DownloadResult::Status::WriteFailed;
        result.error = out.errorString();
        return result;
    }

    QNetworkRequest request(qurl);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray(kUserAgent));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(10);
    QNetworkReply *reply = (network ? network : programNetwork())->get(request);

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool timedOut = false;
    bool tooLarge = false;
    bool writeFailed = false;
    qint64 received = 0;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        const QByteArray chunk = reply->readAll();
        received += chunk.size();
        if (received > maxBytes) {
            tooLarge = true;
            reply->abort();
            return;
        }
        if (!out.write(chunk)) {
            writeFailed = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    timer.stop();
    // The wait can also end without the reply, when the application is
    // leaving (QCoreApplication::exit ends every nested loop).
    const bool interrupted = !reply->isFinished();
    if (interrupted)
        reply->abort();

    if (!timedOut && !tooLarge && !writeFailed && !interrupted) {
        const QByteArray rest = reply->readAll();
        received += rest.size();
        if (received > maxBytes)
            tooLarge = true;
        else if (!out.write(rest))
            writeFailed = true;
    }
    result.httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QNetworkReply::NetworkError error = reply->error();
    const QString errorText = reply->errorString();
    result.retryAfter = reply->rawHeader("Retry-After");
    result.connectionReset = error == QNetworkReply::RemoteHostClosedError;
    reply->deleteLater();

    if (timedOut) {
        result.status = DownloadResult::Status::TimedOut;
        result.error = QStringLiteral("Timed out");
    } else if (interrupted) {
        result.status = DownloadResult::Status::NetworkError;
        result.error = QStringLiteral("Interrupted");
    } else if (tooLarge) {
        result.status = DownloadResult::Status::TooLarge;
        result.error = QStringLiteral("Resource larger than %1 bytes").arg(maxBytes);
    } else if (writeFailed) {
        result.status = DownloadResult::Status::WriteFailed;
        result.error = out.errorString();
    } else if (result.httpStatus != 0 && (result.httpStatus < 200 || result.httpStatus > 299)) {
        result.status = DownloadResult::Status::HttpError;
        result.error = QStringLiteral("HTTP status %1").arg(result.httpStatus);
    } else if (error != QNetworkReply::NoError || result.httpStatus == 0) {
        result.status = DownloadResult::Status::NetworkError;
        result.error = error != QNetworkReply::NoError ? errorText : QStringLiteral("No answer");
    } else if (!out.commit()) {
        result.status = DownloadResult::Status::WriteFailed;
        result.error = out.errorString();
        return result;
    } else {
        result.status = DownloadResult::Status::Ok;
        return result;
    }
    out.cancel();
    return result;
}

DownloadService &defaultDownloadService()
{
    static DownloadService service;
    return service;
}

int URLDownloadToFile(const QString &url, const QString &path)
{
    if (const DownloadFunction &fn = downloadOverride())
        return fn(url, path);
    const DownloadResult r = defaultDownloadService().download(url, path);
    if (r.ok())
        return 0;
    // Non-zero, like the platform call's failure codes.
    return r.httpStatus != 0 ? r.httpStatus : 1;
}

DownloadResult downloadToFile(const QString &url, const QString &path)
{
    const DownloadFunction &fn = downloadOverride();
    if (!fn)
        return defaultDownloadService().download(url, path);
    DownloadResult result;
    const int rc = fn(url, path);
    if (rc == 0) {
        result.status = DownloadResult::Status::Ok;
    } else if (rc >= 100 && rc <= 599) {
        result.status = DownloadResult::Status::HttpError;
        result.httpStatus = rc;
    }
    return result;
}

void setDownloadFunction(DownloadFunction fn)
{
    downloadOverride() = std::move(fn);
}
