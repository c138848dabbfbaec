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
    QString text;
    text.reserve(1400 + hit.pictureMarkup.size() + hit.largeUrl.size() + hit.title.size() +
                 hit.artist.size() + genreText.size());
    text += kBlockHead;
    text += hit.pictureMarkup;
    text += kBlockPictureEnd;
    text += hitNumberText(number);
    text += hit.largeUrl;
    text += kBlockQuickSaveEnd;
    text += kGenreCellOpen;
    text += genreText;
    text += kCellClose;
    text += kArtistCellOpen;
    text += hit.artist;
    text += kCellClose;
    text += kAlbumCellOpen;
    text += hit.title;
    text += kCellClose;
    text += hit.site == RetailerSite::Brinsell ? kSiteCellBrinsell : kSiteCellVantory;
    text += kBlockTail;
    return text;
}

void ResultsPageWriter::writeRow(const PageHit &hit, const QString &genreText)
{
    const int number = m_results.add(hit.artist, hit.title, hit.largeUrl);
    if (m_file.isOpen())
        write(block(number, hit, genreText));
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
    const QByteArray bytes = text.toUtf8();
    if (m_file.write(bytes) != bytes.size())
        m_ok = false;
    return m_ok;
}
