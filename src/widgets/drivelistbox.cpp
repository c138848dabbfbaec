#include "widgets/drivelistbox.h"

#include <QSignalBlocker>
#include <QStorageInfo>

#include <algorithm>

DriveListBox::DriveListBox(QWidget *parent) : QComboBox(parent)
{
    refresh();
    connect(this, &QComboBox::activated, this, [this](int) { emit driveChanged(drive()); });
}

QStringList DriveListBox::mountedDrives()
{
    QStringList drives;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        const QString root = volume.rootPath();
        // Kernel and runtime mounts hold no collections.
        static const QStringList skipped = {QStringLiteral("/proc"), QStringLiteral("/sys"),
                                            QStringLiteral("/dev"), QStringLiteral("/run"),
                                            QStringLiteral("/snap"), QStringLiteral("/boot")};
        const bool system = std::any_of(skipped.begin(), skipped.end(), [&](const QString &s) {
            return root == s || root.startsWith(s + QLatin1Char('/'));
        });
        if (!system && !drives.contains(root))
            drives.append(root);
    }
    drives.removeAll(QStringLiteral("/"));
    std::sort(drives.begin(), drives.end());
    drives.prepend(QStringLiteral("/"));
    return drives;
}

QString DriveListBox::driveOf(const QString &path, const QStringList &drives)
{
    QString best = QStringLiteral("/");
    for (const QString &d : drives) {
        if ((path == d || path.startsWith(d.endsWith(QLatin1Char('/')) ? d : d + QLatin1Char('/')))
            && d.size() > best.size())
            best = d;
    }
    return best;
}

void DriveListBox::refresh()
{
    const QString current = drive();
    const QSignalBlocker blocker(this);
    clear();
    addItems(mountedDrives());
    const int i = findText(current);
    setCurrentIndex(i >= 0 ? i : 0);
}

QString DriveListBox::drive() const
{
    return currentText();
}

bool DriveListBox::setDrive(const QString &drive)
{
    const int i = findText(drive);
    if (i < 0)
        return false;
    if (i != currentIndex()) {
        setCurrentIndex(i);
        emit driveChanged(drive);
    }
    return true;
}

void DriveListBox::showPopup()
{
    refresh();
    QComboBox::showPopup();
}
