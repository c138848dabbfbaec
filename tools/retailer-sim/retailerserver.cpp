#include "retailerserver.h"

#include "pagebuilder.h"
#include "searchquery.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <chrono>
#include <random>
#include <thread>

namespace
{

const std::string kHtml = "text/html; charset=utf-8";

struct Target {
    std::string path;  // raw, still percent-encoded
    std::string query; // raw, without the "?"
};

Target splitTarget(const std::string &target)
{
    const size_t q = target.find('?');
    if (q == std::string::npos)
        return {target, {}};
    return {target.substr(0, q), target.substr(q + 1)};
}

std::string utf8(const QString &s)
{
    return s.toStdString();
}

QString qs(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

void sleepMs(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The socket of the request's connection, or -1. cpp-httplib hands a
// handler no socket, so find it by its two ends.
int connectionSocket(const httplib::Request &req, int serverPort)
{
    rlimit limit{};
    const int maxFd = getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < 65536
                          ? int(limit.rlim_cur)
                          : 65536;
    for (int fd = 3; fd < maxFd; ++fd) {
        sockaddr_in peer{};
        socklen_t len = sizeof(peer);
        if (getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &len) != 0 ||
            peer.sin_family != AF_INET || ntohs(peer.sin_port) != req.remote_port)
            continue;
        sockaddr_in local{};
        len = sizeof(local);
        if (getsockname(fd, reinterpret_cast<sockaddr *>(&local), &len) == 0 &&
            ntohs(local.sin_port) == serverPort)
            return fd;
    }
    return -1;
}

// Closes the request's connection without an answer. Shutting it down
// (rather than closing it) leaves the descriptor to the library, whose own
// write then fails and closes it.
void dropConnection(const httplib::Request &req, int serverPort)
{
    const int fd = connectionSocket(req, serverPort);
    if (fd >= 0)
        shutdown(fd, SHUT_RDWR);
}

// Resets the request's connection (the client sees ECONNRESET): on Linux a
// connect to AF_UNSPEC disconnects an established TCP socket with an RST,
// and the descriptor stays the library's to close.
void resetConnection(const httplib::Request &req, int serverPort)
{
    const int fd = connectionSocket(req, serverPort);
    if (fd < 0)
        return;
    sockaddr unspec{};
    unspec.sa_family = AF_UNSPEC;
    connect(fd, &unspec, sizeof(unspec));
}

// Sends half of the body under a Content-Length for all of it, then closes.
void sendTruncated(httplib::Response &res, std::string body, const std::string &type)
{
    const size_t total = body.size();
    auto data = std::make_shared<std::string>(std::move(body));
    res.set_content_provider(total, type, [data](size_t offset, size_t, httplib::DataSink &sink) {
        const size_t half = data->size() / 2;
        if (offset < half)
            sink.write(data->data() + offset, half - offset);
        return false;
    });
}

// Ports whose number holds a Vantory category id would let an address that
// lost its category still pass the program's "address names the category"
// test, so an automatically chosen port avoids them.
bool portHoldsCategory(int port)
{
    static const char *ids[] = {"4118", "4105", "4109", "4110",  "4107", "4112", "4116",
                                "4120", "4111", "4114", "4124",  "4115", "4108", "4113",
                                "4106", "4117", "4119", "51934", "41938"};
    const std::string text = std::to_string(port);
    for (const char *id : ids) {
        if (text.find(id) != std::string::npos)
            return true;
    }
    return false;
}

QString departmentName(int category)
{
    static const std::pair<int, const char *> names[] = {
        {4118, "Rock"},       {4105, "Blues"},
        {4109, "Country"},    {4110, "Dance"},
        {4107, "Jazz"},       {4112, "Christian"},
        {4116, "R&B/Soul"},   {4120, "Special Interest"},
        {4111, "Folk"},       {4114, "New Age"},
        {4124, "Reggae"},     {4115, "Pop"},
        {4108, "Classical"},  {4113, "Latin"},
        {4106, "Childrens"},  {4117, "Rap/Hip Hop"},
        {4119, "Soundtrack"}, {51934, "Compilation"},
        {41938, "DVD"}};
    for (const auto &[id, name] : names) {
        if (id == category)
            return QString::fromLatin1(name);
    }
    return QStringLiteral("Music");
}

PageHit hitOf(const CatalogueEntry &e)
{
    PageHit h;
    h.id = e.id;
    h.dvd = e.type == MediaType::Dvd;
    h.artist = h.dvd ? (e.artist.isEmpty() ? QStringLiteral("DVD") : e.artist) : e.artist;
    h.title = e.album;
    h.gifThumbnail = e.gifThumbnail;
    h.layout = e.layout;
    return h;
}

} // namespace

RetailerServer::RetailerServer(Catalogue catalogue)
    : m_catalogue(std::move(catalogue)), m_server(std::make_unique<httplib::Server>())
{
    // Several clients (the hidden fetcher, the results view, downloads) keep
    // connections open at once; the default pool of 8 would queue them.
    m_server->new_task_queue = [] { return new httplib::ThreadPool(32); };
    m_server->set_keep_alive_timeout(2);
    m_server->set_tcp_nodelay(true);
    // Compressing every page (brotli at its slowest) cost ~190 ms a page and
    // made whole searches slow; a loopback server gains nothing from it.
    m_server->set_pre_routing_handler([this](const httplib::Request &req, httplib::Response &res) {
        const_cast<httplib::Request &>(req).headers.erase("Accept-Encoding");
        return arrive(req, res) ? httplib::Server::HandlerResponse::Handled
                                : httplib::Server::HandlerResponse::Unhandled;
    });
    m_server->Get(
        ".*", [this](const httplib::Request &req, httplib::Response &res) { handle(req, res); });
}

RetailerServer::~RetailerServer()
{
    if (m_log)
        std::fclose(m_log);
}

bool RetailerServer::setRequestLog(const QString &path)
{
    m_log = std::fopen(path.toLocal8Bit().constData(), "a");
    return m_log != nullptr;
}

bool RetailerServer::arrive(const httplib::Request &req, httplib::Response &res)
{
    const long long at = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - m_started)
                             .count();
    const std::string host = req.get_header_value("Host");
    long long waitMs = 0;
    {
        const std::lock_guard<std::mutex> lock(m_politeMutex);
        if (m_log) {
            std::fprintf(m_log, "%lld %s %s\n", at, host.c_str(), req.target.c_str());
            std::fflush(m_log);
        }
        m_clientPorts.insert(req.remote_port);
        if (m_rateLimitMs > 0) {
            const auto last = m_lastAccepted.find(host);
            if (last != m_lastAccepted.end() && at - last->second < m_rateLimitMs)
                waitMs = last->second + m_rateLimitMs - at;
            else
                m_lastAccepted[host] = at;
        }
    }
    sleepMs(m_latencyMs);
    if (waitMs == 0)
        return false;
    res.status = 429;
    res.set_header("Retry-After", std::to_string((waitMs + 999) / 1000));
    res.set_content(utf8(PageBuilder::errorPage(429, QStringLiteral("Too many requests."))), kHtml);
    return true;
}

