// A fetched page as it comes off the network: the input's first line is the
// Content-Type header, the rest the response bytes. Decoded and cut down to
// its body as the fetcher does.

#include "fuzztarget.h"

#include "base/cp1252.h"
#include "base/pagefetcher.h"

#include <QRegularExpression>

namespace
{

// The body extraction as it was, with a pattern that backtracks over every
// unclosed "<body " opening: the oracle the linear scan must agree with, on
// inputs small enough for it.
QString oldExtractBody(const QString &html)
{
    static const QRegularExpression openTag(QStringLiteral("<body(\\s[^>]*)?>"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = openTag.match(html);
    if (!m.hasMatch())
        return html;
    const qsizetype start = m.capturedEnd();
    qsizetype end = html.lastIndexOf(QLatin1String("</body>"), -1, Qt::CaseInsensitive);
    if (end < start)
        end = html.size();
    return html.mid(start, end - start);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = Fuzz::bytes(data, size);
    const qsizetype newline = input.indexOf('\n');
    const QByteArray contentType = newline < 0 ? QByteArray() : input.first(newline);
    const QByteArray response = newline < 0 ? input : input.sliced(newline + 1);

    const QString text = PageFetcher::decode(response, contentType);
    const QString body = PageFetcher::extractBody(text);
    FUZZ_CHECK(text.contains(body));
    if (!text.contains(QLatin1StringView("<body"), Qt::CaseInsensitive))
        FUZZ_CHECK(body == text);
    if (text.size() <= 16 * 1024)
        FUZZ_CHECK(body == oldExtractBody(text));

    // Every byte survives Windows-1252 both ways: results files and tags
    // written back must hold what was read.
    FUZZ_CHECK(toCp1252(fromCp1252(response)) == response);
    return 0;
}
