// A navigation target of the results view, as a page (or anyone able to put
// a link on it) can make it: recognised, split and matched against the
// current hits as a Quick Save click is.

#include "fuzztarget.h"

#include "search/quicksave.h"
#include "search/searchresults.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString target = QString::fromUtf8(Fuzz::bytes(data, size));
    SearchResults results;
    results.add(QStringLiteral("Metallica"), QStringLiteral("Black"),
                QStringLiteral("http://img.vantory.test/images/V/black_500X500.jpg"));
    results.add(QString(), QString(), QString());
    results.add(QStringLiteral("A & B"), QStringLiteral("C/D"),
                QStringLiteral("http://images.brinsell.test/db_assets/large_images/a b.jpg"));

    isQuickSaveClick(target);
    const std::optional<QuickSaveLink> link = parseQuickSaveLink(target);
    FUZZ_CHECK(link.has_value() ==
               (!target.isEmpty() && target.front().isDigit() && target.front().unicode() < 128));
    const QuickSaveHit hit = resolveQuickSaveLink(target, results);
    if (hit.known) {
        FUZZ_CHECK(results.contains(hit.number));
        FUZZ_CHECK(hit.address == results.picture(hit.number));
        FUZZ_CHECK(hit.artist == results.artist(hit.number));
    }
    // The address part compared as the view reads addresses.
    if (link && sameAddress(link->address, results.picture(1)))
        FUZZ_CHECK(resolveQuickSaveLink(QStringLiteral("1") + link->address, results).known);
    return 0;
}
