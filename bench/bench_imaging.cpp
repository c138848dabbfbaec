// Crop-and-save of a 500x500 cover against TurboJPEG encoding the 350x500
// result alone, measured in the same run, and the memory the picture check
// takes for a 12,000 x 12,000 JPEG:
//   ninja -C build bench_imaging && build/bench/bench_imaging
// The files go to /dev/shm where there is one, so that the disk's flush of
// each picture does not hide the work itself.
#include "cover/covercrop.h"
#include "cover/coverfile.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cstdio>

namespace
{

QTemporaryDir &scratchDir()
{
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/jacketeer-bench-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/jacketeer-bench-XXXXXX"));
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

// Kibibytes of a "VmRSS:" or "VmHWM:" line of /proc/self/status.
qint64 statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

QString bigPicture()
{
    return TestFiles::testData(QStringLiteral("pictures/gray-12000x12000.jpg"));
}

// The peak memory of one check above what was in use before, measured before
// anything else has run, so that no memory freed by earlier work is reused.
double checkPeakMiB()
{
    // Writing 5 resets the peak (VmHWM) to what is in use now.
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1 || !clear.flush())
        return -1;
    const qint64 baseline = statusKiB("VmRSS:");
    if (CoverFile::check(bigPicture()) != CoverFile::PictureCheck::Ok)
        return -1;
    return double(statusKiB("VmHWM:") - baseline) / 1024;
}

void BM_Check12000x12000(benchmark::State &state)
{
    for (auto _ : state) {
        if (CoverFile::check(bigPicture()) != CoverFile::PictureCheck::Ok)
            state.SkipWithError("check failed");
    }
}
BENCHMARK(BM_Check12000x12000)->Unit(benchmark::kMillisecond);

void BM_CropAndSave500(benchmark::State &state)
{
    const QImage picture = coverPicture();
    const QString target = scratchDir().filePath(QStringLiteral("cover.jpg"));
    picture.save(target, "JPG");
    for (auto _ : state) {
        const CropResult result = cropCoverArt(picture, target);
        if (result.outcome != CropOutcome::Cropped)
            state.SkipWithError("crop failed");
    }
}
BENCHMARK(BM_CropAndSave500)->Unit(benchmark::kMicrosecond);

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

int main(int argc, char **argv)
{
    const double peak = checkPeakMiB();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    std::printf("Check of a 12,000 x 12,000 JPEG: peak %.1f MiB above the baseline\n", peak);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
