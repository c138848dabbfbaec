#pragma once

#include <QComboBox>
#include <QStringList>

// Drive list (drSearch and the folder chooser's drive list): the mounted
// volumes by their mount point, "/" first.
class DriveListBox : public QComboBox
{
    Q_OBJECT
public:
    explicit DriveListBox(QWidget *parent = nullptr);

    // Re-reads the mounted volumes, keeping the current drive when it is still there.
    void refresh();
    // The current drive's text as the list reports it (its mount point).
    QString drive() const;
    // Selects a drive by its text; false (and nothing changes) when no such
    // drive is mounted.
    bool setDrive(const QString &drive);
    // The mount point of the volume that holds `path` ("/" at the least).
    static QString driveOf(const QString &path, const QStringList &drives);
    // Mounted volumes worth offering: real file systems, "/" first.
    static QStringList mountedDrives();

    // Volumes mounted since the list was filled show up when it opens.
    void showPopup() override;

signals:
    // The user or the program chose another drive.
    void driveChanged(const QString &drive);
};
