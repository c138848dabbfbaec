// A "batch.rlt" file as a damaged disk or another program may leave it: read
// whole and record by record, and every record written back reads the same.

#include "fuzztarget.h"

#include "batch/batchresultsfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = Fuzz::inputFile(data, size, "batch.rlt");
    const std::vector<BatchResultRecord> records = readBatchRecords(path);
    FUZZ_CHECK(qint64(records.size()) == batchRecordCount(qint64(size)));
    const QString folder = QStringLiteral("/music/Metallica - Black");
    for (size_t i = 0; i < records.size(); ++i) {
        const BatchResultRecord &r = records[i];
        const std::optional<BatchResultRecord> one = readBatchRecord(path, qint64(i) + 1);
        FUZZ_CHECK(one && one->artist == r.artist && one->album == r.album && one->url == r.url);
        const BatchResultRecord back = decodeBatchRecord(encodeBatchRecord(r));
        FUZZ_CHECK(back.artist == r.artist && back.album == r.album && back.url == r.url);
        // The batch window finds the record again by its node's key.
        const QString key = hitNodeKey(qint64(i) + 1, folder, "/Brinsell", r.artist, r.album);
        FUZZ_CHECK(hitRecordNumber(key, folder) == qint64(i) + 1);
    }
    FUZZ_CHECK(!readBatchRecord(path, qint64(records.size()) + 1));
    return 0;
}
