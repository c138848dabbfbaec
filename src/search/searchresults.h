#pragma once

#include <QString>
#include <QStringList>

// The keyed lists of one interactive search: for each hit number N (from 1)
// its artist (or DVD title), album (or information) and large picture
// address. Quick Save and Compare read them by the number in a link or form.
class SearchResults
{
public:
    // Empty lists; the next hit is number 1.
    void clear();

    // Records a hit under the next number and returns that number.
    int add(const QString &artist, const QString &album, const QString &picture);

    // The number the next hit will get.
    int nextNumber() const { return int(m_pictures.size()) + 1; }
    int count() const { return int(m_pictures.size()); }
    bool contains(int number) const { return number >= 1 && number <= count(); }

    // Empty for a number that is not in the lists.
    QString artist(int number) const;
    QString album(int number) const;
    QString picture(int number) const;

private:
    QStringList m_artists;
    QStringList m_albums;
    QStringList m_pictures;
};
