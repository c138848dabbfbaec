#include "cover/frmcompare.h"

#include "base/appfolder.h"
#include "base/messagebox.h"
#include "base/modjacketeer.h"
#include "cover/coverfile.h"
#include "cover/covertexts.h"
#include "cover/picturefacts.h"
#include "widgets/controlarrayname.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace T = CoverTexts;

namespace
{

// Cover art is at most this size on the retailers' sites; larger pictures scroll.
constexpr int kShownSide = 500;

frmCompare::ExecFunction &execFunction()
{
    static frmCompare::ExecFunction exec;
    return exec;
}

} // namespace

frmCompare::frmCompare(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCompare"));
    setWindowTitle(T::kCompareCaption);
    m_replaceMode = modJacketeer().compareReplaceMode;

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(buildFrame(0, T::kPictureOne));
    layout->addWidget(buildFrame(1, T::kPictureTwo));

    for (int j = 0; j < 2; ++j)
        connect(cmdQuickSave[j], &QPushButton::clicked, this, [this, j] { cmdQuickSave_Click(j); });

    Form_Load();
}

QGroupBox *frmCompare::buildFrame(int index, const QString &caption)
{
    const auto j = static_cast<std::size_t>(index);
    auto *frame = new QGroupBox(caption, this);
    frame->setObjectName(QStringLiteral("Frame%1").arg(index + 1));

    QScrollArea *container = m_Picture[j] = new QScrollArea(frame);
    container->setObjectName(QStringLiteral("Picture%1").arg(index + 1));
    container->setAlignment(Qt::AlignCenter);
    container->setWidgetResizable(false);
    picPic[j] = new QLabel;
    picPic[j]->setObjectName(controlArrayName("picPic", index));
    picPic[j]->setAlignment(Qt::AlignCenter);
    container->setWidget(picPic[j]);

    auto *resLabel = new QLabel(T::kResolutionLabel, frame);
    auto *sizeLabel = new QLabel(T::kSizeLabel, frame);
    auto *recLabel = new QLabel(T::kRecommendedLabel, frame);
    lblRes[j] = new QLabel(frame);
    lblSize[j] = new QLabel(frame);
    lblRec[j] = new QLabel(frame);
    lblRes[j]->setObjectName(controlArrayName("lblRes", index));
    lblSize[j]->setObjectName(controlArrayName("lblSize", index));
    lblRec[j]->setObjectName(controlArrayName("lblRec", index));
    const char *names[2][3] = {{"Label1", "Label2", "Label5"}, {"Label3", "Label4", "Label6"}};
    resLabel->setObjectName(QLatin1String(names[index][0]));
    sizeLabel->setObjectName(QLatin1String(names[index][1]));
    recLabel->setObjectName(QLatin1String(names[index][2]));

    cmdQuickSave[j] = new QPushButton(T::kQuickSave, frame);
    cmdQuickSave[j]->setObjectName(controlArrayName("cmdQuickSave", index));
    cmdQuickSave[j]->setAutoDefault(false);

    auto *facts = new QGridLayout;
    facts->addWidget(resLabel, 0, 0);
    facts->addWidget(lblRes[j], 0, 1);
    facts->addWidget(sizeLabel, 1, 0);
    facts->addWidget(lblSize[j], 1, 1);
    facts->addWidget(recLabel, 2, 0);
    facts->addWidget(lblRec[j], 2, 1);
    facts->setColumnStretch(1, 1);

    auto *layout = new QVBoxLayout(frame);
    layout->addWidget(container, 1);
    layout->addLayout(facts);
    layout->addWidget(cmdQuickSave[j], 0, Qt::AlignHCenter);
    return frame;
}

void frmCompare::Form_Load()
{
    const std::array<QString, 2> files = {appFile(T::kCompare1File), appFile(T::kCompare2File)};
    const std::array<PictureFacts, 2> facts = comparePictures(files[0], files[1]);
    // Both boxes get the same size so the two pictures stand side by side at their own scale.
    QSize shown(200, 200);
    for (const PictureFacts &f : facts)
        shown = shown.expandedTo(f.size);
    shown = shown.boundedTo(QSize(kShownSide, kShownSide));
    for (std::size_t j = 0; j < 2; ++j) {
        const QImage picture = CoverFile::readPicture(files[j]);
        if (picture.isNull()) {
            picPic[j]->setPixmap(QPixmap());
            picPic[j]->resize(0, 0);
        } else {
            picPic[j]->setPixmap(QPixmap::fromImage(picture));
            // The picture box takes the picture's own size, as the resolution says.
            picPic[j]->resize(picture.size());
        }
        const int frame = 2 * m_Picture[j]->frameWidth();
        m_Picture[j]->setMinimumSize(shown + QSize(frame, frame));
        lblRes[j]->setText(facts[j].resolution);
        lblSize[j]->setText(facts[j].sizeText);
        lblRec[j]->setText(facts[j].recommended ? T::kYes : T::kNo);
    }
    adjustSize();
}

void frmCompare::cmdQuickSave_Click(int index)
{
    ModJacketeer &mod = modJacketeer();
    if (m_replaceMode) {
        mod.compareKeepExisting = index == 0;
        accept();
        return;
    }
    const QString folder = m_targetFolder ? m_targetFolder() : QString();
    // On a failure the window stays open, so the user can pick another folder
    // or the other picture.
    if (saveComparedPicture(index, m_hits[static_cast<std::size_t>(index)], mod.qsName, folder,
                            appFolder(), messageBox())
            .saved())
        accept();
}

void frmCompare::closeAll()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->windowTitle() == T::kCompareCaption)
            w->close();
    }
}

frmCompare *frmCompare::openTwoHit(const std::array<ComparedHit, 2> &hits,
                                   std::function<QString()> targetFolder, QWidget *parent)
{
    modJacketeer().compareReplaceMode = false;
    auto *window = new frmCompare(parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setComparedHits(hits);
    window->setTargetFolder(std::move(targetFolder));
    window->setModal(false);
    window->show();
    return window;
}

bool frmCompare::compareForReplace(QWidget *parent)
{
    ModJacketeer &mod = modJacketeer();
    mod.compareReplaceMode = true;
    mod.compareKeepExisting = true;
    {
        frmCompare window(parent);
        window.setModal(true);
        if (const ExecFunction &exec = execFunction())
            exec(window);
        else
            window.exec();
    }
    return mod.compareKeepExisting;
}

CompareReplaceHook frmCompare::replaceHook(QWidget *parent)
{
    QPointer<QWidget> owner(parent);
    return [owner](const QString &, const QString &) { return compareForReplace(owner.data()); };
}

void frmCompare::setExecFunction(ExecFunction exec)
{
    execFunction() = std::move(exec);
}
