// An audio file's last bytes as the batch scan reads them for its ID3v1 tag.

#include "fuzztarget.h"

#include "batch/id3v1.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = Fuzz::bytes(data, size);
    const std::optional<Id3v1Tag> fromFile = readId3v1Tag(Fuzz::inputFile(data, size, "track.mp3"));
    const std::optional<Id3v1Tag> fromBytes =
        size >= kId3v1Size ? parseId3v1Tag(QByteArrayView(input).last(kId3v1Size)) : std::nullopt;
    FUZZ_CHECK(fromFile.has_value() == fromBytes.has_value());
    if (fromFile) {
        FUZZ_CHECK(fromFile->artist == fromBytes->artist && fromFile->album == fromBytes->album);
        FUZZ_CHECK(fromFile->artist.size() <= 30 && fromFile->album.size() <= 30);
        // A tag made from what was read reads back the same.
        const std::optional<Id3v1Tag> again =
            parseId3v1Tag(makeId3v1Tag(QString(), fromFile->artist, fromFile->album));
        FUZZ_CHECK(again && again->artist == fromFile->artist && again->album == fromFile->album);
    }
    isTaggableAudioName(std::string_view(input.constData(), size_t(input.size())));
    return 0;
}
