#include "search/resultspagewriter.h"

#include "search/searchresults.h"
#include "search/searchtexts.h"

using namespace SearchTexts;

bool ResultsPageWriter::open(const QString &path)
{
    if (m_file.isOpen())
        m_file.close();
    m_file.setFileName(path);
    m_ok = m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (m_ok)
        write(kPageFirstLine + kLineEnd);
    return m_ok;
}

QString ResultsPageWriter::hitNumberText(int number)
{
    return QString::number(number).rightJustified(4, QLatin1Char('0'));
}

QString ResultsPageWriter::block(int number, const PageHit &hit, const QString &genreText)
{
    return QString::fromUtf8(blockBytes(number, hit, genreText));
}

QByteArray ResultsPageWriter::blockBytes(int number, const PageHit &hit, const QString &genreText)
{
    // Built as UTF-8 directly: the fixed lines are ASCII and go in as they
    // are, only the hit's own texts need converting.
    const auto ascii = [](QByteArray &out, QLatin1StringView text) {
        out.append(text.data(), text.size());
    };
    QByteArray out;
    out.reserve(1400 + 3 * (hit.pictureMarkup.size() + hit.largeUrl.size() + hit.title.size() +
                            hit.artist.size() + genreText.size()));
    ascii(out, kBlockHead);
    out += hit.pictureMarkup.toUtf8();
    ascii(out, kBlockPictureEnd);
    out += hitNumberText(number).toLatin1();
    out += hit.largeUrl.toUtf8();
    ascii(out, kBlockQuickSaveEnd);
    ascii(out, kGenreCellOpen);
    out += genreText.toUtf8();
    ascii(out, kCellClose);
    ascii(out, kArtistCellOpen);
    out += hit.artist.toUtf8();
    ascii(out, kCellClose);
    ascii(out, kAlbumCellOpen);
    out += hit.title.toUtf8();
    ascii(out, kCellClose);
    ascii(out, hit.site == RetailerSite::Brinsell ? kSiteCellBrinsell : kSiteCellVantory);
    ascii(out, kBlockTail);
    return out;
}

void ResultsPageWriter::writeRow(const PageHit &hit, const QString &genreText)
{
    const int number = m_results.add(hit.artist, hit.title, hit.largeUrl);
    if (m_file.isOpen())
        writeBytes(blockBytes(number, hit, genreText));
}

bool ResultsPageWriter::finish()
{
    if (!m_file.isOpen())
        return false;
    write(kPageLastLine + kLineEnd);
    m_file.close();
    if (m_file.error() != QFileDevice::NoError)
        m_ok = false;
    return m_ok;
}

bool ResultsPageWriter::write(const QString &text)
{
    return writeBytes(text.toUtf8());
}

bool ResultsPageWriter::writeBytes(const QByteArray &bytes)
{
    if (m_file.write(bytes) != bytes.size())
        m_ok = false;
    return m_ok;
}
