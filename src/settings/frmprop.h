#pragma once

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabBar;
struct PropValues;

// The properties dialog: the Quick Save template and the batch settings.
// One instance at a time, not modal; every opening of a closed dialog reloads
// the store, and Apply writes the store and the shared settings state at once.
class frmProp : public QDialog
{
    Q_OBJECT
public:
    enum Page { QuickSavePage = 0, BatchPage = 1 };

    // Opens the dialog (or brings the open one to the front without reloading).
    // A page of -1 leaves an open dialog on its page and opens a new one on
    // the Quick Save page.
    static frmProp *showOnPage(int page = -1);
    // The open dialog, nullptr when none.
    static frmProp *instance();

    // Runs the folder chooser modally for a Browse button; the chooser leaves
    // its answer in modJacketeer().browseResult. Tests replace it; an empty
    // function restores the real chooser.
    using BrowseRunner = std::function<void(QWidget *parent)>;
    static void setBrowseRunner(BrowseRunner runner);

    explicit frmProp(QWidget *parent = nullptr);
    ~frmProp() override;

    void Form_Load();
    void tsProp_Click();
    void txtQSName_Change();
    void txtCDCoverArt_Change();
    void txtDVDCoverArt_Change();
    void chkMusicG_Click(int index);
    void ChkBatchReplace_Click();
    void chkReplaceLarger_Click();
    void chkFolderNames_Click();
    void spnRequestInterval_Change();
    void txtDVDName_Change();
    void cmdCDBrowse_Click();
    void cmdDVDBrowse_Click();
    void cmdApply_Click();
    void Command1_Click();
    void CmdCancel_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildQuickSavePage(QFrame *page);
    void buildBatchPage(QFrame *page);
    PropValues readControls() const;
    void browseInto(QLineEdit *box);
    static void replaceText(QLineEdit *box, const QString &text, int caret);

    QTabBar *m_tsProp = nullptr;
    std::array<QFrame *, 2> m_fraProp{};
    // The Quick Save page.
    QLineEdit *m_txtQSName = nullptr;
    QLabel *m_lblName = nullptr;
    // The batch page: the roots and the DVD folder depth, the genres, the
    // choices and the pause between requests.
    QLineEdit *m_txtCDCoverArt = nullptr, *m_txtDVDCoverArt = nullptr, *m_txtDVDName = nullptr;
    std::array<QCheckBox *, 18> m_chkMusicG{};
    QCheckBox *m_chkSearchVantory = nullptr, *m_chkSearchBrinsell = nullptr;
    QCheckBox *m_ChkBatchReplace = nullptr, *m_chkReplaceLarger = nullptr;
    QCheckBox *m_chkFolderNames = nullptr, *m_chkAutoCrop = nullptr;
    QSpinBox *m_spnRequestInterval = nullptr;
    QPushButton *m_cmdApply = nullptr;
};
