#pragma once

#include "catalogue.h"
#include "picturefactory.h"

#include <QString>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace httplib
{
class Server;
struct Request;
struct Response;
} // namespace httplib

class PageBuilder;
struct SearchQuery;
struct PageHit;

// The simulated retailers (Vantory, Brinsell with its image host) and the
// update site, all on one HTTP server on 127.0.0.1.
class RetailerServer
{
public:
    explicit RetailerServer(Catalogue catalogue);
    ~RetailerServer();
    RetailerServer(const RetailerServer &) = delete;
    RetailerServer &operator=(const RetailerServer &) = delete;

    // Binds 127.0.0.1:port; port 0 picks a free port. Returns the port, or
    // -1 when it cannot bind.
    int bind(int port);
    // Every answer waits this long first, like a distant server.
    void setLatency(int ms) { m_latencyMs = ms; }
    // A request to a host (Host header) that comes less than `ms` after the
    // last one that host accepted is answered 429 with Retry-After.
    void setRateLimit(int ms) { m_rateLimitMs = ms; }
    // Appends one line per request as it arrives to the file: milliseconds
    // since the start, host, target. False when the file cannot be opened.
    bool setRequestLog(const QString &path);
    // Serves until stop() (blocks).
    void serve();
    void stop();

private:
    void handle(const httplib::Request &req, httplib::Response &res);
    void vantorySearch(const httplib::Request &req, httplib::Response &res, bool moved);
    void brinsellSearch(const httplib::Request &req, httplib::Response &res, bool moved);
    // Applies the behaviour keywords common to every search page; true when
    // the answer has been given (error, drop, cookie round, ...).
    bool searchBehaviour(const SearchQuery &q, const httplib::Request &req, httplib::Response &res);
    void sendPage(const SearchQuery &q, const QString &html, httplib::Response &res);
    void vantoryPicture(const std::string &file, const httplib::Request &req,
                        httplib::Response &res);
    void brinsellPicture(const std::string &folder, const std::string &file,
                         const httplib::Request &req, httplib::Response &res);
    void genericPicture(const std::string &file, const httplib::Request &req,
                        httplib::Response &res);
    void sendPicture(const QString &key, const QString &caption, const QString &subcaption,
                     const PictureOptions &options, QSize thumbnailSize, bool gif,
                     const httplib::Request &req, httplib::Response &res);
    // A picture file as it is, typed by its extension (a WebP sent for a ".jpg" address).
    static void sendFile(const QString &path, httplib::Response &res);
    void updatePage(const std::string &folder, const httplib::Request &req, httplib::Response &res);
    std::vector<PageHit> syntheticHits(const SearchQuery &q, bool dvd) const;
    QString hostOf(const httplib::Request &req) const;
    // Logs the request, waits the latency and applies the rate limit; true
    // when the request has been answered (429).
    bool arrive(const httplib::Request &req, httplib::Response &res);
    // Whether a "fail N times" address still fails: counts its requests.
    bool stillFailing(int failTimes, const std::string &target);

    Catalogue m_catalogue;
    PictureFactory m_pictures;
    std::unique_ptr<httplib::Server> m_server;
    int m_port = 0;

    int m_latencyMs = 0;
    int m_rateLimitMs = 0;
    std::FILE *m_log = nullptr;
    const std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
    std::mutex m_politeMutex; // guards the log, the rate limit, the fail counts, the clients
    std::map<std::string, long long> m_lastAccepted;
    std::map<std::string, int> m_failCounts;
    std::set<int> m_clientPorts; // one per connection a client opened
};
