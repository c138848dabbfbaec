#include "searchquery.h"

#include <QByteArray>
#include <QRegularExpression>

SearchQuery SearchQuery::parse(const QString &text)
{
    static thread_local const QRegularExpression keywordRe(
        QStringLiteral("^sim(slow(\\d{0,6})|error(\\d{3})|dropbody|drop|redirectkeep|redirect|"
                       "cookie|bulk(\\d{1,4})|quotes|endpic|endurl|1252|adfirst)$"),
        QRegularExpression::CaseInsensitiveOption);
    // The retry keywords, kept apart from the older ones above.
    static thread_local const QRegularExpression retryRe(
        QStringLiteral("^sim(reset|fail(\\d{1,3})|retryafter(\\d{1,4})|only([a-z]{2,20}))$"),
        QRegularExpression::CaseInsensitiveOption);
    SearchQuery q;
    q.text = text;
    for (const QString &w :
         text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        if (const QRegularExpressionMatch r = retryRe.match(w); r.hasMatch()) {
            const QString k = r.captured(1).toLower();
            if (k == QLatin1String("reset"))
                q.reset = true;
            else if (k.startsWith(QLatin1String("fail")))
                q.failTimes = r.captured(2).toInt();
            else if (k.startsWith(QLatin1String("only")))
                q.onlyPage = r.captured(4).toLower();
            else
                q.retryAfter = r.captured(3).toInt();
            continue;
        }
        const QRegularExpressionMatch m = keywordRe.match(w);
        if (!m.hasMatch()) {
            q.words.append(w);
            continue;
        }
        const QString k = m.captured(1).toLower();
        if (k.startsWith(QLatin1String("slow")))
            q.slowMs = m.captured(2).isEmpty() ? 3000 : m.captured(2).toInt();
        else if (k.startsWith(QLatin1String("error")))
            q.errorStatus = m.captured(3).toInt();
        else if (k == QLatin1String("dropbody"))
            q.dropBody = true;
        else if (k == QLatin1String("drop"))
            q.drop = true;
        else if (k == QLatin1String("redirectkeep"))
            q.redirectKeep = true;
        else if (k == QLatin1String("redirect"))
            q.redirect = true;
        else if (k == QLatin1String("cookie"))
            q.cookie = true;
        else if (k.startsWith(QLatin1String("bulk")))
            q.bulk = qMin(m.captured(4).toInt(), 5000);
        else if (k == QLatin1String("quotes"))
            q.quotes = true;
        else if (k == QLatin1String("endpic"))
            q.endPicture = true;
        else if (k == QLatin1String("endurl"))
            q.endInUrl = true;
        else if (k == QLatin1String("1252"))
            q.cp1252 = true;
        else if (k == QLatin1String("adfirst"))
            q.partnersFirst = true;
    }
    return q;
}

void SearchQuery::troubleOnlyFor(const QString &page)
{
    QString name = page.toLower();
    name.removeIf([](QChar c) { return c < u'a' || c > u'z'; });
    if (onlyPage.isEmpty() || onlyPage == name)
        return;
    dropTrouble();
    redirect = false;
    redirectKeep = false;
}

void SearchQuery::dropTrouble()
{
    slowMs = 0;
    errorStatus = 0;
    drop = false;
    dropBody = false;
    reset = false;
}

std::string_view rawBetween(std::string_view query, std::string_view start,
                            std::initializer_list<std::string_view> ends)
{
    const size_t s = query.find(start);
    if (s == std::string_view::npos)
        return {};
    const size_t from = s + start.size();
    size_t end = std::string_view::npos;
    for (std::string_view e : ends)
        end = std::min(end, query.find(e, from));
    if (end == std::string_view::npos)
        end = query.find('&', from);
    if (end == std::string_view::npos)
        end = query.size();
    return query.substr(from, end - from);
}

QString percentDecoded(std::string_view raw)
{
    return QString::fromUtf8(
        QByteArray::fromPercentEncoding(QByteArray(raw.data(), qsizetype(raw.size()))));
}
