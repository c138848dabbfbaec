#pragma once

#include "catalogue.h"
#include "picturefactory.h"

#include <memory>
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
    void updatePage(const std::string &folder, const httplib::Request &req, httplib::Response &res);
    std::vector<PageHit> syntheticHits(const SearchQuery &q, bool dvd) const;
    QString hostOf(const httplib::Request &req) const;

    Catalogue m_catalogue;
    PictureFactory m_pictures;
    std::unique_ptr<httplib::Server> m_server;
    int m_port = 0;
};
