#pragma once

// The parser targets' hit sink: writes each hit into a results page as a
// search does and checks what the results view and Quick Save rely on.

#include "fuzztarget.h"

#include "search/pagetext.h"
#include "search/quicksave.h"
#include "search/resultspagewriter.h"
#include "search/searchresults.h"

class ResultsCheck
{
public:
    ResultsCheck() { FUZZ_CHECK(m_writer.open(QStringLiteral("/dev/null"))); }

    void write(const PageHit &hit, const QString &genre)
    {
        FUZZ_CHECK(hit.thumbnailUrl.size() <= kMaxAddressLength);
        m_writer.writeRow(hit, genre);
    }

    // Every hit's Quick Save link, as the results page writes it, leads back
    // to that hit.
    void finish(int hits)
    {
        FUZZ_CHECK(m_writer.finish());
        FUZZ_CHECK(m_results.count() == hits);
        for (int n = 1; n <= hits; ++n) {
            const QString link =
                QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0')) + m_results.picture(n);
            const QuickSaveHit hit = resolveQuickSaveLink(link, m_results);
            FUZZ_CHECK(hit.known && hit.number == n);
        }
    }

private:
    SearchResults m_results;
    ResultsPageWriter m_writer{m_results};
};
