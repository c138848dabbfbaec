// A Brinsell result page, parsed for a music and a DVD search and written to
// results pages as a search does.

#include "resultscheck.h"

#include "search/brinsellparser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString body = QString::fromUtf8(Fuzz::bytes(data, size));
    for (const bool dvd : {false, true}) {
        ResultsCheck check;
        QString artist;
        const int hits = ParseBrinsellPage(
            body, QStringLiteral("images.brinsell.test"), dvd, {},
            [&](const PageHit &hit) {
                FUZZ_CHECK(!dvd || hit.artist == hit.title);
                check.write(hit, QStringLiteral("N/A"));
            },
            artist);
        check.finish(hits);
    }
    return 0;
}
