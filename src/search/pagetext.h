#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringView>

#include <string>
#include <vector>

// A retailer page's markup with the marker searches the parsers make on it.
// Positions are 0-based indexes into the text; -1 means "not found".
//
// Each marker search remembers its last answer and only searches the part of
// the text that answer does not already cover. The parsers look for the same
// markers hit after hit, so a marker that is missing from the rest of a page
// is looked for once instead of once per hit: a malformed page costs one
// pass, not one pass per hit.
class PageText
{
public:
    explicit PageText(QStringView text) : m_text(text) {}

    QStringView text() const { return m_text; }
    qsizetype size() const { return m_text.size(); }

    // First occurrence of `marker` starting at or after `from`.
    qsizetype find(QLatin1StringView marker, qsizetype from,
                   Qt::CaseSensitivity cs = Qt::CaseSensitive);
    // Last occurrence of `marker` starting at or before `from`.
    qsizetype findBack(QLatin1StringView marker, qsizetype from,
                       Qt::CaseSensitivity cs = Qt::CaseSensitive);
    // Uncached search for a text that is not a fixed marker (a host prefix).
    qsizetype findText(QStringView needle, qsizetype from) const;

    // The characters in [from, to); empty when the range is empty.
    QString cut(qsizetype from, qsizetype to) const;

private:
    struct Memo {
        std::string marker;
        Qt::CaseSensitivity cs;
        bool backward;
        qsizetype from;
        qsizetype result;
    };
    Memo *memo(QLatin1StringView marker, Qt::CaseSensitivity cs, bool backward);

    QStringView m_text;
    std::vector<Memo> m_memo;
};

// The address around `pos`: from the nearest "http:" at or before it up to,
// not including, the next double quote at or after it. An address that cannot
// be delimited (no "http:" before, no quote after) gives "": a cut that ran to
// either end of the page would be markup, not an address.
QString ExtractUrlAt(PageText &page, qsizetype pos);

// The characters from `pos` up to, not including, the next double quote; ""
// when no quote follows (the page ends inside the address).
QString ExtractToQuote(PageText &page, qsizetype pos);
