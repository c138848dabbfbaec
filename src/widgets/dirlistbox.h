#pragma once

#include <QListWidget>
#include <QString>

// Folder list (dirSearch and the folder chooser's list): the open folder's
// path from "/" down, one entry per level, then the open folder's subfolders.
// A single click highlights an entry, a double click opens it.
class DirListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit DirListBox(QWidget *parent = nullptr);

    // The open folder.
    QString path() const { return m_path; }
    // Opens a folder; false (and the list stays as it was) when it is not a
    // folder that can be read.
    bool setPath(const QString &path);
    // The highlighted entry's full path; the open folder when none is highlighted.
    QString highlightedPath() const;
    // Highlights the entry for `path` when the list shows it.
    bool highlight(const QString &path);
    // Full path of the entry in a row.
    QString entryPath(int row) const;
    // Rows before the first subfolder (the open folder and its ancestors).
    int ancestorCount() const { return m_ancestors; }

signals:
    // An entry was clicked (highlighted) by the user.
    void folderClicked(const QString &path);
    // The open folder changed.
    void pathChanged(const QString &path);

private:
    void fill(const QString &path, const QStringList &subfolders);

    QString m_path;
    int m_ancestors = 0;
};
