#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

#include <map>
#include <mutex>

// What a picture address asks for: its size and how it is served. Written as
// tokens joined by "-", e.g. "300x300", "1x1", "slow-500x400", "error500".
struct PictureOptions {
    QSize size{500, 500};
    bool missing = false;  // 404
    int slowMs = 0;        // wait before answering
    int errorStatus = 0;   // answer with this status and an error page
    bool drop = false;     // send half of the body, then close the connection
    bool close = false;    // close the connection without any answer
    bool redirect = false; // 302 to the same address with "?moved=1"
    bool reset = false;    // reset the connection (TCP RST) without any answer
    int failTimes = 0;     // the trouble above applies to the first N requests only
    int retryAfter = -1;   // Retry-After seconds sent with an error status

    static PictureOptions parse(const QString &tokens);
    // Forgets the slow, missing, error, drop, close and reset tokens (a
    // "failN" address asked for more than N times).
    void dropTrouble();
};

// Draws the covers: a coloured square (the colour follows from the key)
// with the caption written on it, so each picture is recognisable on
// screen and distinct in bytes. Encoded results are cached.
class PictureFactory
{
public:
    // A JPEG (or GIF) of the given size; covers smaller than 60 pixels are
    // the cover scaled down, a 1x1 picture is a single grey pixel.
    QByteArray picture(const QString &key, const QString &caption, const QString &subcaption,
                       QSize size, bool gif);

private:
    std::mutex m_mutex;
    std::map<QString, QByteArray> m_cache;
};
