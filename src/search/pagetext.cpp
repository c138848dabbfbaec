#include "search/pagetext.h"

#include "search/searchtexts.h"

#include <type_traits>

namespace
{

constexpr QLatin1StringView kQuote{"\""};
constexpr QLatin1StringView kAddressScan{"address"};

} // namespace

PageText::Memo &PageText::memo(QLatin1StringView marker, Qt::CaseSensitivity cs, bool backward,
                               QLatin1StringView scan)
{
    // Markers are compared as the Latin-1 bytes they are: this runs for every
    // search the parsers make.
    for (Memo &m : m_memo) {
        if (m.marker.size() == marker.size() && m.cs == cs && m.backward == backward &&
            QLatin1StringView(m.marker) == marker && QLatin1StringView(m.scan) == scan)
            return m;
    }
    m_memo.push_back({QByteArray(marker.data(), marker.size()), QString(),
                      QByteArray(scan.data(), scan.size()), cs, backward, -1, -1});
    return m_memo.back();
}

PageText::Memo &PageText::memo(QStringView text, QLatin1StringView scan)
{
    for (Memo &m : m_memo) {
        if (m.marker.isEmpty() && m.text.size() == text.size() && m.text == text &&
            QLatin1StringView(m.scan) == scan)
            return m;
    }
    m_memo.push_back({QByteArray(), text.toString(), QByteArray(scan.data(), scan.size()),
                      Qt::CaseSensitive, false, -1, -1});
    return m_memo.back();
}

template <typename Needle>
qsizetype PageText::forward(Needle needle, qsizetype from, Qt::CaseSensitivity cs,
                            QLatin1StringView scan)
{
    if (from < 0)
        from = 0;
    if (from >= m_text.size() || needle.isEmpty())
        return -1;
    Memo *found = nullptr;
    if constexpr (std::is_same_v<Needle, QLatin1StringView>)
        found = &memo(needle, cs, false, scan);
    else
        found = &memo(needle, scan);
    Memo &m = *found;
    qsizetype result = -1;
    if (m.from >= 0 && m.from <= from && (m.result < 0 || m.result >= from)) {
        // The remembered search found nothing in [m.from, result).
        return m.result;
    } else if (m.from > from && m.from < m_text.size()) {
        // Only [from, m.from) is new: look for a start there, else the
        // remembered answer stands.
        const qsizetype end = qMin(m_text.size(), m.from + needle.size() - 1);
        result = m_text.first(end).indexOf(needle, from, cs);
        if (result < 0)
            result = m.result;
    } else {
        result = m_text.indexOf(needle, from, cs);
    }
    m.from = from;
    m.result = result;
    return result;
}

qsizetype PageText::find(QLatin1StringView marker, qsizetype from, Qt::CaseSensitivity cs,
                         QLatin1StringView scan)
{
    return forward(marker, from, cs, scan);
}

qsizetype PageText::findText(QStringView needle, qsizetype from, QLatin1StringView scan)
{
    return forward(needle, from, Qt::CaseSensitive, scan);
}

qsizetype PageText::findBack(QLatin1StringView marker, qsizetype from, Qt::CaseSensitivity cs,
                             QLatin1StringView scan)
{
    if (from < 0 || marker.isEmpty() || marker.size() > m_text.size())
        return -1;
    const qsizetype lastStart = m_text.size() - marker.size();
    if (from > lastStart)
        from = lastStart;
    Memo &m = memo(marker, cs, true, scan);
    qsizetype result = -1;
    if (m.from >= 0 && from <= m.from && (m.result < 0 || m.result <= from)) {
        // The remembered search found nothing in (result, m.from].
        return m.result;
    } else if (m.from >= 0 && from > m.from) {
        // Only (m.from, from] is new.
        const qsizetype start = m.from + 1;
        result = m_text.sliced(start).lastIndexOf(marker, from - start, cs);
        result = result < 0 ? m.result : result + start;
    } else {
        result = m_text.lastIndexOf(marker, from, cs);
    }
    m.from = from;
    m.result = result;
    return result;
}

QString PageText::cut(qsizetype from, qsizetype to) const
{
    if (from < 0)
        from = 0;
    if (to > m_text.size())
        to = m_text.size();
    if (to <= from)
        return QString();
    return m_text.sliced(from, to - from).toString();
}

QString ExtractUrlAt(PageText &page, qsizetype pos)
{
    const qsizetype start =
        page.findBack(SearchTexts::kScheme, pos, Qt::CaseSensitive, kAddressScan);
    const qsizetype end = page.find(kQuote, pos, Qt::CaseSensitive, kAddressScan);
    if (start < 0 || end < 0 || end - start > kMaxAddressLength)
        return QString();
    return page.cut(start, end);
}

QString ExtractToQuote(PageText &page, qsizetype pos)
{
    const qsizetype end = page.find(kQuote, pos, Qt::CaseSensitive, kAddressScan);
    if (end < 0 || end - pos > kMaxAddressLength)
        return QString();
    return page.cut(pos, end);
}
