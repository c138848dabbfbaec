// An update information page: the version text the check takes from it must
// name a program file in the application folder and nothing else.

#include "fuzztarget.h"

#include "update/updatecheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::optional<QString> version =
        UpdateCheck::versionFromPage(QString::fromUtf8(Fuzz::bytes(data, size)));
    if (version) {
        FUZZ_CHECK(!version->isEmpty());
        FUZZ_CHECK(*version == version->trimmed());
        FUZZ_CHECK(!version->contains(QLatin1Char('/')) && !version->contains(QChar()));
        FUZZ_CHECK(!version->contains(QLatin1Char('-')));
    }
    return 0;
}