bool RetailerServer::stillFailing(int failTimes, const std::string &target)
{
    if (failTimes <= 0)
        return true;
    const std::lock_guard<std::mutex> lock(m_politeMutex);
    return ++m_failCounts[target] <= failTimes;
}

int RetailerServer::bind(int port)
{
    if (port != 0) {
        m_port = m_server->bind_to_port("127.0.0.1", port) ? port : -1;
        return m_port;
    }
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> pick(20000, 60999);
    for (int attempt = 0; attempt < 500; ++attempt) {
        const int candidate = pick(random);
        if (portHoldsCategory(candidate))
            continue;
        if (m_server->bind_to_port("127.0.0.1", candidate)) {
            m_port = candidate;
            return m_port;
        }
    }
    return -1;
}

void RetailerServer::serve()
{
    m_server->listen_after_bind();
}

void RetailerServer::stop()
{
    m_server->stop();
}

QString RetailerServer::hostOf(const httplib::Request &req) const
{
    static thread_local const QRegularExpression hostRe(
        QStringLiteral("^[A-Za-z0-9.\\-\\[\\]:]{1,255}$"));
    const QString host = qs(req.get_header_value("Host"));
    if (hostRe.match(host).hasMatch())
        return host;
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

void RetailerServer::handle(const httplib::Request &req, httplib::Response &res)
{
    const Target t = splitTarget(req.target);
    const std::string &path = t.path;
    PageBuilder pages(hostOf(req));

    if (path == "/catalog/search-ng.gsp")
        return vantorySearch(req, res, false);
    if (path == "/catalog/moved.gsp")
        return vantorySearch(req, res, true);
    if (path == "/retail/searchresults.asp")
        return brinsellSearch(req, res, false);
    if (path == "/retail/moved.asp")
        return brinsellSearch(req, res, true);
    if (path.rfind("/images/V/", 0) == 0)
        return vantoryPicture(path.substr(10), req, res);
    if (path.rfind("/db_assets/", 0) == 0) {
        const std::string rest = path.substr(11);
        const size_t slash = rest.find('/');
        if (slash != std::string::npos)
            return brinsellPicture(rest.substr(0, slash), rest.substr(slash + 1), req, res);
    }
    if (path.rfind("/pic/", 0) == 0)
        return genericPicture(path.substr(5), req, res);
    if (path.rfind("/images/", 0) == 0 || path.rfind("/DB_ASSETS/", 0) == 0) {
        // Logos, buttons and banners of the page chrome.
        const QString name = qs(path);
        const QByteArray gif = m_pictures.picture(name, QString(), QString(), QSize(40, 20), true);
        res.set_content(gif.toStdString(), "image/gif");
        return;
    }
    static const std::string versionPage = "/version.html";
    if (path.size() >= versionPage.size() &&
        path.compare(path.size() - versionPage.size(), versionPage.size(), versionPage) == 0) {
        const std::string dir = path.substr(0, path.size() - versionPage.size());
        const size_t slash = dir.rfind('/');
        return updatePage(slash == std::string::npos ? dir : dir.substr(slash + 1), req, res);
    }
    if (path == "/sim/connections") {
        const std::lock_guard<std::mutex> lock(m_politeMutex);
        res.set_content(std::to_string(m_clientPorts.size()), "text/plain");
        return;
    }
    if (path == "/download.html") {
        res.set_content(utf8(pages.downloadPage()), kHtml);
        return;
    }
    if (path == "/" || path == "/index.html") {
        res.set_content(utf8(pages.indexPage()), kHtml);
        return;
    }
    res.status = 404;
    res.set_content(utf8(PageBuilder::errorPage(404, QStringLiteral("No such page."))), kHtml);
}

bool RetailerServer::searchBehaviour(const SearchQuery &q, const httplib::Request &req,
                                     httplib::Response &res)
{
    sleepMs(q.slowMs);
    if (q.cookie && req.get_header_value("Cookie").find("simsession=ok") == std::string::npos) {
        // Like a shop that first hands out a session: set it and send the
        // browser back to the same address.
        res.set_header("Set-Cookie", "simsession=ok; Path=/");
        res.set_redirect(req.target, 302);
        return true;
    }
    if (q.reset) {
        resetConnection(req, m_port);
        return true;
    }
    if (q.errorStatus != 0) {
        res.status = q.errorStatus;
        if (q.retryAfter >= 0)
            res.set_header("Retry-After", std::to_string(q.retryAfter));
        res.set_content(utf8(PageBuilder::errorPage(
                            q.errorStatus, QStringLiteral("The server could not answer."))),
                        kHtml);
        return true;
    }
    if (q.drop) {
        dropConnection(req, m_port);
        return true;
    }
    return false;
}

void RetailerServer::sendPage(const SearchQuery &q, const QString &html, httplib::Response &res)
{
    const std::string type = q.cp1252 ? std::string("text/html") : kHtml;
    std::string bytes = q.cp1252 ? html.toLatin1().toStdString() : utf8(html);
    if (q.dropBody)
        sendTruncated(res, std::move(bytes), type);
    else
        res.set_content(bytes, type);
}

std::vector<PageHit> RetailerServer::syntheticHits(const SearchQuery &q, bool dvd) const
{
    std::vector<PageHit> hits;
    const auto add = [&](const QString &id, const QString &artist, const QString &title) {
        PageHit h;
        h.id = id;
        h.artist = dvd ? QStringLiteral("DVD") : artist;
        h.title = title;
        h.dvd = dvd;
        hits.push_back(h);
        return &hits.back();
    };
    for (int i = 1; i <= q.bulk; ++i) {
        PageHit *h =
            add(QStringLiteral("bulk%1").arg(i), QStringLiteral("Bulk Artist %1").arg(i),
                (dvd ? QStringLiteral("Bulk Feature %1") : QStringLiteral("Bulk Album %1")).arg(i));
        h->gifThumbnail = i % 2 == 1;
        h->layout = i > (q.bulk + 1) / 2 ? BrinsellLayout::Link : BrinsellLayout::Heading;
    }
    if (q.quotes) {
        add(QStringLiteral("syn1"), QStringLiteral("Quote Test"), QStringLiteral("Single Quoted"))
            ->quote = PageHit::Quote::Single;
        add(QStringLiteral("syn2"), QStringLiteral("Quote Test"), QStringLiteral("Unquoted"))
            ->quote = PageHit::Quote::None;
        add(QStringLiteral("syn3"), QStringLiteral("Quote Test"), QStringLiteral("Double Quoted"));
    }
    if (q.endPicture || q.endInUrl)
        add(QStringLiteral("syn4"), QStringLiteral("End Test"), QStringLiteral("Before The End"));
    return hits;
}

void RetailerServer::vantorySearch(const httplib::Request &req, httplib::Response &res, bool moved)
{
    const std::string query = splitTarget(req.target).query;
    const std::string_view rawText = rawBetween(query, "search_query=", {"&CATEGORY_ID="});
    const int dept = qs(rawBetween(query, "dept=", {})).toInt();
    const int category = qs(rawBetween(query, "CATEGORY_ID=", {})).toInt();
    SearchQuery q = SearchQuery::parse(percentDecoded(rawText).trimmed());
    if (!stillFailing(q.failTimes, req.target))
        q.dropTrouble();
    const bool dvd = dept == Catalogue::kDvdDept || category == Catalogue::kDvdCategory;
    const QString department = dvd ? QStringLiteral("DVD") : departmentName(category);
    q.troubleOnlyFor(moved ? QString() : department);
    if (searchBehaviour(q, req, res))
        return;
    if (!moved && query.find("&redirected=1") == std::string::npos) {
        if (q.redirect) {
            // The shop moved the search: the new address no longer names the
            // category, so the program must not take the page as that genre's.
            res.set_redirect("/catalog/moved.gsp?dept=" + std::to_string(dept) +
                                 "&search_query=" + std::string(rawText) + "&CATEGORY_ID=moved",
                             302);
            return;
        }
        if (q.redirectKeep) {
            res.set_redirect(req.target + "&redirected=1", 302);
            return;
        }
    }

    std::vector<PageHit> hits;
    if (q.synthetic()) {
        hits = syntheticHits(q, dvd);
    } else {
        for (const CatalogueEntry *e :
             m_catalogue.match(q.words, dvd ? MediaType::Dvd : MediaType::Music, true)) {
            if (moved || dvd || e->categoryId == category)
                hits.push_back(hitOf(*e));
        }
    }
    PageBuilder pages(hostOf(req));
    const PageEnd end = q.endInUrl     ? PageEnd::InsideAddress
                        : q.endPicture ? PageEnd::AfterPicture
                                       : PageEnd::Complete;
    sendPage(q,
             hits.empty() && end == PageEnd::Complete
                 ? pages.vantoryNoMatches(q.text, department)
                 : pages.vantory(q.text, department, hits, end),
             res);
}

void RetailerServer::brinsellSearch(const httplib::Request &req, httplib::Response &res, bool moved)
{
    const std::string query = splitTarget(req.target).query;
    const bool dvd = rawBetween(query, "querytype=", {}) == "video_dvd";
    // The music address puts "=" straight after the text; "&" inside the
    // text stays as typed, so cut at the known tails rather than at "&".
    const std::string_view rawText = query.rfind("qu=", 0) == 0
                                         ? rawBetween(query, "qu=", {"=&mfgid=", "&orderby="})
                                         : rawBetween(query, "&qu=", {"=&mfgid=", "&orderby="});
    SearchQuery q = SearchQuery::parse(percentDecoded(rawText).trimmed());
    if (!stillFailing(q.failTimes, req.target))
        q.dropTrouble();
    q.troubleOnlyFor(QStringLiteral("Brinsell"));
    if (searchBehaviour(q, req, res))
        return;
    if (!moved && query.find("&redirected=1") == std::string::npos) {
        if (q.redirect) {
            res.set_redirect("/retail/moved.asp?" + query, 302);
            return;
        }
        if (q.redirectKeep) {
            res.set_redirect(req.target + "&redirected=1", 302);
            return;
        }
    }

    std::vector<PageHit> hits;
    if (q.synthetic()) {
        hits = syntheticHits(q, dvd);
    } else {
        for (const CatalogueEntry *e :
             m_catalogue.match(q.words, dvd ? MediaType::Dvd : MediaType::Music, false))
            hits.push_back(hitOf(*e));
    }
    PageBuilder pages(hostOf(req));
    const PageEnd end = q.endInUrl     ? PageEnd::InsideAddress
                        : q.endPicture ? PageEnd::AfterPicture
                                       : PageEnd::Complete;
    sendPage(q,
             hits.empty() && end == PageEnd::Complete
                 ? pages.brinsellNoMatches(q.text, dvd)
                 : pages.brinsell(q.text, dvd, hits, end, q.partnersFirst),
             res);
}

void RetailerServer::sendPicture(const QString &key, const QString &caption,
                                 const QString &subcaption, const PictureOptions &asked,
                                 QSize thumbnailSize, bool gif, const httplib::Request &req,
                                 httplib::Response &res)
{
    if (thumbnailSize.isValid()) {
        // Thumbnails always work: the behaviours belong to the big pictures.
        res.set_content(
            m_pictures.picture(key, caption, subcaption, thumbnailSize, gif).toStdString(),
            gif ? "image/gif" : "image/jpeg");
        return;
    }
    PictureOptions options = asked;
    if (!stillFailing(options.failTimes, req.target))
        options.dropTrouble();
    sleepMs(options.slowMs);
    if (options.close) {
        dropConnection(req, m_port);
        return;
    }
    if (options.reset) {
        resetConnection(req, m_port);
        return;
    }
    if (options.missing) {
        res.status = 404;
        res.set_content(utf8(PageBuilder::errorPage(404, QStringLiteral("Picture not found."))),
                        kHtml);
        return;
    }
    if (options.errorStatus != 0) {
        res.status = options.errorStatus;
        if (options.retryAfter >= 0)
            res.set_header("Retry-After", std::to_string(options.retryAfter));
        res.set_content(utf8(PageBuilder::errorPage(options.errorStatus,
                                                    QStringLiteral("The picture server failed."))),
                        kHtml);
        return;
    }
    const Target t = splitTarget(req.target);
    if (options.redirect && t.query.find("moved=1") == std::string::npos) {
        res.set_redirect(t.path + "?moved=1", 302);
        return;
    }
    std::string bytes =
        m_pictures.picture(key, caption, subcaption, options.size, gif).toStdString();
    const std::string type = gif ? "image/gif" : "image/jpeg";
    if (options.drop)
        sendTruncated(res, std::move(bytes), type);
    else
        res.set_content(bytes, type);
}

namespace
{

// Captions of the made-up hits' pictures ("bulk12", "syn3").
bool syntheticId(const QString &id)
{
    static thread_local const QRegularExpression re(QStringLiteral("^(bulk|syn)\\d{1,4}$"));
    return re.match(id).hasMatch();
}

} // namespace

void RetailerServer::vantoryPicture(const std::string &file, const httplib::Request &req,
                                    httplib::Response &res)
{
    static thread_local const QRegularExpression re(
        QStringLiteral("^(.+)_(60X60|500X500)\\.(gif|jpg)$"));
    const QRegularExpressionMatch m = re.match(percentDecoded(file));
    const bool thumb = m.hasMatch() && m.captured(2) == QLatin1String("60X60");
    const bool gif = m.hasMatch() && m.captured(3) == QLatin1String("gif");
    const QString id = m.captured(1);
    const CatalogueEntry *e = m.hasMatch() ? m_catalogue.find(id) : nullptr;
    if (!m.hasMatch() || (!thumb && gif) || (!e && !syntheticId(id))) {
        res.status = 404;
        res.set_content(utf8(PageBuilder::errorPage(404, QStringLiteral("Picture not found."))),
                        kHtml);
        return;
    }
    const QString key = QStringLiteral("V/") + id;
    if (e && !thumb && !e->file.isEmpty())
        sendFile(e->file, res);
    else if (e)
        sendPicture(key, e->album, e->artist, PictureOptions::parse(e->picture),
                    thumb ? QSize(60, 60) : QSize(), gif, req, res);
    else
        sendPicture(key, id, QStringLiteral("Vantory"), PictureOptions(),
                    thumb ? QSize(60, 60) : QSize(), gif, req, res);
}

void RetailerServer::brinsellPicture(const std::string &folder, const std::string &file,
                                     const httplib::Request &req, httplib::Response &res)
{
    static thread_local const QRegularExpression re(QStringLiteral("^(.+)\\.(gif|jpg)$"));
    const QRegularExpressionMatch m = re.match(percentDecoded(file));
    const bool large = folder == "large_images";
    const bool thumb = folder == "prod_images" || folder == "ad_images";
    const QString id = m.captured(1);
    const bool gif = m.captured(2) == QLatin1String("gif");
    if (folder == "site_images") {
        res.set_content(
            m_pictures.picture(qs(file), QString(), QString(), QSize(40, 20), true).toStdString(),
            "image/gif");
        return;
    }
    const CatalogueEntry *e = m.hasMatch() ? m_catalogue.find(id) : nullptr;
    if (!m.hasMatch() || !(large || thumb) || (large && gif) || (!e && !syntheticId(id))) {
        res.status = 404;
        res.set_content(utf8(PageBuilder::errorPage(404, QStringLiteral("Picture not found."))),
                        kHtml);
        return;
    }
    const QString key = QStringLiteral("B/") + id;
    if (e && large && !e->file.isEmpty())
        sendFile(e->file, res);
    else if (e)
        sendPicture(key, e->album, e->artist, PictureOptions::parse(e->picture),
                    thumb ? QSize(100, 100) : QSize(), gif, req, res);
    else
        sendPicture(key, id, QStringLiteral("Brinsell"), PictureOptions(),
                    thumb ? QSize(100, 100) : QSize(), gif, req, res);
}

void RetailerServer::sendFile(const QString &path, httplib::Response &res)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        res.status = 404;
        res.set_content(utf8(PageBuilder::errorPage(404, QStringLiteral("Picture not found."))),
                        kHtml);
        return;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    const std::string type =
        suffix == QLatin1String("jpg") ? "image/jpeg" : "image/" + suffix.toStdString();
    res.set_content(file.readAll().toStdString(), type);
}

