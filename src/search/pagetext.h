#pragma once

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>
#include <QStringView>

#include <vector>

// A retailer page's markup with the marker searches the parsers make on it.
// Positions are 0-based indexes into the text; -1 means "not found".
//
// Each marker search remembers its last answer and only searches the part of
// the text that answer does not already cover. The parsers look for the same
// markers hit after hit, so a marker that is missing from the rest of a page
// is looked for once instead of once per hit: a malformed page costs one
// pass, not one pass per hit.
//
// A memo only pays off while its searches move forward through the page. Two
// cutters that look for the same marker at different places (the title's
// "<B>" next to the picture, the artist's far ahead) would take turns
// overwriting one memo and rescan the text between them for every hit, so
// each cutter names its own `scan` and keeps a memo of its own.
class PageText
{
public:
    explicit PageText(QStringView text) : m_text(text) {}

    QStringView text() const { return m_text; }
    qsizetype size() const { return m_text.size(); }

    // First occurrence of `marker` starting at or after `from`.
    qsizetype find(QLatin1StringView marker, qsizetype from,
                   Qt::CaseSensitivity cs = Qt::CaseSensitive, QLatin1StringView scan = {});
    // Last occurrence of `marker` starting at or before `from`.
    qsizetype findBack(QLatin1StringView marker, qsizetype from,
                       Qt::CaseSensitivity cs = Qt::CaseSensitive, QLatin1StringView scan = {});
    // First occurrence, exact case, of a text that is not a fixed marker (an
    // image host's address prefix).
    qsizetype findText(QStringView needle, qsizetype from, QLatin1StringView scan = {});

    // The characters in [from, to); empty when the range is empty.
    QString cut(qsizetype from, qsizetype to) const;

private:
    struct Memo {
        QByteArray marker; // a fixed marker, Latin-1
        QString text;      // or a text (findText)
        QByteArray scan;
        Qt::CaseSensitivity cs;
        bool backward;
        qsizetype from;
        qsizetype result;
    };
    Memo &memo(QLatin1StringView marker, Qt::CaseSensitivity cs, bool backward,
               QLatin1StringView scan);
    Memo &memo(QStringView text, QLatin1StringView scan);
    template <typename Needle>
    qsizetype forward(Needle needle, qsizetype from, Qt::CaseSensitivity cs,
                      QLatin1StringView scan);

    QStringView m_text;
    std::vector<Memo> m_memo;
};

// The longest address a picture can have: the browser component the program
// was designed around accepts no longer one. A longer "address" is markup
// caught between two delimiters, not a picture.
inline constexpr qsizetype kMaxAddressLength = 2083;

// The address around `pos`: from the nearest "http:" at or before it up to,
// not including, the next double quote at or after it. An address that cannot
// be delimited (no "http:" before, no quote after) or is longer than
// kMaxAddressLength gives "": a cut that ran that far would be markup, not an
// address.
QString ExtractUrlAt(PageText &page, qsizetype pos);

// The characters from `pos` up to, not including, the next double quote; ""
// when no quote follows (the page ends inside the address) or the text up to
// it is longer than kMaxAddressLength.
QString ExtractToQuote(PageText &page, qsizetype pos);
