// A Vantory result page, parsed and written to a results page as a search
// does.

#include "resultscheck.h"

#include "search/vantoryparser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString body = QString::fromUtf8(Fuzz::bytes(data, size));
    ResultsCheck check;
    QString artist;
    const int hits = ParseVantoryPage(
        body, {},
        [&](const PageHit &hit) { check.write(hit, QStringLiteral("Rock")); },
        artist);
    check.finish(hits);
    return 0;
}
