#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QString>

// File operations on the user's pictures and the program's own files, shared
// by every path that replaces or tests a file.
namespace FileOps
{

// Gives the owner read and write permission and keeps the other bits: the
// "normal attributes" a picture gets before it is replaced or deleted. False
// when the file is not there or its permissions cannot be changed.
bool makeNormal(const QString &path);

// Whether a regular file is at path, whatever its permissions (read-only and
// dot files included); a folder or nothing there is not one.
bool isRegularFile(const QString &path);

// Replaces the file at a path without ever leaving it missing or half
// written: the new contents go to a temporary file beside it, which is
// renamed over it only once complete. Until commit() succeeds the old file
// stays byte for byte as it was, and whatever went wrong is kept in
// errorString(). The replacement gets the old file's permissions plus owner
// read and write, so a read-only picture is replaced too. A link at the path
// is replaced itself, never the file it points at.
class Replacement
{
public:
    explicit Replacement(const QString &target);
    // Drops the temporary file unless committed.
    ~Replacement();
    Replacement(const Replacement &) = delete;
    Replacement &operator=(const Replacement &) = delete;

    // Creates the temporary file. False (with the reason) when the target
    // names a folder or the folder cannot take a new file.
    bool open();
    // Appends to the new contents; false once any write has failed.
    bool write(QByteArrayView data);
    // Puts the complete new contents in place of the target.
    bool commit();
    // Drops the new contents; the target stays as it was.
    void cancel();

    QString errorString() const { return m_error; }

private:
    bool fail(const QString &why);

    QString m_target;
    QFile m_temp;
    QString m_error;
    bool m_failed = false;
};

// The whole new contents at once; error (when given) says why it failed.
bool replaceWithData(const QString &target, QByteArrayView data, QString *error = nullptr);
// A copy of another file; the source is read to its end before anything is
// renamed.
bool replaceWithCopy(const QString &target, const QString &source, QString *error = nullptr);

} // namespace FileOps
