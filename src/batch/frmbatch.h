#pragma once

#include "base/foldertree.h"
#include "batch/batchhit.h"

#include <QHash>
#include <QIcon>
#include <QMainWindow>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class BatchRunView;
class PageFetcher;
class QAction;
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
// the run work in the core library; this window turns their results into
// items and shows what a run reports.
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

    // The clock the elapsed time of a run is read from, in milliseconds;
    // tests set their own. An empty function restores the real one.
    using Clock = std::function<qint64()>;
    static void setClock(Clock clock);

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

    // Per-type controls.
    QTreeWidget *tvBatch(int index) const { return m_tvBatch.at(index); }
    QTreeWidget *lvBatch(int index) const { return m_lvBatch.at(index); }
    QProgressBar *prgTotal(int index) const { return m_prgTotal.at(index); }
    QProgressBar *prgSearch(int index) const { return m_prgSearch.at(index); }
    QLabel *lblArtist(int index) const { return m_lblArtist.at(index); }
    QLabel *lblAlbum() const { return m_lblAlbum; } // CD only
    QLabel *lblSite(int index) const { return m_lblSite.at(index); }
    QLabel *lblResults(int index) const { return m_lblResults.at(index); }
    // The counts of the type's last run, under its queue.
    QLabel *lblSummary(int index) const { return m_lblSummary.at(index); }
    QPushButton *cmdStart() const { return m_cmdStart; }
    QLabel *lblStatusLeft() const { return m_lblStatusLeft; }
    QLabel *lblStatusRight() const { return m_lblStatusRight; }
    QLabel *imgPreview() const { return m_imgPreview; }
    QLabel *picPreview() const { return m_picPreview; }
    QTimer *tmrBatch() const { return m_tmrBatch; }
    PageFetcher *WebBrowser1() const { return m_webBrowser1; }

    // Nodes: how many a tree holds, the key of a node by its 1-based index
    // (as the queue rows' tags hold it), what an item is.
    int nodeCount(int type) const;
    QString nodeKeyAt(int type, int index) const;
    static QString nodeKey(const QTreeWidgetItem *node);
    static NodeImage nodeImage(const QTreeWidgetItem *node);
    // A node's texts from the root down, joined by the path separator: the
    // folder on disk for a folder node.
    static QString fullTreePath(const QTreeWidgetItem *node);

    // The queue of a type as the last scan made it (the rows' statuses are
    // in the list view).
    const std::vector<QueueEntry> &queue(int type) const { return m_queue.at(type); }
    int queueRowCount(int type) const;

    // The image list imgView (1-based), shared by both trees.
    static QIcon imgView(NodeImage image);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    friend class BatchRunView;

    void buildUi();
    QWidget *buildSearchFrame(int index);
    void buildTree(int type);
    void fillTree(int type, const FolderTree &tree);
    void fillQueue(int type, const std::vector<QueueEntry> &queue);
    void clearTree(int type);
    void resetProgressBars();
    void selectRoots();
    void setBusy(bool busy);
    // Marks the window busy and clears what a rescan or a restore replaces;
    // false, and nothing done, while another one runs.
    bool beginReload(const char *status);
    void setAllTicks(Qt::CheckState state);
    void untickSubtree(QTreeWidgetItem *node);
    bool yieldToEvents();
    QString problemNote() const;
    void runBatch(int type);
    qint64 elapsedSeconds() const;
    // The hit a preview or download acts on: the selected node of the tree
    // when it is a hit (a leaf with a hit's image); nothing otherwise.
    std::optional<BatchHit> selectedHit(int index) const;
    // Ends a preview or download; a close asked for meanwhile happens now.
    void endHitOperation();

    QTreeWidgetItem *nodeByIndex(int type, int index) const;
    QTreeWidgetItem *nodeByKey(int type, const QString &key) const;
    // A hit node, known by its key and index at once but shown only once
    // attached under its folder.
    QTreeWidgetItem *newHitNode(int type, const QString &key, const QString &text, NodeImage image);
    void attachHitNodes(int type, QTreeWidgetItem *folder, const QList<QTreeWidgetItem *> &hits);
    void setNodeImage(QTreeWidgetItem *node, NodeImage image);
    // The row's status; `why` becomes the status cell's tooltip (none when empty).
    void setQueueStatus(int type, int row, const QString &status, const QString &why = {});

    struct TreeNodes {
        std::vector<QTreeWidgetItem *> byIndex;
        QHash<QString, QTreeWidgetItem *> byKey;
    };

    int m_batchTypeIndex = 0;
    std::array<QTreeWidget *, 2> m_tvBatch{};
    std::array<QTreeWidget *, 2> m_lvBatch{};
    std::array<QGroupBox *, 2> m_fraBatched{};
    std::array<QGroupBox *, 2> m_fraSearch{};
    std::array<QProgressBar *, 2> m_prgTotal{};
    std::array<QProgressBar *, 2> m_prgSearch{};
    std::array<QRadioButton *, 2> m_optType{};
    std::array<QLabel *, 2> m_lblArtist{};
    std::array<QLabel *, 2> m_lblSite{};
    std::array<QLabel *, 2> m_lblResults{};
    std::array<QLabel *, 2> m_lblSummary{};
    QLabel *m_lblAlbum = nullptr;
    std::array<TreeNodes, 2> m_nodes;
    std::array<std::vector<QueueEntry>, 2> m_queue;
    QPushButton *m_cmdNew = nullptr;
    QPushButton *m_cmdStart = nullptr;
    QPushButton *m_cmdCheckAll = nullptr;
    QPushButton *m_cmdUncheckAll = nullptr;
    QPushButton *m_cmdCheckMissing = nullptr;
    QPushButton *m_cmdDownload = nullptr;
    QPushButton *m_cmdCrop = nullptr;
    QAction *m_mnuOptionsRestore = nullptr;
    QAction *m_mnuOptionsUndo = nullptr;
    QAction *m_mnuOptionsProperties = nullptr;
    QLabel *m_lblStatusLeft = nullptr;
    QLabel *m_lblStatusRight = nullptr;
    QLabel *m_imgPreview = nullptr;
    QLabel *m_picPreview = nullptr;
    QLabel *m_picCropBefore = nullptr;
    QLabel *m_picCropAfter = nullptr;
    QLabel *m_lblPreviewSite = nullptr;
    QLabel *m_lblRes = nullptr;
    QLabel *m_lblSize = nullptr;
    // A preview or download is running: its waits let other events in, and
    // a second one started meanwhile would work on its scratch files.
    bool m_hitBusy = false;
    QTimer *m_tmrBatch = nullptr;
    PageFetcher *m_webBrowser1 = nullptr;

    // What the last scan or restore had to pass over, for the status line.
    int m_skippedFolders = 0;
    QStringList m_missingRoots;
    bool m_busy = false;
    bool m_closeRequested = false;
    bool m_propagating = false;

    // The run: when it started, whether it is still on the stack (a cancel
    // leaves it running up to its next check point) and whether it is to
    // stop; a New or Restore asked for meanwhile waits for it.
    qint64 m_runStartMs = 0;
    int m_runType = 0;
    int m_runFailed = 0;
    bool m_running = false;
    bool m_stopRun = false;
    std::function<void()> m_afterRun;
};