void RetailerServer::genericPicture(const std::string &file, const httplib::Request &req,
                                    httplib::Response &res)
{
    static thread_local const QRegularExpression re(
        QStringLiteral("^([A-Za-z0-9\\-]+)\\.(gif|jpg)$"));
    const QRegularExpressionMatch m = re.match(percentDecoded(file));
    if (!m.hasMatch()) {
        res.status = 404;
        res.set_content(utf8(PageBuilder::errorPage(404, QStringLiteral("Picture not found."))),
                        kHtml);
        return;
    }
    const QString tokens = m.captured(1);
    sendPicture(QStringLiteral("pic/") + tokens, tokens, QStringLiteral("Test picture"),
                PictureOptions::parse(tokens), QSize(), m.captured(2) == QLatin1String("gif"), req,
                res);
}

void RetailerServer::updatePage(const std::string &folder, const httplib::Request &req,
                                httplib::Response &res)
{
    const QString name = percentDecoded(folder);
    const auto page = [](const QString &inner) {
        return utf8(QStringLiteral("<html>\r\n<head><title>Jacketeer Version</title></head>\r\n") +
                    inner + QStringLiteral("\r\n</html>\r\n"));
    };
    if (name == QLatin1String("nobody")) {
        res.set_content(page(QStringLiteral("<body>3.1")), kHtml);
    } else if (name == QLatin1String("reversed")) {
        res.set_content(page(QStringLiteral("</body>3.1<body>")), kHtml);
    } else if (name == QLatin1String("missing")) {
        res.status = 404;
        res.set_content(utf8(PageBuilder::errorPage(404, QStringLiteral("No such page."))), kHtml);
    } else if (name == QLatin1String("error500")) {
        res.status = 500;
        res.set_content(utf8(PageBuilder::errorPage(500, QStringLiteral("Server error."))), kHtml);
    } else if (name == QLatin1String("drop")) {
        dropConnection(req, m_port);
    } else {
        if (name == QLatin1String("slow"))
            sleepMs(3000);
        const QString version =
            name.isEmpty() || name == QLatin1String("slow") ? QStringLiteral("3.0") : name;
        res.set_content(page(QStringLiteral("<body>") + version + QStringLiteral("</body>")),
                        kHtml);
    }
}
