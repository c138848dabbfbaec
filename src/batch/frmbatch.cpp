#include "batch/frmbatch.h"

#include "base/appfolder.h"
#include "base/messagebox.h"
#include "base/modjacketeer.h"
#include "base/pagefetcher.h"
#include "base/requestpacer.h"
#include "base/settings.h"
#include "batch/batchcrop.h"
#include "batch/batchdownload.h"
#include "batch/batchpreview.h"
#include "batch/batchjournal.h"
#include "batch/batchlog.h"
#include "batch/batchmissing.h"
#include "batch/batchrestore.h"
#include "batch/batchrun.h"
#include "batch/batchscan.h"
#include "batch/batchtexts.h"
#include "cover/coverfile.h"
#include "cover/covertexts.h"
#include "cover/frmcompare.h"
#include "widgets/controlarrayname.h"
#include "widgets/menutexts.h"
#include "widgets/nodeimages.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <chrono>
#include <optional>

using namespace BatchTexts;

namespace
{

constexpr int kKeyRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kTickRole = Qt::UserRole + 2; // the tick as last seen, to tell tick changes apart
constexpr int kTagRole = Qt::UserRole;      // queue rows: the folder node's index

frmBatch::PropertiesOpener &propertiesOpener()
{
    static frmBatch::PropertiesOpener opener;
    return opener;
}

QString text(const char *latin1)
{
    return QString::fromUtf8(latin1);
}

QLabel *captionLabel(const char *caption, QWidget *parent)
{
    return new QLabel(text(caption), parent);
}

QLabel *valueLabel(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setMinimumWidth(160);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// A label a run rewrites for every entry: plain text (a tag's or a page's
// text is shown, never interpreted as markup), and of a fixed size, so that
// a new text repaints the label alone instead of laying out the whole window.
void makeRunLabel(QLabel *label)
{
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    label->setFixedSize(280, label->fontMetrics().height() + 2);
}

// CD columns: Artist, Album, Directory, Status; DVD: Title (key Artist),
// Directory, Status. The status sits in the last column of both.
int statusColumn(int type)
{
    return type == 0 ? 3 : 2;
}

int directoryColumn(int type)
{
    return type == 0 ? 2 : 1;
}

frmBatch::Clock &runClock()
{
    static frmBatch::Clock clock;
    return clock;
}

// A clock that never goes back, so a changed system time cannot make a run
// seem to take hours or no time at all.
qint64 nowMs()
{
    if (runClock())
        return runClock()();
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

frmBatch::frmBatch(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmBatch"));
    setWindowTitle(text(kCaption));
    buildUi();
    Form_Load();
}

frmBatch::~frmBatch() = default;

void frmBatch::setPropertiesOpener(PropertiesOpener opener)
{
    propertiesOpener() = std::move(opener);
}

void frmBatch::setClock(Clock clock)
{
    runClock() = std::move(clock);
}

QIcon frmBatch::imgView(NodeImage image)
{
    return nodeIcon(image);
}

void frmBatch::buildUi()
{
    auto *central = new QWidget(this);
    setCentralWidget(central);
    auto *outer = new QHBoxLayout(central);

    auto *frame1 = new QGroupBox(text(kFrameResults), central);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto *resultsLayout = new QGridLayout(frame1);

    auto *treeHolder = new QWidget(frame1);
    auto *treeLayout = new QVBoxLayout(treeHolder);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    for (int t = 0; t < 2; ++t) {
        auto *tree = new QTreeWidget(treeHolder);
        tree->setObjectName(controlArrayName("tvBatch", t));
        tree->setHeaderHidden(true);
        tree->setColumnCount(1);
        tree->setUniformRowHeights(true);
        tree->setIconSize(QSize(16, 16));
        tree->setMinimumWidth(300);
        treeLayout->addWidget(tree);
        m_tvBatch[t] = tree;
        connect(tree, &QTreeWidget::itemChanged, this,
                [this, t](QTreeWidgetItem *item, int) { tvBatch_NodeCheck(t, item); });
        connect(tree, &QTreeWidget::itemClicked, this, [this, t] { tvBatch_Click(t); });
        connect(tree, &QTreeWidget::itemDoubleClicked, this, [this, t] { tvBatch_DblClick(t); });
    }
    resultsLayout->addWidget(treeHolder, 0, 0, 2, 1);

    auto *rightColumn = new QVBoxLayout;
    for (int t = 0; t < 2; ++t) {
        auto *batched = new QGroupBox(text(t == 0 ? kFrameBatched : kFrameQueued), frame1);
        batched->setObjectName(controlArrayName("fraBatched", t));
        auto *batchedLayout = new QVBoxLayout(batched);
        auto *queue = new QTreeWidget(batched);
        queue->setObjectName(controlArrayName("lvBatch", t));
        queue->setRootIsDecorated(false);
        queue->setUniformRowHeights(true);
        queue->setAllColumnsShowFocus(true);
        QStringList headers;
        QStringList keys;
        if (t == 0) {
            headers = {text(kColArtist), text(kColAlbum), text(kColDirectory), text(kColStatus)};
            keys = {text(kKeyArtist), text(kKeyAlbum), text(kKeyDirectory), text(kKeyStatus)};
        } else {
            headers = {text(kColTitle), text(kColDirectory), text(kColStatus)};
            keys = {text(kKeyArtist), text(kKeyDirectory), text(kKeyStatus)};
        }
        queue->setHeaderLabels(headers);
        for (int c = 0; c < keys.size(); ++c)
            queue->headerItem()->setData(c, kKeyRole, keys.at(c));
        queue->header()->resizeSection(0, 120);
        if (t == 0)
            queue->header()->resizeSection(1, 120);
        queue->header()->resizeSection(directoryColumn(t), t == 0 ? 170 : 220);
        batchedLayout->addWidget(queue);
        auto *total = new QProgressBar(batched);
        total->setObjectName(controlArrayName("prgTotal", t));
        total->setTextVisible(false);
        batchedLayout->addWidget(total);
        m_lblSummary[t] = valueLabel(controlArrayName("lblSummary", t), batched);
        batchedLayout->addWidget(m_lblSummary[t]);
        m_lvBatch[t] = queue;
        m_prgTotal[t] = total;
        m_fraBatched[t] = batched;
        rightColumn->addWidget(batched, 3);
    }
    for (int t = 0; t < 2; ++t)
        rightColumn->addWidget(buildSearchFrame(t), 0);
    resultsLayout->addLayout(rightColumn, 0, 1, 2, 1);

    auto *controls = new QHBoxLayout;
    auto *frame4 = new QGroupBox(text(kFrameType), frame1);
    frame4->setObjectName(QStringLiteral("Frame4"));
    auto *typeLayout = new QHBoxLayout(frame4);
    for (int t = 0; t < 2; ++t) {
        auto *option = new QRadioButton(text(t == 0 ? kOptCD : kOptDVD), frame4);
        option->setObjectName(controlArrayName("optType", t));
        typeLayout->addWidget(option);
        m_optType[t] = option;
    }
    m_optType[0]->setChecked(true);
    // The switch follows the value, however it changes (mouse, keys, code or
    // an assistive tool's toggle); of the pair only the one going on acts.
    for (int t = 0; t < 2; ++t)
        connect(m_optType[t], &QRadioButton::toggled, this, [this, t](bool on) {
            if (on)
                optType_Click(t);
        });
    controls->addWidget(frame4);
    auto makeButton = [&](const char *caption, const char *name) {
        auto *button = new QPushButton(text(caption), frame1);
        button->setObjectName(QLatin1String(name));
        controls->addWidget(button, 0, Qt::AlignBottom);
        return button;
    };
    m_cmdNew = makeButton(kCmdNew, "cmdNew");
    m_cmdStart = makeButton(kCmdStart, "cmdStart");
    m_cmdCheckAll = makeButton(kCmdCheckAll, "cmdCheckAll");
    m_cmdCheckMissing = makeButton(kCmdCheckMissing, "cmdCheckMissing");
    m_cmdUncheckAll = makeButton(kCmdUncheckAll, "cmdUncheckAll");
    controls->addStretch(1);
    resultsLayout->addLayout(controls, 2, 0, 1, 2);
    resultsLayout->setColumnStretch(0, 2);
    resultsLayout->setColumnStretch(1, 3);
    // The trees and queues take the height; the type and buttons row keeps
    // its own.
    resultsLayout->setRowStretch(0, 1);
    resultsLayout->setRowStretch(1, 1);
    frame4->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    outer->addWidget(frame1, 1);

    connect(m_cmdNew, &QPushButton::clicked, this, &frmBatch::cmdNew_Click);
    connect(m_cmdStart, &QPushButton::clicked, this, &frmBatch::cmdStart_Click);
    connect(m_cmdCheckAll, &QPushButton::clicked, this, &frmBatch::cmdCheckAll_Click);
    connect(m_cmdUncheckAll, &QPushButton::clicked, this, &frmBatch::cmdUncheckAll_Click);
    connect(m_cmdCheckMissing, &QPushButton::clicked, this, &frmBatch::cmdCheckMissing_Click);

    // The preview: filled by the hit preview and download.
    auto *frame2 = new QGroupBox(text(kFramePreview), central);
    frame2->setObjectName(QStringLiteral("Frame2"));
    auto *previewLayout = new QGridLayout(frame2);
    auto *imgPreview = new QLabel(frame2);
    imgPreview->setObjectName(QStringLiteral("imgPreview"));
    imgPreview->setFixedSize(250, 250);
    imgPreview->setAlignment(Qt::AlignCenter);
    imgPreview->setFrameShape(QFrame::StyledPanel);
    previewLayout->addWidget(imgPreview, 0, 0, 1, 2);
    const std::array<std::pair<QString, const char *>, 3> facts = {
        {{text(kLabelWebsite), "lblPreviewSite"},
         {CoverTexts::kResolutionLabel, "lblRes"},
         {CoverTexts::kSizeLabel, "lblSize"}}};
    int row = 1;
    for (const auto &[caption, name] : facts) {
        previewLayout->addWidget(new QLabel(caption, frame2), row, 0);
        previewLayout->addWidget(valueLabel(QLatin1String(name), frame2), row, 1);
        ++row;
    }
    m_cmdDownload = new QPushButton(text(kCmdDownload), frame2);
    m_cmdDownload->setObjectName(QStringLiteral("cmdDownload"));
    m_cmdCrop = new QPushButton(QString::fromLatin1(kCmdCrop), frame2);
    m_cmdCrop->setObjectName(QStringLiteral("cmdCrop"));
    previewLayout->addWidget(m_cmdDownload, row, 0);
    previewLayout->addWidget(m_cmdCrop, row, 1);
    ++row;
    // Picture holders that measure or transform pictures; never shown.
    for (const char *name : {"picPreview", "picCropBefore", "picCropAfter", "picTest"}) {
        auto *holder = new QLabel(frame2);
        holder->setObjectName(QLatin1String(name));
        holder->hide();
    }
    previewLayout->setRowStretch(row, 1);
    outer->addWidget(frame2, 0);
    const auto previewControl = [frame2](const char *name) {
        return frame2->findChild<QLabel *>(QLatin1String(name));
    };
    m_imgPreview = imgPreview;
    m_picPreview = previewControl("picPreview");
    m_picCropBefore = previewControl("picCropBefore");
    m_picCropAfter = previewControl("picCropAfter");
    m_lblPreviewSite = previewControl("lblPreviewSite");
    m_lblRes = previewControl("lblRes");
    m_lblSize = previewControl("lblSize");
    connect(m_cmdDownload, &QPushButton::clicked, this, &frmBatch::cmdDownload_Click);
    connect(m_cmdCrop, &QPushButton::clicked, this, &frmBatch::cmdCrop_Click);

    auto *file = menuBar()->addMenu(text(MenuTexts::kFile));
    file->menuAction()->setObjectName(QStringLiteral("mnuFile"));
    auto *exitAction = file->addAction(text(MenuTexts::kExit));
    exitAction->setObjectName(QStringLiteral("mnuFileExit"));
    connect(exitAction, &QAction::triggered, this, &frmBatch::mnuFileExit_Click);
    auto *options = menuBar()->addMenu(text(MenuTexts::kOptions));
    options->menuAction()->setObjectName(QStringLiteral("mnuOptions"));
    m_mnuOptionsRestore = options->addAction(text(kMenuOptionsRestore));
    m_mnuOptionsRestore->setObjectName(QStringLiteral("mnuOptionsRestore"));
    connect(m_mnuOptionsRestore, &QAction::triggered, this, &frmBatch::mnuOptionsRestore_Click);
    m_mnuOptionsUndo = options->addAction(text(kMenuOptionsUndo));
    m_mnuOptionsUndo->setObjectName(QStringLiteral("mnuOptionsUndo"));
    connect(m_mnuOptionsUndo, &QAction::triggered, this, &frmBatch::mnuOptionsUndo_Click);
    // Offered whenever no scan, restore or run is busy with the folders.
    connect(options, &QMenu::aboutToShow, this, [this] { m_mnuOptionsUndo->setEnabled(!m_busy); });
    m_mnuOptionsProperties = options->addAction(text(MenuTexts::kProperties));
    m_mnuOptionsProperties->setObjectName(QStringLiteral("mnuOptionsProperties"));
    m_mnuOptionsProperties->setEnabled(static_cast<bool>(propertiesOpener()));
    connect(m_mnuOptionsProperties, &QAction::triggered, this,
            &frmBatch::mnuOptionsProperties_Click);

    m_lblStatusLeft = new QLabel(statusBar());
    m_lblStatusLeft->setObjectName(QStringLiteral("lblStatusLeft"));
    m_lblStatusRight = new QLabel(statusBar());
    m_lblStatusRight->setObjectName(QStringLiteral("lblStatusRight"));
    statusBar()->addWidget(m_lblStatusLeft, 1);
    statusBar()->addWidget(m_lblStatusRight, 1);

    m_tmrBatch = new QTimer(this);
    m_tmrBatch->setObjectName(QStringLiteral("tmrBatch"));
    m_tmrBatch->setInterval(1000);
    connect(m_tmrBatch, &QTimer::timeout, this, &frmBatch::tmrBatch_Timer);
    m_webBrowser1 = new PageFetcher(this);
    // A Cancel or a close gives up the page being loaded instead of waiting
    // for it (up to the fetcher's time-out).
    m_webBrowser1->setCancelTest([this] { return m_stopRun; });
    m_webBrowser1->setObjectName(QStringLiteral("WebBrowser1"));

    resize(1180, 720);
}

QWidget *frmBatch::buildSearchFrame(int index)
{
    auto *frame = new QGroupBox(text(kFrameSearch), m_fraBatched[index]->parentWidget());
    frame->setObjectName(controlArrayName("fraSearch", index));
    auto *layout = new QGridLayout(frame);
    int row = 0;
    layout->addWidget(captionLabel(index == 0 ? kLabelArtist : kLabelDVD, frame), row, 0);
    m_lblArtist[index] = valueLabel(controlArrayName("lblArtist", index), frame);
    layout->addWidget(m_lblArtist[index], row++, 1);
    if (index == 0) {
        layout->addWidget(captionLabel(kLabelAlbum, frame), row, 0);
        m_lblAlbum = valueLabel(controlArrayName("lblAlbum", 0), frame);
        layout->addWidget(m_lblAlbum, row++, 1);
    }
    layout->addWidget(captionLabel(kLabelSite, frame), row, 0);
    m_lblSite[index] = valueLabel(controlArrayName("lblSite", index), frame);
    layout->addWidget(m_lblSite[index], row++, 1);
    layout->addWidget(captionLabel(kLabelResults, frame), row, 0);
    m_lblResults[index] = valueLabel(controlArrayName("lblResults", index), frame);
    layout->addWidget(m_lblResults[index], row++, 1);
    auto *bar = new QProgressBar(frame);
    bar->setObjectName(controlArrayName("prgSearch", index));
    bar->setTextVisible(false);
    layout->addWidget(bar, row, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    m_prgSearch[index] = bar;
    m_fraSearch[index] = frame;
    for (QLabel *label : {m_lblArtist[index], m_lblSite[index], m_lblResults[index]})
        makeRunLabel(label);
    if (index == 0)
        makeRunLabel(m_lblAlbum);
    return frame;
}

// Scanning ----------------------------------------------------------------

bool frmBatch::yieldToEvents()
{
    QCoreApplication::processEvents();
    return !m_closeRequested;
}

void frmBatch::clearTree(int type)
{
    const QSignalBlocker blocker(m_tvBatch[type]);
    m_tvBatch[type]->clear();
    m_nodes[type].byIndex.clear();
    m_nodes[type].byKey.clear();
}

void frmBatch::buildTree(int type)
{
    clearTree(type);
    const ModJacketeer &mod = modJacketeer();
    const QString root = type == 0 ? mod.batchCDPath : mod.batchDVDPath;
    const BatchTreeBuild build =
        buildBatchTree(static_cast<BatchType>(type), root, BatchScanSettings::fromShared(mod),
                       [this] { return yieldToEvents(); });
    m_skippedFolders += build.skippedFolders;
    if (build.rootMissing)
        m_missingRoots.append(root);
    fillTree(type, build.tree);
    fillQueue(type, build.queue);
}

void frmBatch::fillTree(int type, const FolderTree &tree)
{
    QTreeWidget *view = m_tvBatch[type];
    TreeNodes &nodes = m_nodes[type];
    const QSignalBlocker blocker(view);
    nodes.byIndex.reserve(nodes.byIndex.size() + static_cast<size_t>(tree.count()));
    nodes.byKey.reserve(static_cast<qsizetype>(nodes.byIndex.size()) + tree.count());
    // Built detached and attached in one step: a view that took the items
    // one by one would lay itself out again for every folder.
    QList<QTreeWidgetItem *> roots;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
    const size_t offset = nodes.byIndex.size();
    for (const FolderNode &node : tree.nodes()) {
        auto *item = new QTreeWidgetItem;
        item->setText(0, node.text);
        item->setIcon(0, imgView(node.image));
        item->setData(0, kKeyRole, node.key);
        item->setData(0, kImageRole, static_cast<int>(node.image));
        item->setFlags(flags);
        item->setCheckState(0, Qt::Unchecked);
        item->setData(0, kTickRole, false);
        if (node.parent == 0)
            roots.append(item);
        else
            nodes.byIndex.at(offset + static_cast<size_t>(node.parent) - 1)->addChild(item);
        nodes.byIndex.push_back(item);
        nodes.byKey.insert(node.key, item);
    }
    view->addTopLevelItems(roots);
    // Every folder is made visible as it is added, so the whole tree ends
    // up expanded.
    view->expandAll();
}

void frmBatch::fillQueue(int type, const std::vector<QueueEntry> &queue)
{
    m_queue[type] = queue;
    QList<QTreeWidgetItem *> rows;
    rows.reserve(static_cast<qsizetype>(queue.size()));
    for (const QueueEntry &entry : queue) {
        QStringList cells;
        if (type == 0)
            cells = {entry.artist, entry.album, entry.directory, entry.status};
        else
            cells = {entry.artist, entry.directory, entry.status};
        auto *row = new QTreeWidgetItem(cells);
        row->setData(0, kTagRole, QString::number(entry.nodeIndex));
        rows.append(row);
    }
    m_lvBatch[type]->addTopLevelItems(rows);
}

void frmBatch::resetProgressBars()
{
    for (int t = 0; t < 2; ++t) {
        for (QProgressBar *bar : {m_prgSearch[t], m_prgTotal[t]}) {
            bar->setMinimum(0);
            bar->setValue(0);
        }
    }
}

void frmBatch::selectRoots()
{
    for (int t = 0; t < 2; ++t) {
        if (m_tvBatch[t]->topLevelItemCount() > 0)
            m_tvBatch[t]->setCurrentItem(m_tvBatch[t]->topLevelItem(0));
    }
}

QString frmBatch::problemNote() const
{
    QString note;
    for (const QString &root : m_missingRoots)
        note += QString::fromUtf8(kRootMissing).arg(root);
    if (m_skippedFolders > 0)
        note += QString::fromUtf8(kSkippedFolders).arg(m_skippedFolders);
    return note;
}

void frmBatch::setBusy(bool busy)
{
    m_busy = busy;
    if (!busy && m_closeRequested) {
        // Served now; a window shown again must scan in full.
        m_closeRequested = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void frmBatch::Form_Load()
{
    m_busy = true;
    m_skippedFolders = 0;
    m_missingRoots.clear();
    buildTree(0);
    buildTree(1);
    resetProgressBars();
    optType_Click(0);
    selectRoots();
    // Only when something was passed over: the load itself shows no status.
    if (!problemNote().isEmpty())
        m_lblStatusLeft->setText(text(kFoldersComplete) + problemNote());
    setBusy(false);
}

bool frmBatch::beginReload(const char *status)
{
    if (m_busy)
        return false;
    m_busy = true;
    m_lblStatusLeft->setText(text(status));
    m_cmdStart->setEnabled(false);
    m_cmdNew->setEnabled(false);
    m_mnuOptionsRestore->setEnabled(false);
    for (int t = 0; t < 2; ++t) {
        m_lvBatch[t]->clear();
        m_queue[t].clear();
        m_lblSummary[t]->clear();
    }
    m_skippedFolders = 0;
    m_missingRoots.clear();
    return true;
}

void frmBatch::cmdNew_Click()
{
    if (m_running) {
        // A cancelled run is still winding down: rescan once it has.
        m_afterRun = [this] { cmdNew_Click(); };
        return;
    }
    if (!beginReload(kRefreshingFolders))
        return;
    buildTree(0);
    buildTree(1);
    resetProgressBars();
    optType_Click(0);
    m_optType[0]->setChecked(true);
    m_cmdStart->setEnabled(true);
    m_mnuOptionsRestore->setEnabled(true);
    m_cmdNew->setEnabled(true);
    selectRoots();
    m_lblStatusLeft->setText(text(kFoldersComplete) + problemNote());
    setBusy(false);
}

void frmBatch::optType_Click(int index)
{
    m_batchTypeIndex = index;
    const int other = 1 - index;
    m_tvBatch[other]->hide();
    m_fraSearch[other]->hide();
    m_fraBatched[other]->hide();
    m_tvBatch[index]->show();
    m_fraSearch[index]->show();
    m_fraBatched[index]->show();
    m_cmdCrop->setVisible(index == 1);
}

void frmBatch::mnuFileExit_Click()
{
    close();
}

void frmBatch::mnuOptionsProperties_Click()
{
    if (propertiesOpener())
        propertiesOpener()(this);
}

void frmBatch::closeEvent(QCloseEvent *event)
{
    // A scan, restore, run, preview or download in progress is stopped first;
    // the window closes once the handler that runs it has returned.
    if (m_busy || m_hitBusy) {
        m_closeRequested = true;
        m_stopRun = true;
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

// Restore -----------------------------------------------------------------

void frmBatch::RestoreLastBatch()
{
    if (m_running) {
        m_afterRun = [this] { RestoreLastBatch(); };
        return;
    }
    if (!beginReload(kLoadingResults))
        return;
    const ModJacketeer &mod = modJacketeer();
    for (int t = 0; t < 2; ++t) {
        clearTree(t);
        const QString root = t == 0 ? mod.batchCDPath : mod.batchDVDPath;
        const BatchTreeRestore restore =
            restoreBatchTree(static_cast<BatchType>(t), root, [this] { return yieldToEvents(); });
        m_skippedFolders += restore.skippedFolders;
        if (restore.rootMissing)
            m_missingRoots.append(root);
        fillTree(t, restore.tree);
    }
    resetProgressBars();
    optType_Click(0);
    m_optType[0]->setChecked(true);
    selectRoots();
    m_cmdNew->setEnabled(true);
    m_mnuOptionsRestore->setEnabled(true);
    m_lblStatusLeft->setText(text(kResultsComplete) + problemNote());
    setBusy(false);
}

// Run ---------------------------------------------------------------------

// What a run reports, shown in the controls of the run's own type.
class BatchRunView : public IBatchRunObserver
{
public:
    BatchRunView(frmBatch &window, int type) : m_w(window), m_t(type)
    {
        // What a run reports reaches the controls five times a second, not
        // as it happens: painting the bars, rows and tree for every page and
        // hit, and laying out all the tree's rows again for every new node,
        // would cost more than the run's own work.
        m_flush.setInterval(200);
        QObject::connect(&m_flush, &QTimer::timeout, [this] { flush(); });
        m_flush.start();
    }
    ~BatchRunView() override { flush(); }

    bool isTicked(int nodeIndex) override
    {
        const QTreeWidgetItem *node = m_w.nodeByIndex(m_t, nodeIndex);
        return node && node->checkState(0) == Qt::Checked;
    }
    void setRowStatus(int row, const QString &status) override { m_statuses[row] = status; }
    // A failed row says why in its status cell's tooltip.
    void setRowFailure(int row, const QString &, const QString &detail) override
    {
        m_failures[row] = detail;
    }
    void setLabel(BatchLabel label, const QString &text) override
    {
        m_labels[static_cast<size_t>(label)] = text;
    }
    void setBarMaximum(BatchBar bar, int maximum) override
    {
        m_maxima[static_cast<size_t>(bar)] = maximum;
    }
    void setBarValue(BatchBar bar, int value) override
    {
        m_values[static_cast<size_t>(bar)] = value;
    }
    void addHitNode(const QString &folderKey, const QString &nodeKey, const QString &text,
                    NodeImage image, bool scrollTo) override
    {
        QTreeWidgetItem *folder = m_w.nodeByKey(m_t, folderKey);
        if (!folder)
            return;
        if (m_hits.isEmpty() || m_hits.last().first != folder)
            m_hits.append(std::make_pair(folder, QList<QTreeWidgetItem *>()));
        QTreeWidgetItem *node = m_w.newHitNode(m_t, nodeKey, text, image);
        m_hits.last().second.append(node);
        if (scrollTo)
            m_scrollTo = node;
    }
    void setNodeImage(const QString &nodeKey, NodeImage image) override
    {
        m_w.setNodeImage(m_w.nodeByKey(m_t, nodeKey), image);
    }

    void flush()
    {
        for (auto it = m_statuses.cbegin(); it != m_statuses.cend(); ++it)
            m_w.setQueueStatus(m_t, it.key(), it.value(), m_failures.take(it.key()));
        m_statuses.clear();
        const std::array<QLabel *, 4> labels{m_w.m_lblArtist[m_t],
                                             m_t == 0 ? m_w.m_lblAlbum : nullptr,
                                             m_w.m_lblSite[m_t], m_w.m_lblResults[m_t]};
        for (size_t i = 0; i < labels.size(); ++i) {
            if (labels[i] && m_labels[i])
                labels[i]->setText(*m_labels[i]);
            m_labels[i].reset();
        }
        const std::array<QProgressBar *, 2> bars{m_w.m_prgTotal[m_t], m_w.m_prgSearch[m_t]};
        for (size_t i = 0; i < bars.size(); ++i) {
            if (m_maxima[i])
                bars[i]->setMaximum(*std::exchange(m_maxima[i], std::nullopt));
            if (m_values[i])
                bars[i]->setValue(*std::exchange(m_values[i], std::nullopt));
        }
        for (const auto &[folder, hits] : std::as_const(m_hits))
            m_w.attachHitNodes(m_t, folder, hits);
        m_hits.clear();
        if (m_scrollTo)
            m_w.m_tvBatch[m_t]->scrollToItem(std::exchange(m_scrollTo, nullptr));
    }

private:
    frmBatch &m_w;
    const int m_t;
    QTimer m_flush;
    QMap<int, QString> m_statuses;
    QMap<int, QString> m_failures;
    std::array<std::optional<QString>, 4> m_labels;
    std::array<std::optional<int>, 2> m_maxima;
    std::array<std::optional<int>, 2> m_values;
    QList<std::pair<QTreeWidgetItem *, QList<QTreeWidgetItem *>>> m_hits;
    QTreeWidgetItem *m_scrollTo = nullptr;
};

qint64 frmBatch::elapsedSeconds() const
{
    return std::max<qint64>(0, nowMs() - m_runStartMs) / 1000;
}

void frmBatch::cmdStart_Click()
{
    const int t = m_batchTypeIndex;
    if (m_cmdStart->text() != text(kCmdStart)) {
        // Cancel: the run notices at its next check point, page or hit.
        m_stopRun = true;
        m_tmrBatch->stop();
        m_cmdStart->setText(text(kCmdStart));
        m_cmdStart->setEnabled(false);
        m_cmdNew->setEnabled(true);
        m_mnuOptionsRestore->setEnabled(true);
        m_optType[0]->setEnabled(true);
        m_optType[1]->setEnabled(true);
        m_prgTotal[m_runType]->setValue(0);
        m_prgSearch[m_runType]->setValue(0);
        m_lblStatusLeft->setText(text(kRunCancelled));
        return;
    }
    if (m_running || m_busy)
        return;
    if (m_queue[t].empty()) {
        messageBox().show(text(kEmptyQueueText), text(kEmptyQueueTitle), MsgButtons::OkOnly,
                          MsgIcon::Exclamation);
        return;
    }
    m_runStartMs = nowMs();
    m_tmrBatch->start();
    m_cmdStart->setText(text(kCmdCancel));
    m_cmdNew->setEnabled(false);
    m_mnuOptionsRestore->setEnabled(false);
    m_optType[0]->setEnabled(false);
    m_optType[1]->setEnabled(false);

    if (t != 0)
        RunDVDBatch();
    else
        RunCDBatch();

    m_cmdStart->setEnabled(false);
    m_cmdNew->setEnabled(true);
    m_mnuOptionsRestore->setEnabled(true);
    m_optType[0]->setEnabled(true);
    m_optType[1]->setEnabled(true);
    m_prgTotal[t]->setValue(0);
    m_prgSearch[t]->setValue(0);
    m_cmdStart->setText(text(kCmdStart));
    m_tmrBatch->stop();
    QString status = text(kRunComplete) + batchElapsedText(elapsedSeconds());
    if (m_runFailed > 0)
        status += QString::fromLatin1(kRunFailedFolders).arg(m_runFailed);
    m_lblStatusLeft->setText(status);
    if (m_afterRun)
        QTimer::singleShot(0, this, std::exchange(m_afterRun, {}));
    setBusy(false);
}

void frmBatch::RunCDBatch()
{
    runBatch(0);
}

void frmBatch::RunDVDBatch()
{
    runBatch(1);
}

void frmBatch::runBatch(int type)
{
    m_busy = true;
    m_running = true;
    m_stopRun = false;
    m_runType = type;
    m_runFailed = 0;
    const Settings settings;
    BatchRunView view(*this, type);
    // One pacer for the whole run, so its interval holds across entries.
    RequestPacer pacer(settings.number(Keys::RequestIntervalMs), m_webBrowser1);
    pacer.setCancelTest([this] { return m_stopRun; });
    BatchJournal journal;
    BatchLog log(appFile(QLatin1String(kLogFileName)));
    log.start();
    m_lblSummary[type]->clear();
    BatchRunIo io;
    io.pages = &pacer;
    io.download = pacer.downloadFunction();
    io.journal = &journal;
    io.entryDone = [&log](const BatchEntryResult &result) { log.add(result); };
    io.observer = &view;
    io.yield = [] { QCoreApplication::processEvents(); };
    io.stopRequested = [this] { return m_stopRun; };
    const BatchRunOutcome outcome =
        ::runBatch(static_cast<BatchType>(type), m_queue[type],
                   BatchSettings::fromShared(modJacketeer()), settings.sites(), io);
    log.finish(outcome.summary);
    m_lblSummary[type]->setText(outcome.summary.text());
    m_runFailed = outcome.failed;
    m_running = false;
}

void frmBatch::tmrBatch_Timer()
{
    m_lblStatusLeft->setText(text(kRunStarted) + batchElapsedText(elapsedSeconds()));
}

// Ticks -------------------------------------------------------------------

void frmBatch::tvBatch_NodeCheck(int index, QTreeWidgetItem *node)
{
    Q_UNUSED(index);
    if (!node)
        return;
    const bool ticked = node->checkState(0) == Qt::Checked;
    // itemChanged also reports new images and texts; only a changed tick
    // is propagated.
    if (node->data(0, kTickRole).toBool() == ticked)
        return;
    node->setData(0, kTickRole, ticked);
    if (m_propagating)
        return;
    m_propagating = true;
    if (ticked) {
        for (QTreeWidgetItem *up = node->parent(); up; up = up->parent()) {
            up->setCheckState(0, Qt::Checked);
            up->setData(0, kTickRole, true);
        }
    } else {
        untickSubtree(node);
    }
    m_propagating = false;
}

void frmBatch::untickSubtree(QTreeWidgetItem *node)
{
    for (int i = 0; i < node->childCount(); ++i) {
        QTreeWidgetItem *child = node->child(i);
        child->setCheckState(0, Qt::Unchecked);
        child->setData(0, kTickRole, false);
        untickSubtree(child);
    }
}

void frmBatch::setAllTicks(Qt::CheckState state)
{
    QTreeWidget *tree = m_optType[0]->isChecked() ? m_tvBatch[0] : m_tvBatch[1];
    const int type = tree == m_tvBatch[0] ? 0 : 1;
    const bool ticked = state == Qt::Checked;
    const QSignalBlocker blocker(tree);
    for (QTreeWidgetItem *node : m_nodes[type].byIndex) {
        node->setCheckState(0, state);
        node->setData(0, kTickRole, ticked);
    }
}

void frmBatch::cmdCheckAll_Click()
{
    setAllTicks(Qt::Checked);
}

void frmBatch::cmdUncheckAll_Click()
{
    setAllTicks(Qt::Unchecked);
}

// Preview and download ----------------------------------------------------

std::optional<BatchHit> frmBatch::selectedHit(int index) const
{
    const QTreeWidget *tree = m_tvBatch.at(index);
    const QTreeWidgetItem *node = tree->currentItem();
    if (tree->topLevelItemCount() == 0 || !node || !node->isSelected() || node->childCount() > 0)
        return std::nullopt;
    const NodeImage image = nodeImage(node);
    if ((image != NodeImage::HitSaved && image != NodeImage::HitNotSaved) || !node->parent())
        return std::nullopt;
    // Taken now: a rescan or restore while the picture loads replaces the nodes.
    return BatchHit{nodeKey(node), nodeKey(node->parent()), fullTreePath(node->parent())};
}

void frmBatch::endHitOperation()
{
    m_hitBusy = false;
    if (m_closeRequested && !m_busy) {
        m_closeRequested = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void frmBatch::tvBatch_Click(int index)
{
    if (m_hitBusy)
        return;
    const std::optional<BatchHit> hit = selectedHit(index);
    if (!hit)
        return;
    m_hitBusy = true;
    BatchPreviewIo io;
    io.status = [this](const QString &status) { m_lblStatusRight->setText(status); };
    io.yield = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    io.previewFile = appFile(QString::fromLatin1(kPreviewPicture));
    // Larger pictures are fitted into the preview area, smaller ones shown at their size.
    io.fit = m_imgPreview->contentsRect().size();
    const BatchPreview preview = previewBatchHit(*hit, io);
    // A failed preview leaves nothing of the hit before on show.
    m_imgPreview->setPixmap(QPixmap::fromImage(preview.picture));
    m_picPreview->setPixmap(QPixmap::fromImage(preview.picture));
    m_picPreview->resize(preview.size);
    m_lblSize->setText(preview.sizeText);
    m_lblRes->setText(preview.resolution);
    m_lblPreviewSite->setText(preview.site);
    endHitOperation();
}

QString frmBatch::DownloadSelectedHit(int index, bool autoCrop)
{
    const std::optional<BatchHit> hit = selectedHit(index);
    if (!hit)
        return {};
    const ModJacketeer &mod = modJacketeer();
    BatchDownloadJob job;
    job.hit = *hit;
    job.type = static_cast<BatchType>(m_batchTypeIndex);
    job.templateName = mod.qsName;
    job.appDir = appFolder();
    job.autoCrop = autoCrop && mod.batch.autoCrop;
    BatchDownloadIo io;
    io.status = [this](const QString &status) { m_lblStatusRight->setText(status); };
    io.closeCompareWindows = [] { frmCompare::closeAll(); };
    io.compareFirst = frmCompare::replaceHook(this);
    const BatchDownload result = downloadBatchHit(job, io);
    if (result.saved())
        setNodeImage(nodeByKey(index, hit->nodeKey), NodeImage::HitSaved);
    return result.savedPath;
}

void frmBatch::tvBatch_DblClick(int index)
{
    if (m_hitBusy)
        return;
    m_hitBusy = true;
    DownloadSelectedHit(index);
    endHitOperation();
}

void frmBatch::cmdDownload_Click()
{
    tvBatch_DblClick(m_batchTypeIndex);
}

void frmBatch::cmdCrop_Click()
{
    if (m_hitBusy)
        return;
    m_hitBusy = true;
    const QString saved = DownloadSelectedHit(m_batchTypeIndex, false);
    if (!saved.isEmpty()) {
        const QImage picture = CoverFile::readPicture(saved);
        m_picCropBefore->setPixmap(QPixmap::fromImage(picture));
        const QImage cropped =
            cropSavedPicture(picture, saved, messageBox(),
                             [this](const QString &status) { m_lblStatusRight->setText(status); });
        m_picCropAfter->setFixedSize(350, 500);
        if (!cropped.isNull())
            m_picCropAfter->setPixmap(QPixmap::fromImage(cropped));
    }
    endHitOperation();
}

void frmBatch::cmdCheckMissing_Click()
{
    setAllTicks(Qt::Unchecked);
    const int type = m_optType[0]->isChecked() ? 0 : 1;
    const QSignalBlocker blocker(m_tvBatch[type]);
    for (const int index : foldersWithoutPicture(static_cast<BatchType>(type), m_queue[type],
                                                 modJacketeer().qsName)) {
        for (QTreeWidgetItem *node = nodeByIndex(type, index); node; node = node->parent()) {
            node->setCheckState(0, Qt::Checked);
            node->setData(0, kTickRole, true);
        }
    }
}

// Undo --------------------------------------------------------------------

void frmBatch::mnuOptionsUndo_Click()
{
    if (m_busy)
        return;
    BatchJournal journal;
    const BatchJournal::Pending pending = journal.pending();
    if (!pending.any()) {
        messageBox().show(text(kUndoNothing), text(kUndoTitle), MsgButtons::OkOnly,
                          MsgIcon::Information);
        return;
    }
    if (messageBox().show(QString::fromUtf8(kUndoAsk).arg(pending.replaced).arg(pending.created),
                          text(kUndoTitle), MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes)
        return;
    const BatchJournal::UndoResult undone = journal.undo();
    // The pictures the last run saved are gone from the folders.
    for (int t = 0; t < 2; ++t) {
        for (QTreeWidgetItem *node : m_nodes[t].byIndex) {
            if (nodeImage(node) == NodeImage::HitSaved)
                setNodeImage(node, NodeImage::HitNotSaved);
        }
    }
    const bool clean = undone.leftAlone.isEmpty() && undone.failed.isEmpty();
    messageBox().show(BatchJournal::report(undone, journal.backupFolder()), text(kUndoTitle),
                      MsgButtons::OkOnly, clean ? MsgIcon::Information : MsgIcon::Exclamation);
}

// Node and queue access ---------------------------------------------------

QTreeWidgetItem *frmBatch::nodeByIndex(int type, int index) const
{
    const auto &byIndex = m_nodes.at(type).byIndex;
    if (index < 1 || static_cast<size_t>(index) > byIndex.size())
        return nullptr;
    return byIndex[static_cast<size_t>(index) - 1];
}

QTreeWidgetItem *frmBatch::nodeByKey(int type, const QString &key) const
{
    return m_nodes.at(type).byKey.value(key, nullptr);
}

QString frmBatch::nodeKeyAt(int type, int index) const
{
    return nodeKey(nodeByIndex(type, index));
}

int frmBatch::nodeCount(int type) const
{
    return static_cast<int>(m_nodes.at(type).byIndex.size());
}

QTreeWidgetItem *frmBatch::newHitNode(int type, const QString &key, const QString &text,
                                      NodeImage image)
{
    auto *item = new QTreeWidgetItem;
    item->setText(0, text);
    item->setIcon(0, imgView(image));
    item->setData(0, kKeyRole, key);
    item->setData(0, kImageRole, static_cast<int>(image));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(0, Qt::Unchecked);
    item->setData(0, kTickRole, false);
    m_nodes[type].byIndex.push_back(item);
    m_nodes[type].byKey.insert(key, item);
    return item;
}

void frmBatch::attachHitNodes(int type, QTreeWidgetItem *folder,
                              const QList<QTreeWidgetItem *> &hits)
{
    {
        const QSignalBlocker blocker(m_tvBatch[type]);
        folder->addChildren(hits);
    }
    for (QTreeWidgetItem *up = folder; up; up = up->parent())
        up->setExpanded(true);
}

QString frmBatch::nodeKey(const QTreeWidgetItem *node)
{
    return node ? node->data(0, kKeyRole).toString() : QString();
}

NodeImage frmBatch::nodeImage(const QTreeWidgetItem *node)
{
    return static_cast<NodeImage>(node ? node->data(0, kImageRole).toInt() : 0);
}

void frmBatch::setNodeImage(QTreeWidgetItem *node, NodeImage image)
{
    if (!node)
        return;
    node->setData(0, kImageRole, static_cast<int>(image));
    node->setIcon(0, imgView(image));
}

QString frmBatch::fullTreePath(const QTreeWidgetItem *node)
{
    QStringList parts;
    for (; node; node = node->parent())
        parts.prepend(node->text(0));
    QString path;
    for (const QString &part : parts)
        path = path.isEmpty() ? part : childPath(path, part);
    return path;
}

int frmBatch::queueRowCount(int type) const
{
    return m_lvBatch.at(type)->topLevelItemCount();
}

void frmBatch::setQueueStatus(int type, int row, const QString &status, const QString &why)
{
    if (QTreeWidgetItem *item = m_lvBatch.at(type)->topLevelItem(row)) {
        item->setText(statusColumn(type), status);
        item->setToolTip(statusColumn(type), why);
    }
}
