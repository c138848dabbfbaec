// A BMP file as the cover crop loads it; a picture that loads is written
// back and must load again unchanged.

#include "fuzztarget.h"

#include "imaging/bmpfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QImage picture = readBmpFile(Fuzz::inputFile(data, size, "picture.bmp"));
    if (picture.isNull())
        return 0;
    FUZZ_CHECK(picture.format() == QImage::Format_BGR888);
    // Run-length files can describe huge pictures in a few bytes; the round
    // trip of those only costs time.
    if (qint64(picture.width()) * picture.height() > 1024 * 1024)
        return 0;
    const QString copy = Fuzz::scratchPath("copy.bmp");
    FUZZ_CHECK(writeBmpFile(picture, copy));
    FUZZ_CHECK(readBmpFile(copy) == picture);
    return 0;
}
