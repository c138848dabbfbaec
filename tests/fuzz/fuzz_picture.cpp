// A downloaded picture as the cover-file unit checks it: whatever passes is
// saved as a JPEG of the size the check measured.

#include "fuzztarget.h"

#include "cover/coverfile.h"

#include <QImageReader>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString sent = Fuzz::inputFile(data, size, "sent");
    // A few bytes can claim a picture of a gigabyte; the program may take
    // that, the fuzzer's memory limit may not.
    const QSize claimed = CoverFile::pictureSize(sent);
    if (qint64(claimed.width()) * claimed.height() > 4096 * 4096)
        return 0;
    QSize checked;
    const CoverFile::PictureCheck check = CoverFile::check(sent, &checked);
    const QString scratch = Fuzz::scratchPath("scratch.jpg");
    const auto download = [&](const QString &, const QString &path) {
        return QFile::copy(sent, path) ? 0 : 1;
    };
    const CoverFile::FetchResult fetched =
        CoverFile::fetch("http://pictures/x.jpg", scratch, download);
    FUZZ_CHECK((fetched == CoverFile::FetchResult::Ok) == (check == CoverFile::PictureCheck::Ok));
    if (fetched != CoverFile::FetchResult::Ok)
        return 0;
    FUZZ_CHECK(QImageReader(scratch).format() == "jpeg");
    FUZZ_CHECK(CoverFile::pictureSize(scratch) == checked);
    FUZZ_CHECK(CoverFile::check(scratch) == CoverFile::PictureCheck::Ok);
    return 0;
}
