#pragma once

#include "search/pagehit.h"

#include <QByteArray>
#include <QFile>
#include <QString>

class SearchResults;

// Writes "results.html": the first line when opened, one 22-line table per
// hit (recorded at the same time in the keyed lists), the last line when
// finished. UTF-8, every line ending in CR LF. Hit texts are written as the
// retailer page had them; the results view runs no page script.
class ResultsPageWriter
{
public:
    explicit ResultsPageWriter(SearchResults &results) : m_results(results) {}

    // Creates the file anew and writes the first line.
    bool open(const QString &path);
    // Appends one hit's table with the given genre cell and records the hit.
    void writeRow(const PageHit &hit, const QString &genreText);
    // Writes the last line and closes; false when anything failed to write.
    bool finish();

    QString errorString() const { return m_file.errorString(); }

    // The table of one hit, numbered `number`.
    static QString block(int number, const PageHit &hit, const QString &genreText);
    static QByteArray blockBytes(int number, const PageHit &hit, const QString &genreText);
    // "0001" .. "9999", then "10000" and up.
    static QString hitNumberText(int number);

private:
    bool write(const QString &text);
    bool writeBytes(const QByteArray &bytes);

    SearchResults &m_results;
    QFile m_file;
    bool m_ok = false;
};
