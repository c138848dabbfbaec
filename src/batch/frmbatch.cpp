#include "batch/frmbatch.h"

#include "base/appfolder.h"
#include "base/messagebox.h"
#include "base/modjacketeer.h"
#include "base/pagefetcher.h"
#include "batch/batchcrop.h"
#include "batch/batchdownload.h"
#include "batch/batchjournal.h"
#include "batch/batchmissing.h"
#include "batch/batchpreview.h"
#include "batch/batchrestore.h"
#include "batch/batchrun.h"
#include "batch/batchscan.h"
#include "batch/batchsession.h"
#include "batch/batchtexts.h"
#include "cover/coverfile.h"
#include "cover/covertexts.h"
#include "cover/frmcompare.h"
#include "widgets/controlarrayname.h"
#include "widgets/foldertreecontrol.h"
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
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <optional>
#include <set>

using namespace BatchTexts;

namespace
{

constexpr int kKeyRole = Qt::UserRole;       // queue headers: the column's key
constexpr int kIndexRole = Qt::UserRole + 1; // tree items: the node's index in the model
constexpr int kTagRole = Qt::UserRole;       // queue rows: the folder node's index

frmBatch::PropertiesOpener &propertiesOpener()
{
    static frmBatch::PropertiesOpener opener;
    return opener;
}

QString text(const char *latin1)
{
    return QString::fromUtf8(latin1);
}

BatchType typeAt(int index)
{
    return static_cast<BatchType>(index);
}

Qt::CheckState checkState(bool ticked)
{
    return ticked ? Qt::Checked : Qt::Unchecked;
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

// Controls ----------------------------------------------------------------

void frmBatch::buildUi()
{
    auto *central = new QWidget(this);
    setCentralWidget(central);
    auto *outer = new QHBoxLayout(central);

    auto *frame1 = new QGroupBox(text(kFrameResults), central);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto *resultsLayout = new QGridLayout(frame1);
    resultsLayout->addWidget(buildTrees(frame1), 0, 0, 2, 1);
    auto *rightColumn = new QVBoxLayout;
    for (int t = 0; t < 2; ++t) {
        buildQueue(t, frame1);
        rightColumn->addWidget(m_types[t].fraBatched, 3);
    }
    for (int t = 0; t < 2; ++t)
        rightColumn->addWidget(buildSearchFrame(t, frame1), 0);
    resultsLayout->addLayout(rightColumn, 0, 1, 2, 1);
    resultsLayout->addLayout(buildTypeAndButtons(frame1), 2, 0, 1, 2);
    resultsLayout->setColumnStretch(0, 2);
    resultsLayout->setColumnStretch(1, 3);
    // The trees and queues take the height; the type and buttons row keeps
    // its own.
    resultsLayout->setRowStretch(0, 1);
    resultsLayout->setRowStretch(1, 1);
    outer->addWidget(frame1, 1);
    outer->addWidget(buildPreview(central), 0);

    buildMenus();
    buildStatusAndHelpers();
    resize(1180, 720);
}

QWidget *frmBatch::buildTrees(QWidget *parent)
{
    auto *treeHolder = new QWidget(parent);
    auto *treeLayout = new QVBoxLayout(treeHolder);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    for (int t = 0; t < 2; ++t) {
        QTreeWidget *tree = newFolderTreeControl(treeHolder, "tvBatch", t, 300);
        treeLayout->addWidget(tree);
        m_types[t].tvBatch = tree;
        connect(tree, &QTreeWidget::itemChanged, this,
                [this, t](QTreeWidgetItem *item, int) { tvBatch_NodeCheck(t, item); });
        connect(tree, &QTreeWidget::itemClicked, this, [this, t] { tvBatch_Click(t); });
        connect(tree, &QTreeWidget::itemDoubleClicked, this, [this, t] { tvBatch_DblClick(t); });
    }
    return treeHolder;
}

void frmBatch::buildQueue(int index, QWidget *parent)
{
    TypeControls &type = m_types[index];
    auto *batched = new QGroupBox(text(index == 0 ? kFrameBatched : kFrameQueued), parent);
    batched->setObjectName(controlArrayName("fraBatched", index));
    auto *batchedLayout = new QVBoxLayout(batched);
    auto *queue = new QTreeWidget(batched);
    queue->setObjectName(controlArrayName("lvBatch", index));
    queue->setRootIsDecorated(false);
    queue->setUniformRowHeights(true);
    queue->setAllColumnsShowFocus(true);
    QStringList headers;
    QStringList keys;
    if (index == 0) {
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
    if (index == 0)
        queue->header()->resizeSection(1, 120);
    queue->header()->resizeSection(directoryColumn(index), index == 0 ? 170 : 220);
    batchedLayout->addWidget(queue);
    auto *total = new QProgressBar(batched);
    total->setObjectName(controlArrayName("prgTotal", index));
    total->setTextVisible(false);
    batchedLayout->addWidget(total);
    type.lblSummary = valueLabel(controlArrayName("lblSummary", index), batched);
    batchedLayout->addWidget(type.lblSummary);
    type.lvBatch = queue;
    type.prgTotal = total;
    type.fraBatched = batched;
}

QWidget *frmBatch::buildSearchFrame(int index, QWidget *parent)
{
    TypeControls &type = m_types[index];
    auto *frame = new QGroupBox(text(kFrameSearch), parent);
    frame->setObjectName(controlArrayName("fraSearch", index));
    auto *layout = new QGridLayout(frame);
    int row = 0;
    const auto addLabel = [&](const char *caption, const char *name) {
        layout->addWidget(captionLabel(caption, frame), row, 0);
        QLabel *label = valueLabel(controlArrayName(name, index), frame);
        layout->addWidget(label, row++, 1);
        return label;
    };
    type.lblArtist = addLabel(index == 0 ? kLabelArtist : kLabelDVD, "lblArtist");
    if (index == 0)
        type.lblAlbum = addLabel(kLabelAlbum, "lblAlbum");
    type.lblSite = addLabel(kLabelSite, "lblSite");
    type.lblResults = addLabel(kLabelResults, "lblResults");
    auto *bar = new QProgressBar(frame);
    bar->setObjectName(controlArrayName("prgSearch", index));
    bar->setTextVisible(false);
    layout->addWidget(bar, row, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    type.prgSearch = bar;
    type.fraSearch = frame;
    for (QLabel *label : {type.lblArtist, type.lblSite, type.lblResults})
        makeRunLabel(label);
    if (index == 0)
        makeRunLabel(type.lblAlbum);
    return frame;
}

QBoxLayout *frmBatch::buildTypeAndButtons(QWidget *parent)
{
    auto *controls = new QHBoxLayout;
    auto *frame4 = new QGroupBox(text(kFrameType), parent);
    frame4->setObjectName(QStringLiteral("Frame4"));
    frame4->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    auto *typeLayout = new QHBoxLayout(frame4);
    for (int t = 0; t < 2; ++t) {
        auto *option = new QRadioButton(text(t == 0 ? kOptCD : kOptDVD), frame4);
        option->setObjectName(controlArrayName("optType", t));
        typeLayout->addWidget(option);
        m_types[t].optType = option;
    }
    m_types[0].optType->setChecked(true);
    // The switch follows the value, however it changes (mouse, keys, code or
    // an assistive tool's toggle); of the pair only the one going on acts.
    for (int t = 0; t < 2; ++t)
        connect(m_types[t].optType, &QRadioButton::toggled, this, [this, t](bool on) {
            if (on)
                optType_Click(t);
        });
    controls->addWidget(frame4);
    const auto addButton = [&](const char *caption, const char *name, void (frmBatch::*handler)()) {
        auto *button = new QPushButton(text(caption), parent);
        button->setObjectName(QLatin1String(name));
        controls->addWidget(button, 0, Qt::AlignBottom);
        connect(button, &QPushButton::clicked, this, handler);
        return button;
    };
    m_cmdNew = addButton(kCmdNew, "cmdNew", &frmBatch::cmdNew_Click);
    m_cmdStart = addButton(kCmdStart, "cmdStart", &frmBatch::cmdStart_Click);
    addButton(kCmdCheckAll, "cmdCheckAll", &frmBatch::cmdCheckAll_Click);
    addButton(kCmdCheckMissing, "cmdCheckMissing", &frmBatch::cmdCheckMissing_Click);
    addButton(kCmdUncheckAll, "cmdUncheckAll", &frmBatch::cmdUncheckAll_Click);
    controls->addStretch(1);
    return controls;
}

QWidget *frmBatch::buildPreview(QWidget *parent)
{
    // Filled by the hit preview and download.
    auto *frame2 = new QGroupBox(text(kFramePreview), parent);
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
    auto *cmdDownload = new QPushButton(text(kCmdDownload), frame2);
    cmdDownload->setObjectName(QStringLiteral("cmdDownload"));
    auto *cmdCrop = new QPushButton(QString::fromLatin1(kCmdCrop), frame2);
    cmdCrop->setObjectName(QStringLiteral("cmdCrop"));
    previewLayout->addWidget(cmdDownload, row, 0);
    previewLayout->addWidget(cmdCrop, row, 1);
    ++row;
    // Picture holders that measure or transform pictures; never shown.
    for (const char *name : {"picPreview", "picCropBefore", "picCropAfter", "picTest"}) {
        auto *holder = new QLabel(frame2);
        holder->setObjectName(QLatin1String(name));
        holder->hide();
    }
    previewLayout->setRowStretch(row, 1);
    const auto control = [frame2](const char *name) {
        return frame2->findChild<QLabel *>(QLatin1String(name));
    };
    m_preview = {imgPreview,
                 control("picPreview"),
                 control("picCropBefore"),
                 control("picCropAfter"),
                 control("lblPreviewSite"),
                 control("lblRes"),
                 control("lblSize"),
                 cmdCrop};
    connect(cmdDownload, &QPushButton::clicked, this, &frmBatch::cmdDownload_Click);
    connect(cmdCrop, &QPushButton::clicked, this, &frmBatch::cmdCrop_Click);
    return frame2;
}

void frmBatch::buildMenus()
{
    const auto addAction = [this](QMenu *menu, const char *caption, const char *name,
                                  void (frmBatch::*handler)()) {
        QAction *action = menu->addAction(text(caption));
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    auto *file = menuBar()->addMenu(text(MenuTexts::kFile));
    file->menuAction()->setObjectName(QStringLiteral("mnuFile"));
    addAction(file, MenuTexts::kExit, "mnuFileExit", &frmBatch::mnuFileExit_Click);
    auto *options = menuBar()->addMenu(text(MenuTexts::kOptions));
    options->menuAction()->setObjectName(QStringLiteral("mnuOptions"));
    m_mnuOptionsRestore = addAction(options, kMenuOptionsRestore, "mnuOptionsRestore",
                                    &frmBatch::mnuOptionsRestore_Click);
    QAction *undo =
        addAction(options, kMenuOptionsUndo, "mnuOptionsUndo", &frmBatch::mnuOptionsUndo_Click);
    // Offered whenever no scan, restore or run is busy with the folders.
    connect(options, &QMenu::aboutToShow, this, [this, undo] { undo->setEnabled(!m_busy); });
    QAction *properties = addAction(options, MenuTexts::kProperties, "mnuOptionsProperties",
                                    &frmBatch::mnuOptionsProperties_Click);
    properties->setEnabled(static_cast<bool>(propertiesOpener()));
}

void frmBatch::buildStatusAndHelpers()
{
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
    m_webBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
}

// Trees and queues --------------------------------------------------------

int frmBatch::queueRowCount(int type) const
{
    return m_types.at(type).lvBatch->topLevelItemCount();
}

int frmBatch::nodeIndex(const QTreeWidgetItem *item) const
{
    return item ? item->data(0, kIndexRole).toInt() : 0;
}

QTreeWidgetItem *frmBatch::item(int type, int index) const
{
    const BatchModel::Node *node = m_model.node(typeAt(type), index);
    if (!node)
        return nullptr;
    if (node->parent == 0)
        return m_types[type].tvBatch->topLevelItem(node->row);
    QTreeWidgetItem *parent = item(type, node->parent);
    return parent ? parent->child(node->row) : nullptr;
}

QTreeWidgetItem *frmBatch::newItem(int type, int index) const
{
    const BatchModel::Node &node = *m_model.node(typeAt(type), index);
    auto *item = new QTreeWidgetItem;
    item->setText(0, node.text);
    item->setIcon(0, nodeIcon(node.image));
    item->setData(0, kIndexRole, index);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(0, checkState(node.ticked));
    return item;
}

void frmBatch::clearTree(int type)
{
    const QSignalBlocker blocker(m_types[type].tvBatch);
    m_types[type].tvBatch->clear();
    m_model.clear(typeAt(type));
}

void frmBatch::showTree(int type, const FolderTree &tree)
{
    QTreeWidget *view = m_types[type].tvBatch;
    const int offset = m_model.nodeCount(typeAt(type));
    m_model.addTree(typeAt(type), tree);
    const QSignalBlocker blocker(view);
    // Built detached and attached in one step: a view that took the items
    // one by one would lay itself out again for every folder.
    QList<QTreeWidgetItem *> roots;
    std::vector<QTreeWidgetItem *> made;
    made.reserve(static_cast<size_t>(tree.count()));
    for (const FolderNode &node : tree.nodes()) {
        QTreeWidgetItem *item = newItem(type, offset + static_cast<int>(made.size()) + 1);
        if (node.parent == 0)
            roots.append(item);
        else
            made.at(static_cast<size_t>(node.parent) - 1)->addChild(item);
        made.push_back(item);
    }
    view->addTopLevelItems(roots);
    // Every folder is made visible as it is added, so the whole tree ends
    // up expanded.
    view->expandAll();
}

void frmBatch::showQueue(int type)
{
    QList<QTreeWidgetItem *> rows;
    const std::vector<QueueEntry> &queue = m_model.queue(typeAt(type));
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
    m_types[type].lvBatch->addTopLevelItems(rows);
}

void frmBatch::showHits(int type, const std::vector<int> &hits)
{
    const BatchType t = typeAt(type);
    for (size_t i = 0; i < hits.size();) {
        const int folder = m_model.node(t, hits[i])->parent;
        QList<QTreeWidgetItem *> items;
        for (; i < hits.size() && m_model.node(t, hits[i])->parent == folder; ++i)
            items.append(newItem(type, hits[i]));
        QTreeWidgetItem *parent = item(type, folder);
        if (!parent) {
            qDeleteAll(items);
            continue;
        }
        {
            const QSignalBlocker blocker(m_types[type].tvBatch);
            parent->addChildren(items);
        }
        for (QTreeWidgetItem *up = parent; up; up = up->parent())
            up->setExpanded(true);
    }
}

void frmBatch::showImage(int type, int index)
{
    if (QTreeWidgetItem *node = item(type, index))
        node->setIcon(0, nodeIcon(m_model.node(typeAt(type), index)->image));
}

void frmBatch::showStatus(int type, int row, const QString &why)
{
    const std::vector<QueueEntry> &queue = m_model.queue(typeAt(type));
    QTreeWidgetItem *item = m_types.at(type).lvBatch->topLevelItem(row);
    if (item && static_cast<size_t>(row) < queue.size()) {
        item->setText(statusColumn(type), queue[static_cast<size_t>(row)].status);
        item->setToolTip(statusColumn(type), why);
    }
}

// Scanning ----------------------------------------------------------------

bool frmBatch::yieldToEvents()
{
    QCoreApplication::processEvents();
    return !m_closeRequested;
}

void frmBatch::buildTree(int type)
{
    clearTree(type);
    const ModJacketeer &mod = modJacketeer();
    const QString root = type == 0 ? mod.batchCDPath : mod.batchDVDPath;
    BatchTreeBuild build = buildBatchTree(typeAt(type), root, BatchScanSettings::fromShared(mod),
                                          [this] { return yieldToEvents(); });
    m_model.notePassedOver(build.skippedFolders, build.rootMissing ? root : QString());
    showTree(type, build.tree);
    m_model.setQueue(typeAt(type), std::move(build.queue));
    showQueue(type);
}

void frmBatch::resetProgressBars()
{
    for (const TypeControls &type : m_types) {
        for (QProgressBar *bar : {type.prgSearch, type.prgTotal}) {
            bar->setMinimum(0);
            bar->setValue(0);
        }
    }
}

void frmBatch::selectRoots()
{
    for (const TypeControls &type : m_types) {
        if (type.tvBatch->topLevelItemCount() > 0)
            type.tvBatch->setCurrentItem(type.tvBatch->topLevelItem(0));
    }
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
    m_model.forgetPassedOver();
    buildTree(0);
    buildTree(1);
    resetProgressBars();
    optType_Click(0);
    selectRoots();
    // Only when something was passed over: the load itself shows no status.
    if (!m_model.passedOverNote().isEmpty())
        m_lblStatusLeft->setText(text(kFoldersComplete) + m_model.passedOverNote());
    setBusy(false);
}

bool frmBatch::beginReload(const char *status, void (frmBatch::*again)())
{
    if (m_runState != RunState::Idle) {
        // A cancelled run is still winding down: reload once it has.
        m_afterRun = [this, again] { (this->*again)(); };
        return false;
    }
    if (m_busy)
        return false;
    m_busy = true;
    m_lblStatusLeft->setText(text(status));
    m_cmdStart->setEnabled(false);
    m_cmdNew->setEnabled(false);
    m_mnuOptionsRestore->setEnabled(false);
    for (int t = 0; t < 2; ++t) {
        m_types[t].lvBatch->clear();
        m_model.setQueue(typeAt(t), {});
        m_types[t].lblSummary->clear();
    }
    m_model.forgetPassedOver();
    return true;
}

void frmBatch::cmdNew_Click()
{
    if (!beginReload(kRefreshingFolders, &frmBatch::cmdNew_Click))
        return;
    buildTree(0);
    buildTree(1);
    resetProgressBars();
    optType_Click(0);
    m_types[0].optType->setChecked(true);
    m_cmdStart->setEnabled(true);
    m_mnuOptionsRestore->setEnabled(true);
    m_cmdNew->setEnabled(true);
    selectRoots();
    m_lblStatusLeft->setText(text(kFoldersComplete) + m_model.passedOverNote());
    setBusy(false);
}

void frmBatch::optType_Click(int index)
{
    m_batchTypeIndex = index;
    const TypeControls &other = m_types[1 - index];
    other.tvBatch->hide();
    other.fraSearch->hide();
    other.fraBatched->hide();
    m_types[index].tvBatch->show();
    m_types[index].fraSearch->show();
    m_types[index].fraBatched->show();
    m_preview.cmdCrop->setVisible(index == 1);
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
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

// Restore -----------------------------------------------------------------

void frmBatch::RestoreLastBatch()
{
    if (!beginReload(kLoadingResults, &frmBatch::RestoreLastBatch))
        return;
    const ModJacketeer &mod = modJacketeer();
    for (int t = 0; t < 2; ++t) {
        clearTree(t);
        const QString root = t == 0 ? mod.batchCDPath : mod.batchDVDPath;
        const BatchTreeRestore restore =
            restoreBatchTree(typeAt(t), root, [this] { return yieldToEvents(); });
        m_model.notePassedOver(restore.skippedFolders, restore.rootMissing ? root : QString());
        showTree(t, restore.tree);
    }
    resetProgressBars();
    optType_Click(0);
    m_types[0].optType->setChecked(true);
    selectRoots();
    m_cmdNew->setEnabled(true);
    m_mnuOptionsRestore->setEnabled(true);
    m_lblStatusLeft->setText(text(kResultsComplete) + m_model.passedOverNote());
    setBusy(false);
}

// Run ---------------------------------------------------------------------

// What a run reports: into the model at once, and into the controls of the
// run's own type five times a second. Painting the bars, rows and tree for
// every page and hit, and laying out all the tree's rows again for every new
// node, would cost more than the run's own work.
class BatchRunView : public IBatchRunObserver
{
public:
    BatchRunView(frmBatch &window, int type)
        : m_w(window), m_model(window.m_model), m_t(type), m_type(typeAt(type))
    {
        m_flush.setInterval(200);
        QObject::connect(&m_flush, &QTimer::timeout, [this] { flush(); });
        m_flush.start();
    }
    ~BatchRunView() override { flush(); }

    bool isTicked(int nodeIndex) override { return m_model.isTicked(m_type, nodeIndex); }
    void setRowStatus(int row, const QString &status) override
    {
        m_model.setStatus(m_type, row, status);
        m_rows.insert(row);
    }
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
        const int index = m_model.addHit(m_type, folderKey, nodeKey, text, image);
        if (index == 0)
            return;
        m_hits.push_back(index);
        if (scrollTo)
            m_scrollTo = index;
    }
    void setNodeImage(const QString &nodeKey, NodeImage image) override
    {
        const int index = m_model.indexOf(m_type, nodeKey);
        m_model.setImage(m_type, index, image);
        m_images.push_back(index);
    }

    void flush()
    {
        for (const int row : m_rows)
            m_w.showStatus(m_t, row, m_failures.take(row));
        m_rows.clear();
        const frmBatch::TypeControls &controls = m_w.m_types[m_t];
        const std::array<QLabel *, 4> labels{controls.lblArtist, controls.lblAlbum,
                                             controls.lblSite, controls.lblResults};
        for (size_t i = 0; i < labels.size(); ++i) {
            if (labels[i] && m_labels[i])
                labels[i]->setText(*m_labels[i]);
            m_labels[i].reset();
        }
        const std::array<QProgressBar *, 2> bars{controls.prgTotal, controls.prgSearch};
        for (size_t i = 0; i < bars.size(); ++i) {
            if (m_maxima[i])
                bars[i]->setMaximum(*std::exchange(m_maxima[i], std::nullopt));
            if (m_values[i])
                bars[i]->setValue(*std::exchange(m_values[i], std::nullopt));
        }
        m_w.showHits(m_t, std::exchange(m_hits, {}));
        for (const int index : std::exchange(m_images, {}))
            m_w.showImage(m_t, index);
        if (QTreeWidgetItem *node = m_w.item(m_t, std::exchange(m_scrollTo, 0)))
            controls.tvBatch->scrollToItem(node);
    }

private:
    frmBatch &m_w;
    BatchModel &m_model;
    const int m_t;
    const BatchType m_type;
    QTimer m_flush;
    std::set<int> m_rows;
    QMap<int, QString> m_failures;
    std::array<std::optional<QString>, 4> m_labels;
    std::array<std::optional<int>, 2> m_maxima;
    std::array<std::optional<int>, 2> m_values;
    std::vector<int> m_hits;
    std::vector<int> m_images;
    int m_scrollTo = 0;
};

void frmBatch::setRunLocks(bool running)
{
    m_cmdNew->setEnabled(!running);
    m_mnuOptionsRestore->setEnabled(!running);
    for (const TypeControls &type : m_types)
        type.optType->setEnabled(!running);
}

void frmBatch::cmdStart_Click()
{
    if (m_runState == RunState::Running) {
        cancelRun();
        return;
    }
    // A cancelled run still winding down, or the folders busy otherwise.
    if (m_runState != RunState::Idle || m_busy)
        return;
    const int t = m_batchTypeIndex;
    if (m_model.queue(typeAt(t)).empty()) {
        messageBox().show(text(kEmptyQueueText), text(kEmptyQueueTitle), MsgButtons::OkOnly,
                          MsgIcon::Exclamation);
        return;
    }
    m_tmrBatch->start();
    m_cmdStart->setText(text(kCmdCancel));
    setRunLocks(true);

    if (t != 0)
        RunDVDBatch();
    else
        RunCDBatch();

    m_cmdStart->setEnabled(false);
    setRunLocks(false);
    m_types[t].prgTotal->setValue(0);
    m_types[t].prgSearch->setValue(0);
    m_cmdStart->setText(text(kCmdStart));
    m_tmrBatch->stop();
    m_lblStatusLeft->setText(m_session->completeText());
    if (m_afterRun)
        QTimer::singleShot(0, this, std::exchange(m_afterRun, {}));
    setBusy(false);
}

void frmBatch::cancelRun()
{
    // The run notices at its next check point, page or hit.
    m_runState = RunState::Stopping;
    m_tmrBatch->stop();
    m_cmdStart->setText(text(kCmdStart));
    m_cmdStart->setEnabled(false);
    setRunLocks(false);
    m_types[m_runType].prgTotal->setValue(0);
    m_types[m_runType].prgSearch->setValue(0);
    m_lblStatusLeft->setText(text(kRunCancelled));
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
    m_runState = RunState::Running;
    m_runType = type;
    m_session = std::make_unique<BatchSession>(
        *m_webBrowser1, [this] { return m_runState == RunState::Stopping || m_closeRequested; });
    m_types[type].lblSummary->clear();
    // Its own copy: the model's rows take the statuses as the run goes.
    const std::vector<QueueEntry> queue = m_model.queue(typeAt(type));
    BatchRunView view(*this, type);
    const BatchRunOutcome outcome =
        m_session->run(typeAt(type), queue, BatchSettings::fromShared(modJacketeer()), view);
    m_types[type].lblSummary->setText(outcome.summary.text());
    m_runState = RunState::Idle;
}

void frmBatch::tmrBatch_Timer()
{
    if (m_session)
        m_lblStatusLeft->setText(text(kRunStarted) + batchElapsedText(m_session->elapsedSeconds()));
}

// Ticks -------------------------------------------------------------------

void frmBatch::tvBatch_NodeCheck(int index, QTreeWidgetItem *node)
{
    const int n = nodeIndex(node);
    if (n == 0)
        return;
    const bool ticked = node->checkState(0) == Qt::Checked;
    // itemChanged also reports new images and texts; only a changed tick
    // is carried on.
    if (m_model.isTicked(typeAt(index), n) == ticked)
        return;
    const QSignalBlocker blocker(m_types[index].tvBatch);
    for (const int changed : m_model.setTicked(typeAt(index), n, ticked)) {
        if (QTreeWidgetItem *other = item(index, changed))
            other->setCheckState(0, checkState(ticked));
    }
}

void frmBatch::showTicks(int type)
{
    const QSignalBlocker blocker(m_types[type].tvBatch);
    for (QTreeWidgetItemIterator it(m_types[type].tvBatch); *it; ++it)
        (*it)->setCheckState(0, checkState(m_model.isTicked(typeAt(type), nodeIndex(*it))));
}

void frmBatch::setAllTicks(bool ticked)
{
    const int type = m_types[0].optType->isChecked() ? 0 : 1;
    m_model.setAllTicked(typeAt(type), ticked);
    showTicks(type);
}

void frmBatch::cmdCheckAll_Click()
{
    setAllTicks(true);
}

void frmBatch::cmdUncheckAll_Click()
{
    setAllTicks(false);
}

void frmBatch::cmdCheckMissing_Click()
{
    const int type = m_types[0].optType->isChecked() ? 0 : 1;
    const BatchType t = typeAt(type);
    m_model.setAllTicked(t, false);
    for (const int index : foldersWithoutPicture(t, m_model.queue(t), modJacketeer().qsName))
        m_model.setTicked(t, index, true);
    showTicks(type);
}

// Preview and download ----------------------------------------------------

std::optional<BatchHit> frmBatch::selectedHit(int index) const
{
    const QTreeWidget *tree = m_types.at(index).tvBatch;
    const QTreeWidgetItem *node = tree->currentItem();
    if (tree->topLevelItemCount() == 0 || !node || !node->isSelected() || node->childCount() > 0)
        return std::nullopt;
    // Taken now: a rescan or restore while the picture loads replaces the nodes.
    return m_model.hit(typeAt(index), nodeIndex(node));
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
    io.fit = m_preview.imgPreview->contentsRect().size();
    const BatchPreview preview = previewBatchHit(*hit, io);
    // A failed preview leaves nothing of the hit before on show.
    m_preview.imgPreview->setPixmap(QPixmap::fromImage(preview.picture));
    m_preview.picPreview->setPixmap(QPixmap::fromImage(preview.picture));
    m_preview.picPreview->resize(preview.size);
    m_preview.lblSize->setText(preview.sizeText);
    m_preview.lblRes->setText(preview.resolution);
    m_preview.lblPreviewSite->setText(preview.site);
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
    job.type = typeAt(m_batchTypeIndex);
    job.templateName = mod.qsName;
    job.appDir = appFolder();
    job.autoCrop = autoCrop && mod.batch.autoCrop;
    BatchDownloadIo io;
    io.status = [this](const QString &status) { m_lblStatusRight->setText(status); };
    io.closeCompareWindows = [] { frmCompare::closeAll(); };
    io.compareFirst = frmCompare::replaceHook(this);
    const BatchDownload result = downloadBatchHit(job, io);
    if (result.saved()) {
        const int node = m_model.indexOf(typeAt(index), hit->nodeKey);
        m_model.setImage(typeAt(index), node, NodeImage::HitSaved);
        showImage(index, node);
    }
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
        m_preview.picCropBefore->setPixmap(QPixmap::fromImage(picture));
        const QImage cropped =
            cropSavedPicture(picture, saved, messageBox(),
                             [this](const QString &status) { m_lblStatusRight->setText(status); });
        m_preview.picCropAfter->setFixedSize(350, 500);
        if (!cropped.isNull())
            m_preview.picCropAfter->setPixmap(QPixmap::fromImage(cropped));
    }
    endHitOperation();
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
        for (const int node : m_model.unmarkSaved(typeAt(t)))
            showImage(t, node);
    }
    const bool clean = undone.leftAlone.isEmpty() && undone.failed.isEmpty();
    messageBox().show(BatchJournal::report(undone, journal.backupFolder()), text(kUndoTitle),
                      MsgButtons::OkOnly, clean ? MsgIcon::Information : MsgIcon::Exclamation);
}
