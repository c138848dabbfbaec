#pragma once

#include <QDialog>
#include <QHash>
#include <QString>

class DirListBox;
class DriveListBox;
class QPushButton;

// The folder chooser: a drive list and a folder list, starting on the
// program's current folder. It answers through modJacketeer().browseResult:
// Ok gives the highlighted folder's full path, Cancel gives "", and the close
// box leaves the value as the caller set it ("").
class frmBrowse : public QDialog
{
    Q_OBJECT
public:
    explicit frmBrowse(QWidget *parent = nullptr);
    ~frmBrowse() override;

    void drvBrowse_Change();
    void cmdApply_Click();
    void CmdCancel_Click();

private:
    DriveListBox *m_drvBrowse = nullptr;
    DirListBox *m_dirBrowse = nullptr;
    QPushButton *m_cmdApply = nullptr;
    QPushButton *m_CmdCancel = nullptr;
    // The folder last open on each drive, so going back to a drive returns there.
    QHash<QString, QString> m_driveFolders;
};
