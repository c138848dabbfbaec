#include "search/pagetext.h"

#include "search/searchtexts.h"

PageText::Memo *PageText::memo(QLatin1StringView marker, Qt::CaseSensitivity cs, bool backward)
{
    for (Memo &m : m_memo) {
        if (m.cs == cs && m.backward == backward &&
            QLatin1StringView(m.marker.data(), qsizetype(m.marker.size())) == marker)
            return &m;
    }
    m_memo.push_back(
        {std::string(marker.data(), std::size_t(marker.size())), cs, backward, -1, -1});
    return &m_memo.back();
}

qsizetype PageText::find(QLatin1StringView marker, qsizetype from, Qt::CaseSensitivity cs)
{
    if (from < 0)
        from = 0;
    if (from >= m_text.size() || marker.isEmpty())
        return -1;
    Memo *m = memo(marker, cs, false);
    qsizetype result = -1;
    if (m->from >= 0 && m->from <= from && (m->result < 0 || m->result >= from)) {
        // The remembered search found nothing in [m->from, result).
        return m->result;
    } else if (m->from > from && m->from < m_text.size()) {
        // Only [from, m->from) is new: look for a start there, else the
        // remembered answer stands.
        const qsizetype end = qMin(m_text.size(), m->from + marker.size() - 1);
        result = m_text.first(end).indexOf(marker, from, cs);
        if (result < 0)
            result = m->result;
    } else {
        result = m_text.indexOf(marker, from, cs);
    }
    m->from = from;
    m->result = result;
    return result;
}

qsizetype PageText::findBack(QLatin1StringView marker, qsizetype from, Qt::CaseSensitivity cs)
{
    if (from < 0 || marker.isEmpty() || marker.size() > m_text.size())
        return -1;
    const qsizetype lastStart = m_text.size() - marker.size();
    if (from > lastStart)
        from = lastStart;
    Memo *m = memo(marker, cs, true);
    qsizetype result = -1;
    if (m->from >= 0 && from <= m->from && (m->result < 0 || m->result <= from)) {
        // The remembered search found nothing in (result, m->from].
        return m->result;
    } else if (m->from >= 0 && from > m->from) {
        // Only (m->from, from] is new.
        const qsizetype start = m->from + 1;
        result = m_text.sliced(start).lastIndexOf(marker, from - start, cs);
        result = result < 0 ? m->result : result + start;
    } else {
        result = m_text.lastIndexOf(marker, from, cs);
    }
    m->from = from;
    m->result = result;
    return result;
}

qsizetype PageText::findText(QStringView needle, qsizetype from) const
{
    if (from < 0)
        from = 0;
    if (from >= m_text.size() || needle.isEmpty())
        return -1;
    return m_text.indexOf(needle, from);
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
    const qsizetype start = page.findBack(SearchTexts::kScheme, pos);
    const qsizetype end = page.find(QLatin1StringView("\""), pos);
    if (start < 0 || end < 0)
        return QString();
    return page.cut(start, end);
}

QString ExtractToQuote(PageText &page, qsizetype pos)
{
    const qsizetype end = page.find(QLatin1StringView("\""), pos);
    if (end < 0)
        return QString();
    return page.cut(pos, end);
}
