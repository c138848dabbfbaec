// The parsers' remembered marker searches against plain searches of the same
// text. The input is the text and, read three bytes at a time, the queries:
// which marker, which direction, case, memo and starting position, so the
// memos see every order of queries a page could lead the cutters into.

#include "fuzztarget.h"

#include "search/pagetext.h"

namespace
{

const QLatin1StringView kMarkers[] = {
    QLatin1StringView("<B>"),    QLatin1StringView("</B>"),  QLatin1StringView("ARTIST:"),
    QLatin1StringView("\""),     QLatin1StringView("http:"), QLatin1StringView(">"),
    QLatin1StringView("_60X60"), QLatin1StringView("aa"),
};
const QLatin1StringView kScans[] = {QLatin1StringView(), QLatin1StringView("title"),
                                    QLatin1StringView("artist"), QLatin1StringView("address")};

qsizetype plainBack(QStringView text, QLatin1StringView marker, qsizetype from,
                    Qt::CaseSensitivity cs)
{
    for (qsizetype s = qMin(from, text.size() - marker.size()); s >= 0; --s)
        if (text.sliced(s, marker.size()).compare(marker, cs) == 0)
            return s;
    return -1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(Fuzz::bytes(data, size));
    PageText page(text);
    for (size_t q = 0; q + 3 <= size && q < 3 * 256; q += 3) {
        const uint8_t op = data[q];
        const QLatin1StringView marker = kMarkers[(op >> 2) & 7];
        const QLatin1StringView scan = kScans[(op >> 5) & 3];
        const Qt::CaseSensitivity cs = op & 2 ? Qt::CaseInsensitive : Qt::CaseSensitive;
        const qsizetype from = qsizetype((data[q + 1] | (data[q + 2] << 8)) % (size + 2)) - 1;
        if (op & 0x80) {
            const qsizetype expected =
                from >= text.size() ? -1 : text.indexOf(marker, qMax<qsizetype>(0, from));
            FUZZ_CHECK(page.findText(QString(marker), from, scan) == expected);
        } else if (op & 1) {
            FUZZ_CHECK(page.findBack(marker, from, cs, scan) == plainBack(text, marker, from, cs));
        } else {
            const qsizetype expected =
                from >= text.size() ? -1 : text.indexOf(marker, qMax<qsizetype>(0, from), cs);
            FUZZ_CHECK(page.find(marker, from, cs, scan) == expected);
        }
    }
    // The address cuts never give more than an address can hold.
    for (qsizetype at = text.indexOf(QLatin1StringView("_60X60")); at >= 0;
         at = text.indexOf(QLatin1StringView("_60X60"), at + 1)) {
        FUZZ_CHECK(ExtractUrlAt(page, at).size() <= kMaxAddressLength);
        FUZZ_CHECK(ExtractToQuote(page, at).size() <= kMaxAddressLength);
    }
    return 0;
}
