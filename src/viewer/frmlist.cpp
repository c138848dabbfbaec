#include "viewer/frmlist.h"

#include "base/fileops.h"
#include "base/messagebox.h"
#include "base/modjacketeer.h"
#include "cover/covercrop.h"
#include "cover/coverfile.h"
#include "cover/covertexts.h"
#include "cover/picturefacts.h"
#include "viewer/artshelfscan.h"
#include "viewer/viewertexts.h"
#include "widgets/controlarrayname.h"
#include "widgets/foldertreecontrol.h"
#include "widgets/nodeimages.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <vector>

namespace T = ViewerTexts;

namespace
{

constexpr int kKeyRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;

} // namespace

frmList::frmList(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(T::kCaption);
    QWidget *frame1 = buildTrees();
    QWidget *frame4 = buildTypeChoice();
    QWidget *frame2 = buildPicture();

    m_lblStatus = new QLabel(this);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_lblStatus->setWordWrap(true);
    m_lblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *left = new QVBoxLayout;
    left->addWidget(frame1, 1);
    left->addWidget(frame4);
    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 2);
    columns->addWidget(frame2, 3);
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(columns, 1);
    outer->addWidget(m_lblStatus);
    resize(1000, 680);

    Form_Load();
}

QWidget *frmList::buildTrees()
{
    auto *frame1 = new QGroupBox(T::kTreesFrame, this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto *treeLayout = new QVBoxLayout(frame1);
    for (int i = 0; i < 2; ++i) {
        QTreeWidget *tree = newFolderTreeControl(frame1, "tvViewer", i, 280);
        treeLayout->addWidget(tree);
        m_tvViewer[size_t(i)] = tree;
        connect(tree, &QTreeWidget::itemClicked, this, [this, i] { tvViewer_Click(i); });
        connect(tree, &QTreeWidget::itemDoubleClicked, this, [this, i] { tvViewer_DblClick(i); });
    }
    m_tvViewer[1]->hide();

    return frame1;
}

QWidget *frmList::buildTypeChoice()
{
    auto *frame4 = new QGroupBox(T::kTypeFrame, this);
    frame4->setObjectName(QStringLiteral("Frame4"));
    auto *typeLayout = new QHBoxLayout(frame4);
    for (int i = 0; i < 2; ++i) {
        auto *option = new QRadioButton(i == 0 ? T::kTypeCD : T::kTypeDVD, frame4);
        option->setObjectName(controlArrayName("optType", i));
        typeLayout->addWidget(option);
        m_optType[size_t(i)] = option;
    }
    typeLayout->addStretch();
    m_optType[0]->setChecked(true);
    for (int i = 0; i < 2; ++i)
        connect(m_optType[size_t(i)], &QRadioButton::toggled, this, [this, i](bool checked) {
            if (checked)
                optType_Click(i);
        });

    return frame4;
}

QWidget *frmList::buildPicture()
{
    auto *frame2 = new QGroupBox(T::kPictureFrame, this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    auto *pictureLayout = new QGridLayout(frame2);
    m_picViewer = new QLabel(frame2);
    m_picViewer->setObjectName(QStringLiteral("picViewer"));
    m_picViewer->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto *pictureArea = new QScrollArea(frame2);
    pictureArea->setWidget(m_picViewer);
    pictureArea->setWidgetResizable(true);
    pictureArea->setMinimumSize(520, 520);
    pictureArea->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    pictureLayout->addWidget(pictureArea, 0, 0, 1, 5);

    // Holds the last cropped picture; the picture box above shows the result.
    m_picCropAfter = new QLabel(frame2);
    m_picCropAfter->setObjectName(QStringLiteral("picCropAfter"));
    m_picCropAfter->hide();

    auto *sizeCaption = new QLabel(CoverTexts::kSizeLabel, frame2);
    sizeCaption->setObjectName(QStringLiteral("lblSizeCaption"));
    m_lblSize = new QLabel(frame2);
    m_lblSize->setObjectName(QStringLiteral("lblSize"));
    m_lblSize->setMinimumWidth(90);
    auto *resCaption = new QLabel(CoverTexts::kResolutionLabel, frame2);
    resCaption->setObjectName(QStringLiteral("lblResCaption"));
    m_lblRes = new QLabel(frame2);
    m_lblRes->setObjectName(QStringLiteral("lblRes"));
    m_lblRes->setMinimumWidth(90);
    m_cmdCrop = new QPushButton(T::kCropCaption, frame2);
    m_cmdCrop->setObjectName(QStringLiteral("cmdCrop"));
    m_cmdCrop->hide();
    connect(m_cmdCrop, &QPushButton::clicked, this, &frmList::cmdCrop_Click);
    pictureLayout->addWidget(sizeCaption, 1, 0);
    pictureLayout->addWidget(m_lblSize, 1, 1);
    pictureLayout->addWidget(resCaption, 1, 2);
    pictureLayout->addWidget(m_lblRes, 1, 3);
    pictureLayout->addWidget(m_cmdCrop, 1, 4, Qt::AlignRight);
    pictureLayout->setColumnStretch(3, 1);
    return frame2;
}

void frmList::Form_Load()
{
    m_loadProblems.clear();
    const ModJacketeer &settings = modJacketeer();
    fillTree(0, settings.batchCDPath);
    fillTree(1, settings.batchDVDPath);
    showProblems();
}

void frmList::fillTree(int index, const QString &root)
{
    QTreeWidget *tree = m_tvViewer[size_t(index)];
    tree->clear();
    // The walk yields once per folder; user input stays out so that the menu
    // that opened this window cannot start a second fill meanwhile.
    const ShelfTree shelf = buildShelfTree(ShelfType(index), root, [] {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return true;
    });
    if (shelf.nodes.empty())
        return;

    tree->setUpdatesEnabled(false);
    std::vector<QTreeWidgetItem *> items;
    items.reserve(shelf.nodes.size());
    for (const ShelfNode &node : shelf.nodes) {
        auto *item = node.parent < 0 ? new QTreeWidgetItem(tree)
                                     : new QTreeWidgetItem(items[size_t(node.parent)]);
        item->setText(0, node.text);
        item->setData(0, kKeyRole, node.key);
        item->setData(0, kImageRole, int(node.image));
        item->setIcon(0, nodeIcon(node.image));
        items.push_back(item);
    }
    // Every node was brought into view as it was added, which opens every
    // folder that has anything in it; the last node added stays in view.
    tree->expandAll();
    tree->setUpdatesEnabled(true);
    tree->scrollToItem(items.back());

    const QString type = index == 0 ? T::kTypeCD : T::kTypeDVD;
    if (shelf.rootMissing)
        m_loadProblems.append(T::kRootMissing.arg(type, root));
    if (!shelf.unreadableFolders.isEmpty())
        m_loadProblems.append(T::kFoldersUnreadable.arg(shelf.unreadableFolders.size())
                                  .arg(shelf.unreadableFolders.first()));
}

void frmList::optType_Click(int index)
{
    m_tvViewer[size_t(index)]->show();
    m_tvViewer[size_t(1 - index)]->hide();
    m_cmdCrop->setVisible(index == 1);
}

void frmList::tvViewer_Click(int index)
{
    showSelectedPicture(index);
}

void frmList::tvViewer_DblClick(int index)
{
    showSelectedPicture(index);
}

void frmList::showSelectedPicture(int index)
{
    QTreeWidget *tree = m_tvViewer[size_t(index)];
    if (tree->topLevelItemCount() == 0)
        return;
    const QTreeWidgetItem *node = tree->currentItem();
    if (!node || !node->isSelected())
        return;
    const QString path = node->data(0, kKeyRole).toString();
    // A folder named like a picture is still a folder.
    if (node->data(0, kImageRole).toInt() != int(NodeImage::Disc) || !isShelfPicture(path))
        return;

    FileOps::makeNormal(path);
    if (!loadPicture(path)) {
        clearPicture();
        showProblems(T::kPictureUnreadable.arg(path));
        return;
    }
    m_currentPicturePath = path;
    m_lblSize->setText(fileSizeText(path));
    m_lblRes->setText(resolutionText(m_picture.size()));
    showProblems();
}

bool frmList::loadPicture(const QString &path)
{
    QImage picture = CoverFile::readPicture(path);
    if (picture.isNull())
        return false;
    m_picture = std::move(picture);
    m_picViewer->setPixmap(QPixmap::fromImage(m_picture));
    return true;
}

void frmList::clearPicture()
{
    m_picture = QImage();
    m_picViewer->clear();
    m_currentPicturePath.clear();
    m_lblSize->clear();
    m_lblRes->clear();
}

void frmList::showProblems(const QString &latest)
{
    // What went wrong while the trees were filled stays in view below.
    QStringList lines = m_loadProblems;
    if (!latest.isEmpty())
        lines.prepend(latest);
    m_lblStatus->setText(lines.join(QLatin1Char('\n')));
}

void frmList::cmdCrop_Click()
{
    if (m_picture.isNull() || m_currentPicturePath.isEmpty())
        return;
    m_picCropAfter->setFixedSize(kCoverCropRect.size());
    const CropResult result = cropCoverArt(m_picture, m_currentPicturePath, messageBox());
    if (!result.cropped.isNull())
        m_picCropAfter->setPixmap(QPixmap::fromImage(result.cropped));
    if (result.outcome != CropOutcome::Cropped) {
        messageBox().show(ViewerTexts::kCropFailed, CoverTexts::kCropErrorTitle, MsgButtons::OkOnly,
                          MsgIcon::Information);
        return;
    }
    // The size and resolution shown stay those of the picture as selected,
    // until it is selected again.
    if (!loadPicture(m_currentPicturePath))
        showProblems(T::kPictureUnreadable.arg(m_currentPicturePath));
}
