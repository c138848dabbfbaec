#pragma once

#include "batch/batchhit.h"
#include "batch/batchmodel.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class BatchRunView;
class BatchSession;
class PageFetcher;
class QAction;
class QBoxLayout;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

// The batch window: a CD and a DVD folder tree with their queues, the
// controls of a batch run and the cover preview. The scan, the restore and
// the run work in the core library and the trees and queues are held by a
// BatchModel; this window shows the model in its controls and shows what a
// run reports.
class frmBatch : public QMainWindow
{
    Q_OBJECT
public:
    explicit frmBatch(QWidget *parent = nullptr);
    ~frmBatch() override;

    // Opens the properties dialog on its Batch page. The properties menu
    // entry stays disabled until the application sets this.
    using PropertiesOpener = std::function<void(QWidget *batchWindow)>;
    static void setPropertiesOpener(PropertiesOpener opener);

    // Handlers.
    void Form_Load();
    void cmdNew_Click();
    void optType_Click(int index);
    void mnuFileExit_Click();
    void mnuOptionsProperties_Click();
    void mnuOptionsRestore_Click() { RestoreLastBatch(); }
    void RestoreLastBatch();
    void tvBatch_NodeCheck(int index, QTreeWidgetItem *node);
    void cmdCheckAll_Click();
    void cmdUncheckAll_Click();
    // Ticks the queued folders that lack their picture, and their ancestors.
    void cmdCheckMissing_Click();
    void mnuOptionsUndo_Click();
    void cmdStart_Click();
    void RunCDBatch();
    void RunDVDBatch();
    void tmrBatch_Timer();
    void tvBatch_Click(int index);
    void tvBatch_DblClick(int index);
    void cmdDownload_Click();
    void cmdCrop_Click();

    // Saves the selected hit of tvBatch(index) into its folder, as a double
    // click does; Auto-Crop applies unless the caller crops anyway. Returns
    // the picture saved, "" when none (the last download's path).
    QString DownloadSelectedHit(int index, bool autoCrop = true);

    // The batch type on show, 0 CD or 1 DVD.
    int BatchTypeIndex() const { return m_batchTypeIndex; }

    // The controls the handlers name; the others are found by their names.
    QTreeWidget *tvBatch(int index) const { return m_types.at(index).tvBatch; }
    QTreeWidget *lvBatch(int index) const { return m_types.at(index).lvBatch; }
    QPushButton *cmdStart() const { return m_cmdStart; }
    QLabel *lblStatusLeft() const { return m_lblStatusLeft; }
    QLabel *lblStatusRight() const { return m_lblStatusRight; }

    // What the trees and queues hold, and the node an item of either tree
    // shows (0 for none).
    const BatchModel &model() const { return m_model; }
    int nodeIndex(const QTreeWidgetItem *item) const;
    int nodeCount(int type) const { return m_model.nodeCount(static_cast<BatchType>(type)); }
    int queueRowCount(int type) const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    friend class BatchRunView;

    // The controls a batch type has of its own.
    struct TypeControls {
        QRadioButton *optType = nullptr;
        // The folder tree, and the queue in its frame with its summary.
        QTreeWidget *tvBatch = nullptr, *lvBatch = nullptr;
        QGroupBox *fraBatched = nullptr;
        QLabel *lblSummary = nullptr;
        // The search frame: what is searched (lblAlbum for a CD only), where,
        // how many results, and the progress of the run and of the entry.
        QGroupBox *fraSearch = nullptr;
        QLabel *lblArtist = nullptr, *lblAlbum = nullptr, *lblSite = nullptr, *lblResults = nullptr;
        QProgressBar *prgTotal = nullptr, *prgSearch = nullptr;
    };
    // The preview and what measures or crops the picture shown.
    struct PreviewControls {
        QLabel *imgPreview = nullptr, *picPreview = nullptr;
        QLabel *picCropBefore = nullptr, *picCropAfter = nullptr;
        QLabel *lblPreviewSite = nullptr, *lblRes = nullptr, *lblSize = nullptr;
        QPushButton *cmdCrop = nullptr;
    };
    // A run: none; searching; cancelled, but still running up to its next
    // check point.
    enum class RunState { Idle, Running, Stopping };

    void buildUi();
    QWidget *buildTrees(QWidget *parent);
    void buildQueue(int index, QWidget *parent);
    QWidget *buildSearchFrame(int index, QWidget *parent);
    QBoxLayout *buildTypeAndButtons(QWidget *parent);
    QWidget *buildPreview(QWidget *parent);
    void buildMenus();
    void buildStatusAndHelpers();

    void buildTree(int type);
    void showTree(int type, const FolderTree &tree);
    void showQueue(int type);
    void clearTree(int type);
    void resetProgressBars();
    void selectRoots();
    void setBusy(bool busy);
    // Marks the window busy and clears what a rescan or a restore replaces;
    // false, and nothing done, while another one runs. While a cancelled run
    // winds down, `again` is called once it has ended.
    bool beginReload(const char *status, void (frmBatch::*again)());
    // New, Restore and the type switch are offered only without a run.
    void setRunLocks(bool running);
    void cancelRun();
    // The tick of every node of the tree on show, or as the model now holds them.
    void setAllTicks(bool ticked);
    void showTicks(int type);
    bool yieldToEvents();
    void runBatch(int type);
    // The hit a preview or download acts on: the selected node of the tree
    // when it is a hit (a leaf with a hit's image); nothing otherwise.
    std::optional<BatchHit> selectedHit(int index) const;
    // Ends a preview or download; a close asked for meanwhile happens now.
    void endHitOperation();

    // A node's item: found by its row under its parent's item, so null for
    // a hit not shown yet.
    QTreeWidgetItem *item(int type, int index) const;
    QTreeWidgetItem *newItem(int type, int index) const;
    // Hit nodes made since they were last shown, in the order they were made.
    void showHits(int type, const std::vector<int> &hits);
    void showImage(int type, int index);
    // The row's status as the model holds it; `why` becomes the status
    // cell's tooltip (none when empty).
    void showStatus(int type, int row, const QString &why = {});

    BatchModel m_model;
    std::array<TypeControls, 2> m_types;
    PreviewControls m_preview;
    QPushButton *m_cmdNew = nullptr, *m_cmdStart = nullptr;
    QAction *m_mnuOptionsRestore = nullptr;
    QLabel *m_lblStatusLeft = nullptr, *m_lblStatusRight = nullptr;
    QTimer *m_tmrBatch = nullptr;
    PageFetcher *m_webBrowser1 = nullptr;

    int m_batchTypeIndex = 0;
    // A scan, restore or run is busy with the folders; a preview or download
    // is running (its waits let other events in, and a second one started
    // meanwhile would work on its scratch files); the window was asked to
    // close meanwhile.
    bool m_busy = false;
    bool m_hitBusy = false;
    bool m_closeRequested = false;

    // The last run, its type and state; a New or Restore asked for while it
    // winds down waits for it.
    std::unique_ptr<BatchSession> m_session;
    int m_runType = 0;
    RunState m_runState = RunState::Idle;
    std::function<void()> m_afterRun;
};
