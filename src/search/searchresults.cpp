#include "search/searchresults.h"

void SearchResults::clear()
{
    m_artists.clear();
    m_albums.clear();
    m_pictures.clear();
}

int SearchResults::add(const QString &artist, const QString &album, const QString &picture)
{
    m_artists.append(artist);
    m_albums.append(album);
    m_pictures.append(picture);
    return count();
}

QString SearchResults::artist(int number) const
{
    return contains(number) ? m_artists.at(number - 1) : QString();
}

QString SearchResults::album(int number) const
{
    return contains(number) ? m_albums.at(number - 1) : QString();
}

QString SearchResults::picture(int number) const
{
    return contains(number) ? m_pictures.at(number - 1) : QString();
}
