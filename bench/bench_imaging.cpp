// Crop-and-save of a 500x500 cover against TurboJPEG encoding the 350x500
// result alone, measured in the same run:
//   ninja -C build-x bench_imaging && build-x/bench/bench_imaging
#include "imaging/cdibsection.h"
#include "imaging/covercrop.h"
#include "imaging/ijl.h"

#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cstring>

namespace
{

QTemporaryDir &scratchDir()
{
    static QTemporaryDir dir;
    return dir;
}

// Something like a photograph: smooth shading with fine grain, so the encoder
// works about as hard as on a real cover.
QImage coverPicture()
{
    QImage image(500, 500, QImage::Format_RGB32);
    QRandomGenerator rng(42);
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 500; ++x) {
            const int grain = int(rng.bounded(24));
            image.setPixel(
                x, y,
                qRgb((x / 2 + grain) & 0xff, (y / 2 + grain) & 0xff, ((x + y) / 4 + grain) & 0xff));
        }
    return image;
}

void BM_CropAndSave500(benchmark::State &state)
{
    qputenv("JACKETEER_APPDIR", scratchDir().path().toUtf8());
    const QImage picture = coverPicture();
    const QString target = scratchDir().filePath(QStringLiteral("cover.jpg"));
    picture.save(target, "JPG");
    for (auto _ : state) {
        const CropResult result = cropCoverArt(picture, target, viewerCropScratch());
        if (result.outcome != CropOutcome::Cropped)
            state.SkipWithError("crop failed");
    }
}
BENCHMARK(BM_CropAndSave500)->Unit(benchmark::kMicrosecond);

// The same cut and the same JPEG file, without the two scratch bitmaps: shows
// what the round trip through the application folder costs.
void BM_CropWithoutScratchFiles(benchmark::State &state)
{
    qputenv("JACKETEER_APPDIR", scratchDir().path().toUtf8());
    const QImage picture = coverPicture();
    const QString target = scratchDir().filePath(QStringLiteral("direct.jpg"));
    cDIBSection dib;
    for (auto _ : state) {
        const QImage cropped =
            CapturePicture(&picture, 75, 0, 350, 500).convertToFormat(QImage::Format_BGR888);
        dib.Create(350, 500, 3);
        for (int y = 0; y < 500; ++y)
            std::memcpy(dib.hDC()->scanLine(y), cropped.constScanLine(y), 350 * 3);
        if (!SaveJpeg(dib, target))
            state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_CropWithoutScratchFiles)->Unit(benchmark::kMicrosecond);

void BM_TurboJpegEncode350x500(benchmark::State &state)
{
    const QImage cropped =
        coverPicture().copy(75, 0, 350, 500).convertToFormat(QImage::Format_BGR888);
    tjhandle encoder = tjInitCompress();
    unsigned char *jpeg = nullptr;
    unsigned long size = 0;
    for (auto _ : state) {
        if (tjCompress2(encoder, cropped.constBits(), 350, int(cropped.bytesPerLine()), 500,
                        TJPF_BGR, &jpeg, &size, TJSAMP_420, 85, 0) != 0)
            state.SkipWithError("encode failed");
        benchmark::DoNotOptimize(size);
    }
    tjFree(jpeg);
    tjDestroy(encoder);
}
BENCHMARK(BM_TurboJpegEncode350x500)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
