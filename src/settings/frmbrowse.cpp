#include "settings/frmbrowse.h"

#include "widgets/dirlistbox.h"
#include "widgets/drivelistbox.h"
#include "base/modjacketeer.h"
#include "settings/settingstexts.h"

#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

using namespace SettingsTexts;

frmBrowse::frmBrowse(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmBrowse"));
    setWindowTitle(kBrowseCaption);
    setModal(true);

    auto *driveLabel = new QLabel(kDrive, this);
    driveLabel->setObjectName(QStringLiteral("Label1"));
    m_drvBrowse = new DriveListBox(this);
    m_drvBrowse->setObjectName(QStringLiteral("drvBrowse"));
    auto *folderLabel = new QLabel(kFolder, this);
    folderLabel->setObjectName(QStringLiteral("Label2"));
    m_dirBrowse = new DirListBox(this);
    m_dirBrowse->setObjectName(QStringLiteral("dirBrowse"));
    m_dirBrowse->setMinimumSize(260, 220);
    m_cmdApply = new QPushButton(kOk, this);
    m_cmdApply->setObjectName(QStringLiteral("cmdApply"));
    m_cmdApply->setDefault(true);
    m_CmdCancel = new QPushButton(kCancel, this);
    m_CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    m_CmdCancel->setAutoDefault(false);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(m_cmdApply);
    buttons->addWidget(m_CmdCancel);
    buttons->addStretch(1);
    auto *layout = new QGridLayout(this);
    layout->addWidget(driveLabel, 0, 0);
    layout->addWidget(m_drvBrowse, 1, 0);
    layout->addWidget(folderLabel, 2, 0);
    layout->addWidget(m_dirBrowse, 3, 0);
    layout->addLayout(buttons, 1, 1, 3, 1);
    layout->setRowStretch(3, 1);

    // Both lists start on the program's current drive and folder.
    const QString current = QDir::currentPath();
    {
        const QSignalBlocker blocker(m_drvBrowse);
        m_drvBrowse->setDrive(DriveListBox::driveOf(current, DriveListBox::mountedDrives()));
    }
    if (!m_dirBrowse->setPath(current))
        m_dirBrowse->setPath(m_drvBrowse->drive());
    m_driveFolders.insert(m_drvBrowse->drive(), m_dirBrowse->path());

    connect(m_drvBrowse, &DriveListBox::driveChanged, this, [this] { drvBrowse_Change(); });
    connect(m_dirBrowse, &DirListBox::pathChanged, this, [this](const QString &path) {
        m_driveFolders.insert(DriveListBox::driveOf(path, DriveListBox::mountedDrives()), path);
    });
    connect(m_cmdApply, &QPushButton::clicked, this, [this] { cmdApply_Click(); });
    connect(m_CmdCancel, &QPushButton::clicked, this, [this] { CmdCancel_Click(); });
}

frmBrowse::~frmBrowse() = default;

void frmBrowse::drvBrowse_Change()
{
    const QString drive = m_drvBrowse->drive();
    if (m_dirBrowse->setPath(m_driveFolders.value(drive, drive)))
        return;
    // A drive that cannot be opened leaves the folder list where it was; the
    // drive list follows it back so the two never disagree.
    const QSignalBlocker blocker(m_drvBrowse);
    const QString shown = DriveListBox::driveOf(m_dirBrowse->path(), DriveListBox::mountedDrives());
    m_drvBrowse->setDrive(shown);
}

void frmBrowse::cmdApply_Click()
{
    modJacketeer().browseResult = m_dirBrowse->highlightedPath();
    accept();
}

void frmBrowse::CmdCancel_Click()
{
    modJacketeer().browseResult.clear();
    reject();
}
