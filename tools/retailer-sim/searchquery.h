#pragma once

#include <QString>
#include <QStringList>

#include <string_view>

// A search text as the simulator reads it: the words to match plus the
// behaviour keywords ("simslow", "simerror500", ...) a test put in it.
struct SearchQuery {
    QString text;      // as received, percent-decoded
    QStringList words; // the words to match, keywords removed

    int slowMs = 0;
    int errorStatus = 0;
    bool drop = false;          // close the connection without an answer
    bool dropBody = false;      // send half of the page, then close
    bool redirect = false;      // 302 to an address without the category
    bool redirectKeep = false;  // 302 to an address that keeps the category
    bool cookie = false;        // answer only once the session cookie is back
    int bulk = 0;               // that many made-up hits on every page
    bool quotes = false;        // hits with single-quoted and unquoted pictures
    bool endPicture = false;    // the page ends right after a picture
    bool endInUrl = false;      // the page ends inside a picture address
    bool cp1252 = false;        // page sent as Windows-1252 without a charset
    bool partnersFirst = false; // Brinsell: "ad_images" hits before the others
    bool reset = false;         // reset the connection (TCP RST) without an answer
    int failTimes = 0;          // the trouble above applies to the first N requests only
    int retryAfter = -1;        // Retry-After seconds sent with an error status
    QString onlyPage; // the trouble and redirects are this page's only ("rock", "brinsell")

    static SearchQuery parse(const QString &text);
    // True when the text asks for a page of made-up hits rather than matches.
    bool synthetic() const { return bulk > 0 || quotes || endPicture || endInUrl; }
    // Forgets the slow, error, drop and reset keywords (a "simfailN" address
    // asked for more than N times).
    void dropTrouble();
    // Forgets the trouble and the redirects on a page other than the one
    // "simonlyNAME" names: a Vantory department's name in letters only
    // ("rock", "rbsoul", "dvd") or "brinsell".
    void troubleOnlyFor(const QString &page);
};

// The raw (still percent-encoded) text between the first `start` and the
// first of `ends` after it; when none of `ends` follows, up to the next "&"
// or the end. Empty when `start` does not occur.
std::string_view rawBetween(std::string_view query, std::string_view start,
                            std::initializer_list<std::string_view> ends);

// Percent-decodes (UTF-8, "+" stays a plus as the program never writes one
// for a blank).
QString percentDecoded(std::string_view raw);
