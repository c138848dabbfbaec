#include "widgets/dirlistbox.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStyle>

namespace {

constexpr int kPathRole = Qt::UserRole + 1;

} // namespace

DirListBox::DirListBox(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { emit folderClicked(item->data(kPathRole).toString()); });
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        const QString target = item->data(kPathRole).toString();
        if (target != m_path)
            setPath(target);
    });
}

bool DirListBox::setPath(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.isDir() || !info.isReadable())
        return false;
    const QString clean = QDir::cleanPath(info.absoluteFilePath());
    QDir dir(clean);
    if (!dir.isReadable())
        return false;
    const QStringList subs =
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    const bool changed = clean != m_path;
    fill(clean, subs);
    if (changed)
        emit pathChanged(m_path);
    return true;
}

void DirListBox::fill(const QString &path, const QStringList &subfolders)
{
    m_path = path;
    clear();
    QStyle *style = QApplication::style();
    const QIcon open = style->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style->standardIcon(QStyle::SP_DirClosedIcon);

    QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString sofar = QStringLiteral("/");
    auto *rootItem = new QListWidgetItem(open, QStringLiteral("/"), this);
    rootItem->setData(kPathRole, sofar);
    int depth = 1;
    for (const QString &part : parts) {
        sofar = sofar == QLatin1String("/") ? sofar + part : sofar + QLatin1Char('/') + part;
        auto *item = new QListWidgetItem(open, QString(depth * 2, QLatin1Char(' ')) + part, this);
        item->setData(kPathRole, sofar);
        ++depth;
    }
    m_ancestors = count();
    const QString prefix = path == QLatin1String("/") ? path : path + QLatin1Char('/');
    for (const QString &sub : subfolders) {
        auto *item = new QListWidgetItem(closed, QString(depth * 2, QLatin1Char(' ')) + sub, this);
        item->setData(kPathRole, prefix + sub);
    }
    // The open folder is the highlighted entry until the user clicks another.
    setCurrentRow(m_ancestors - 1);
}

QString DirListBox::highlightedPath() const
{
    const QListWidgetItem *item = currentItem();
    return item ? item->data(kPathRole).toString() : m_path;
}

bool DirListBox::highlight(const QString &path)
{
    const QString clean = QDir::cleanPath(path);
    for (int row = 0; row < count(); ++row) {
        if (item(row)->data(kPathRole).toString() == clean) {
            setCurrentRow(row);
            return true;
        }
    }
    return false;
}

QString DirListBox::entryPath(int row) const
{
    const QListWidgetItem *it = item(row);
    return it ? it->data(kPathRole).toString() : QString();
}
