#pragma once

#include "search/searchdriver.h"

#include <QMainWindow>

#include <QHash>
#include <QPointer>

#include <array>
#include <memory>

class DirListBox;
class frmBatch;
class frmList;
class IAsyncPageSource;
class DriveListBox;
class PageFetcher;
class Settings;
class WebSearchView;
class QAction;
class QCheckBox;
class QFrame;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;

// The start-up window: search criteria, the Quick Save folder, the results
// view and the menus that open every other window.
class frmJacketeer : public QMainWindow
{
    Q_OBJECT
public:
    // `settings` is where the window reads and writes its settings; it must
    // outlive the window. With nullptr the window uses its own.
    explicit frmJacketeer(Settings *settings = nullptr, QWidget *parent = nullptr);
    ~frmJacketeer() override;

    void Form_Load();
    void Form_Unload();

    void chkSite_Click(int index);
    void optSearch_Click(int index);
    void drSearch_Change();
    void dirSearch_Click();
    void cmdSearch_Click();
    void cmdReset_Click();
    void cmdBack_Click();
    void cmdCompare_Click();
    // A Quick Save link of the results page is saved instead of followed.
    void websearch_BeforeNavigate2(const QString &target, bool &cancel);
    void mnuFileUpdate_Click();
    void mnuFileView_Click();
    void mnuFileBatch_Click();
    void mnuOptionsProperties_Click();
    void mnuFileExit_Click();

    // The interactive search's state: the keyed lists of the hits on the
    // results page (read by Quick Save and Compare), the current artist and
    // genre, ParseActive.
    SearchState &searchState() { return m_search; }
    const SearchState &searchState() const { return m_search; }
    // Whether a search runs (it goes on from the event loop after
    // cmdSearch_Click has returned; the next click cancels it).
    bool searchRunning() const { return m_driver.running(); }
    // The criteria as the controls show them.
    SearchCriteria searchCriteria() const;
    // Where searches load their pages: the hidden WebBrowser1 unless a test
    // supplies another source (nullptr restores WebBrowser1).
    void setPageSource(IAsyncPageSource *source) { m_pageSource = source; }

    // Whether the genre area is shown (Vantory ticked and Music chosen).
    bool genresVisible() const;

    // Controls, named as the window's design names them. Other windows and the
    // handlers in other files reach the controls through these.
    QGroupBox *frmSearch = nullptr;
    QFrame *Frame3 = nullptr;
    QLabel *lblSearch = nullptr;
    QLineEdit *txtSearch = nullptr;
    QLabel *lblOpt = nullptr;
    QFrame *fraOpt = nullptr;
    std::array<QRadioButton *, 2> optSearch{};
    QLabel *Label3 = nullptr;
    QFrame *Frame1 = nullptr;
    std::array<QCheckBox *, 3> chkSite{};
    QLabel *lblGenre = nullptr;
    QFrame *fraMusicG = nullptr;
    std::array<QCheckBox *, 18> chkMusicG{};
    QLabel *Label2 = nullptr;
    QLabel *Label4 = nullptr;
    DriveListBox *drSearch = nullptr;
    DirListBox *dirSearch = nullptr;
    QPushButton *cmdSearch = nullptr;
    QPushButton *cmdReset = nullptr;
    QGroupBox *Frame2 = nullptr;
    WebSearchView *websearch = nullptr;
    QPushButton *cmdBack = nullptr;
    QPushButton *cmdCompare = nullptr;
    PageFetcher *WebBrowser1 = nullptr;
    QLabel *picTest = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *lblResults = nullptr;
    QLabel *Picture1 = nullptr;
    QLabel *Picture2 = nullptr;

    QMenu *mnuFile = nullptr;
    QAction *mnuFileUpdate = nullptr;
    QAction *mnuFileView = nullptr;
    QAction *mnuFileBatch = nullptr;
    QAction *mnuFileDash1 = nullptr;
    QAction *mnuFileExit = nullptr;
    QMenu *mnuOptions = nullptr;
    QAction *mnuOptionsProperties = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    QWidget *buildCriteria(QWidget *parent);
    QWidget *buildFolderChoice(QWidget *parent);
    void addChoices(QGridLayout *criteria, int &row);
    QWidget *buildResults(QWidget *parent);
    void buildMenus();
    void applyGenreVisibility();
    void setSearchType(bool music, bool dvd);
    // Shows `text` in the status line while `open` runs, then restores it.
    template <typename Open> void withStatus(const char *text, Open open, bool repaintAfter);
    template <typename Window> void openSingle(QPointer<Window> &slot, bool &opening);

    Settings *m_settings;
    std::unique_ptr<Settings> m_ownSettings;
    // Each drive's last open folder, so changing drives comes back to it.
    QHash<QString, QString> m_driveFolders;
    bool m_unloaded = false;
    QPointer<frmBatch> m_batch;
    QPointer<frmList> m_viewer;
    bool m_batchOpening = false;
    bool m_viewerOpening = false;

    SearchState m_search;
    SearchDriver m_driver{m_search};
    IAsyncPageSource *m_pageSource = nullptr;
};
