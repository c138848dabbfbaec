#include "batch/consoleprogress.h"

#include "batch/batchtexts.h"
#include "batch/consoletexts.h"

#include <QTextStream>

using namespace ConsoleTexts;

namespace
{

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

ConsoleProgress::ConsoleProgress(const ConsoleStreams &streams,
                                 const std::vector<QueueEntry> &queue,
                                 std::function<bool(int)> ticked)
    : m_streams(streams), m_queue(queue), m_ticked(std::move(ticked))
{
}

bool ConsoleProgress::isTicked(int nodeIndex)
{
    return m_ticked && m_ticked(nodeIndex);
}

void ConsoleProgress::setRowStatus(int row, const QString &status)
{
    if (status == QLatin1String(BatchTexts::kStatusSearching)) {
        m_current = {};
        m_current.row = row;
        m_current.folder = m_queue.at(static_cast<size_t>(row)).directory;
        m_current.status = status;
        m_open = true;
        m_site.clear();
        return;
    }
    if (m_open && row == m_current.row)
        endEntry(status);
}

void ConsoleProgress::setRowFailure(int row, const QString &reason, const QString &)
{
    if (m_open && row == m_current.row)
        m_current.failure = reason;
}

void ConsoleProgress::setLabel(BatchLabel label, const QString &text)
{
    if (label != BatchLabel::Site || !m_open)
        return;
    m_site = text;
    // Skipped entries pass through here too; only a searched one has a site
    // worth showing, and only a terminal shows it while it lasts.
    if (m_streams.terminal && m_ticked && m_ticked(m_queue.at(size_t(m_current.row)).nodeIndex))
        show(QString::fromUtf8(kSearching).arg(m_site, hitsText()));
}

void ConsoleProgress::addHitNode(const QString &, const QString &, const QString &, NodeImage, bool)
{
    ++m_current.hits;
    if (m_streams.terminal)
        show(QString::fromUtf8(kSearching).arg(m_site, hitsText()));
}

void ConsoleProgress::setNodeImage(const QString &, NodeImage image)
{
    if (image == NodeImage::HitSaved)
        m_current.saved = true;
}

QString ConsoleProgress::hitsText() const
{
    if (m_current.hits == 0)
        return text(kNoHits);
    if (m_current.hits == 1)
        return text(kOneHit);
    return QString::fromUtf8(kHits).arg(m_current.hits);
}

QString ConsoleProgress::line(const QString &state, bool fit) const
{
    const QString number = QString::number(m_current.row + 1);
    const QString count = QString::number(m_queue.size());
    const QString whole = QString::fromUtf8(kEntry).arg(number, count, state, m_current.folder);
    const qsizetype room = m_streams.width - 1; // the last column would wrap the line
    if (!fit || whole.size() <= room)
        return whole;
    // Rewriting a line that wrapped would leave a trail: the start of the
    // folder's path goes first, then the whole folder, then the line's end.
    const QLatin1String ellipsis("...");
    const qsizetype left = room - (whole.size() - m_current.folder.size()) - ellipsis.size();
    if (left >= 8)
        return QString::fromUtf8(kEntry).arg(number, count, state,
                                             ellipsis + m_current.folder.right(left));
    return QString::fromUtf8(kEntryNoFolder).arg(number, count, state).left(room);
}

void ConsoleProgress::show(const QString &state)
{
    QTextStream &out = *m_streams.out;
    // Back to the start of the line, the new text, the rest of the old one cleared.
    out << '\r' << line(state, true) << "\x1b[K";
    out.flush();
    m_lineShown = true;
}

void ConsoleProgress::endEntry(const QString &status)
{
    m_open = false;
    m_current.status = status;
    QString state;
    if (status == QLatin1String(BatchTexts::kStatusSkipped))
        state = text(kSkipped);
    else if (status == QLatin1String(BatchTexts::kStatusFailed))
        state = text(kFailed) +
                (m_current.failure.isEmpty() ? QString() : QLatin1String(", ") + m_current.failure);
    else if (status == QLatin1String(BatchTexts::kStatusComplete))
        state = hitsText() +
                (m_current.hits == 0 ? QString() : text(m_current.saved ? kSaved : kNotSaved));
    else
        state = text(kStopped) + QLatin1String(", ") + hitsText();
    if (m_streams.terminal && status == QLatin1String(BatchTexts::kStatusFailed)) {
        // A failure stays on the screen, whole; the rest is told by the summary.
        *m_streams.out << '\r' << line(state, false) << "\x1b[K\n";
        m_lineShown = false;
    } else if (m_streams.terminal) {
        show(state);
    } else {
        *m_streams.out << line(state, false) << '\n';
    }
    m_streams.out->flush();
    m_entries.push_back(m_current);
}

void ConsoleProgress::finish()
{
    if (m_open)
        endEntry(m_current.status);
    if (m_lineShown) {
        *m_streams.out << '\n';
        m_streams.out->flush();
        m_lineShown = false;
    }
}
