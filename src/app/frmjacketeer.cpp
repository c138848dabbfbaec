#include "app/frmjacketeer.h"

#include "app/apptexts.h"
#include "base/appfolder.h"
#include "base/messagebox.h"
#include "widgets/controlarrayname.h"
#include "widgets/dirlistbox.h"
#include "widgets/drivelistbox.h"
#include "widgets/menutexts.h"
#include "base/modjacketeer.h"
#include "base/pagefetcher.h"
#include "base/settings.h"
#include "app/websearchview.h"
#include "batch/frmbatch.h"
#include "search/searchtexts.h"
#include "search/quicksave.h"
#include "app/quicksaveactions.h"
#include "settings/frmprop.h"
#include "update/updatecheck.h"
#include "viewer/frmlist.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace AppTexts;

namespace
{

constexpr int kLabelWidth = 78;

QLabel *criteriaLabel(const char *text, const char *name, QWidget *parent)
{
    auto *label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QLatin1String(name));
    label->setFixedWidth(kLabelWidth);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// One row of the criteria: its label, and a frame of the given name whose
// layout (without margins) the caller fills.
template <typename Layout>
Layout *criteriaRow(QGridLayout *criteria, int &row, QLabel *label, QFrame *&frame,
                    const char *frameName)
{
    frame = new QFrame(label->parentWidget());
    frame->setObjectName(QLatin1String(frameName));
    auto *layout = new Layout(frame);
    layout->setContentsMargins(0, 0, 0, 0);
    criteria->addWidget(label, row, 0);
    criteria->addWidget(frame, row++, 1);
    return layout;
}

// The window's small jacket-and-disc emblem.
QPixmap emblem(int size)
{
    QPixmap pix(size, size);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2f, 0x55, 0x8f));
    p.drawRoundedRect(QRectF(1, 1, size * 0.72, size - 2), 3, 3);
    p.setBrush(QColor(0xd9, 0xd9, 0xe0));
    const QRectF disc(size * 0.34, size * 0.12, size * 0.64, size * 0.64);
    p.drawEllipse(disc);
    p.setBrush(QColor(0x2f, 0x55, 0x8f));
    p.drawEllipse(disc.center(), size * 0.07, size * 0.07);
    return pix;
}

} // namespace

frmJacketeer::frmJacketeer(Settings *settings, QWidget *parent)
    : QMainWindow(parent), m_settings(settings)
{
    if (!m_settings) {
        m_ownSettings = std::make_unique<Settings>();
        m_settings = m_ownSettings.get();
    }
    setObjectName(QStringLiteral("frmJacketeer"));
    setWindowTitle(QString::fromLatin1(kMainCaption));
    setAttribute(Qt::WA_QuitOnClose, true);
    buildMenus();
    buildControls();
    Form_Load();
}

frmJacketeer::~frmJacketeer() = default;

void frmJacketeer::buildMenus()
{
    mnuFile = menuBar()->addMenu(QString::fromLatin1(MenuTexts::kFile));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFileUpdate = mnuFile->addAction(QString::fromLatin1(kMenuUpdate));
    mnuFileUpdate->setObjectName(QStringLiteral("mnuFileUpdate"));
    mnuFileView = mnuFile->addAction(QString::fromLatin1(kMenuView));
    mnuFileView->setObjectName(QStringLiteral("mnuFileView"));
    mnuFileBatch = mnuFile->addAction(QString::fromLatin1(kMenuBatch));
    mnuFileBatch->setObjectName(QStringLiteral("mnuFileBatch"));
    mnuFileDash1 = mnuFile->addSeparator();
    mnuFileDash1->setObjectName(QStringLiteral("mnuFileDash1"));
    mnuFileExit = mnuFile->addAction(QString::fromLatin1(MenuTexts::kExit));
    mnuFileExit->setObjectName(QStringLiteral("mnuFileExit"));
    mnuOptions = menuBar()->addMenu(QString::fromLatin1(MenuTexts::kOptions));
    mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
    mnuOptionsProperties = mnuOptions->addAction(QString::fromLatin1(MenuTexts::kProperties));
    mnuOptionsProperties->setObjectName(QStringLiteral("mnuOptionsProperties"));

    connect(mnuFileUpdate, &QAction::triggered, this, &frmJacketeer::mnuFileUpdate_Click);
    connect(mnuFileView, &QAction::triggered, this, &frmJacketeer::mnuFileView_Click);
    connect(mnuFileBatch, &QAction::triggered, this, &frmJacketeer::mnuFileBatch_Click);
    connect(mnuFileExit, &QAction::triggered, this, &frmJacketeer::mnuFileExit_Click);
    connect(mnuOptionsProperties, &QAction::triggered, this,
            &frmJacketeer::mnuOptionsProperties_Click);
    // The batch window's own Properties entry opens the same dialog on its Batch page.
    frmBatch::setPropertiesOpener([](QWidget *) { frmProp::showOnPage(frmProp::BatchPage); });
}

void frmJacketeer::buildControls()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(central);
    auto *mainLayout = new QHBoxLayout(central);
    mainLayout->addWidget(buildCriteria(central));
    mainLayout->addWidget(buildResults(central), 1);

    // Hidden helpers: the page fetcher and the picture box of the empty-picture test.
    WebBrowser1 = new PageFetcher(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    picTest = new QLabel(this);
    picTest->setObjectName(QStringLiteral("picTest"));
    picTest->hide();

    connect(txtSearch, &QLineEdit::returnPressed, this, &frmJacketeer::cmdSearch_Click);
    connect(cmdSearch, &QPushButton::clicked, this, &frmJacketeer::cmdSearch_Click);
    connect(cmdReset, &QPushButton::clicked, this, &frmJacketeer::cmdReset_Click);
    connect(cmdBack, &QPushButton::clicked, this, &frmJacketeer::cmdBack_Click);
    connect(cmdCompare, &QPushButton::clicked, this, &frmJacketeer::cmdCompare_Click);
    websearch->setBeforeNavigate(
        [this](const QString &target, bool &cancel) { websearch_BeforeNavigate2(target, cancel); });
    connect(drSearch, &DriveListBox::driveChanged, this, &frmJacketeer::drSearch_Change);
    connect(dirSearch, &DirListBox::folderClicked, this, &frmJacketeer::dirSearch_Click);
    connect(dirSearch, &DirListBox::pathChanged, this,
            [this](const QString &path) { m_driveFolders[drSearch->drive()] = path; });

    resize(1180, 800);
}

// The search criteria, top to bottom: search text, drive and folder lists,
// type, sites, genres.
QWidget *frmJacketeer::buildCriteria(QWidget *parent)
{
    frmSearch = new QGroupBox(QString::fromLatin1(kSearchCriteria), parent);
    frmSearch->setObjectName(QStringLiteral("frmSearch"));
    frmSearch->setFixedWidth(400);
    auto *criteria = new QGridLayout(frmSearch);
    criteria->setColumnMinimumWidth(0, kLabelWidth);
    int row = 0;

    Picture1 = new QLabel(frmSearch);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(emblem(40));
    Picture2 = new QLabel(QStringLiteral("<b>Jacketeer</b><br><small>Cover art for your CDs and "
                                         "DVDs</small>"),
                          frmSearch);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    auto *header = new QHBoxLayout;
    header->addWidget(Picture1);
    header->addWidget(Picture2, 1);
    criteria->addLayout(header, row++, 0, 1, 2);

    criteria->addWidget(buildFolderChoice(frmSearch), row++, 0, 1, 2);
    addChoices(criteria, row);

    Label2 = new QLabel(QString::fromLatin1(kGenreHint), frmSearch);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    criteria->addWidget(Label2, row++, 1);
    criteria->setRowStretch(row++, 1);

    cmdSearch = new QPushButton(QString::fromLatin1(kSearch), frmSearch);
    cmdSearch->setObjectName(QStringLiteral("cmdSearch"));
    cmdReset = new QPushButton(QString::fromLatin1(kReset), frmSearch);
    cmdReset->setObjectName(QStringLiteral("cmdReset"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdSearch);
    buttons->addWidget(cmdReset);
    criteria->addLayout(buttons, row++, 0, 1, 2);
    return frmSearch;
}

// The search text and the Quick Save folder.
QWidget *frmJacketeer::buildFolderChoice(QWidget *parent)
{
    Frame3 = new QFrame(parent);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    auto *f3 = new QGridLayout(Frame3);
    f3->setContentsMargins(0, 0, 0, 0);
    f3->setColumnMinimumWidth(0, kLabelWidth);
    lblSearch = criteriaLabel(kSearchLabel, "lblSearch", Frame3);
    lblSearch->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    txtSearch = new QLineEdit(Frame3);
    txtSearch->setObjectName(QStringLiteral("txtSearch"));
    drSearch = new DriveListBox(Frame3);
    drSearch->setObjectName(QStringLiteral("drSearch"));
    Label4 = criteriaLabel(kQuickSaveLabel, "Label4", Frame3);
    dirSearch = new DirListBox(Frame3);
    dirSearch->setObjectName(QStringLiteral("dirSearch"));
    dirSearch->setMinimumHeight(170);
    f3->addWidget(lblSearch, 0, 0);
    f3->addWidget(txtSearch, 0, 1);
    f3->addWidget(drSearch, 1, 1);
    f3->addWidget(Label4, 2, 0);
    f3->addWidget(dirSearch, 2, 1);
    return Frame3;
}

// The type, the sites and the genres, each a row of the criteria.
void frmJacketeer::addChoices(QGridLayout *criteria, int &row)
{
    lblOpt = criteriaLabel(kTypeLabel, "lblOpt", frmSearch);
    auto *optLayout = criteriaRow<QHBoxLayout>(criteria, row, lblOpt, fraOpt, "fraOpt");
    const char *optCaptions[2] = {kMusic, kDvd};
    for (int i = 0; i < 2; ++i) {
        optSearch[i] = new QRadioButton(QString::fromLatin1(optCaptions[i]), fraOpt);
        optSearch[i]->setObjectName(controlArrayName("optSearch", i));
        optLayout->addWidget(optSearch[i]);
        // The handlers follow the value, however it changes (mouse, keys, code
        // or an assistive tool's toggle); of the pair only the one going on acts.
        connect(optSearch[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optSearch_Click(i);
        });
    }
    optLayout->addStretch(1);

    Label3 = criteriaLabel(kSitesLabel, "Label3", frmSearch);
    auto *siteLayout = criteriaRow<QHBoxLayout>(criteria, row, Label3, Frame1, "Frame1");
    const char *siteCaptions[3] = {kVantory, kBrinsell, kAmazon};
    for (int i = 0; i < 3; ++i) {
        chkSite[i] = new QCheckBox(QString::fromLatin1(siteCaptions[i]), Frame1);
        chkSite[i]->setObjectName(controlArrayName("chkSite", i));
        siteLayout->addWidget(chkSite[i]);
        connect(chkSite[i], &QCheckBox::toggled, this, [this, i] { chkSite_Click(i); });
    }
    siteLayout->addStretch(1);

    lblGenre = criteriaLabel(kGenreLabel, "lblGenre", frmSearch);
    auto *genreLayout = criteriaRow<QGridLayout>(criteria, row, lblGenre, fraMusicG, "fraMusicG");
    genreLayout->setVerticalSpacing(2);
    for (int i = 0; i < kGenreCount; ++i) {
        chkMusicG[i] = new QCheckBox(genreCaption(i), fraMusicG);
        chkMusicG[i]->setObjectName(controlArrayName("chkMusicG", i));
        genreLayout->addWidget(chkMusicG[i], i / 2, i % 2);
    }
}

QWidget *frmJacketeer::buildResults(QWidget *parent)
{
    Frame2 = new QGroupBox(QString::fromLatin1(kResults), parent);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    auto *results = new QVBoxLayout(Frame2);
    websearch = new WebSearchView(Frame2);
    websearch->setObjectName(QStringLiteral("websearch"));
    websearch->setMinimumSize(480, 400);
    results->addWidget(websearch, 1);
    Label1 = new QLabel(QString::fromLatin1(kSaveHint), Frame2);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    results->addWidget(Label1);
    auto *resultButtons = new QHBoxLayout;
    cmdBack = new QPushButton(QString::fromLatin1(kBack), Frame2);
    cmdBack->setObjectName(QStringLiteral("cmdBack"));
    cmdCompare = new QPushButton(QString::fromLatin1(kCompare), Frame2);
    cmdCompare->setObjectName(QStringLiteral("cmdCompare"));
    lblResults = new QLabel(Frame2);
    lblResults->setObjectName(QStringLiteral("lblResults"));
    resultButtons->addWidget(cmdBack);
    resultButtons->addWidget(cmdCompare);
    resultButtons->addWidget(lblResults, 1);
    results->addLayout(resultButtons);
    return Frame2;
}

void frmJacketeer::Form_Load()
{
    const Settings &s = *m_settings;
    modJacketeer().read(s);
    for (int i = 0; i < kGenreCount; ++i)
        chkMusicG[i]->setChecked(s.isOn(Keys::genre(i)));
    setSearchType(s.isOn(Keys::SearchTypeCD), s.isOn(Keys::SearchTypeDVD));
    chkSite[0]->setChecked(s.isOn(Keys::Vantory));
    chkSite[1]->setChecked(s.isOn(Keys::Brinsell));
    chkSite[2]->setChecked(s.isOn(Keys::Amazon));

    // The lists start on the home folder's drive; a stored drive or folder
    // that is gone leaves them there, silently.
    const QString home = QDir::homePath();
    drSearch->setDrive(DriveListBox::driveOf(home, DriveListBox::mountedDrives()));
    m_driveFolders[drSearch->drive()] = home;
    dirSearch->setPath(home);
    // Choosing the drive moves the folder list to it (drSearch_Change).
    drSearch->setDrive(s.stored(Keys::SearchDrive).value_or(drSearch->drive()));
    dirSearch->setPath(s.stored(Keys::SearchPath).value_or(dirSearch->path()));

    // Setting the type and the Vantory box above ran their handlers; a first
    // start sets neither, and the genres must still be hidden.
    applyGenreVisibility();

    websearch->Navigate2(QStringLiteral("about:blank"));
}

void frmJacketeer::setSearchType(bool music, bool dvd)
{
    // "Neither" is a valid stored state, which exclusive buttons cannot show.
    for (QRadioButton *b : optSearch)
        b->setAutoExclusive(false);
    optSearch[0]->setChecked(music);
    optSearch[1]->setChecked(dvd);
    for (QRadioButton *b : optSearch)
        b->setAutoExclusive(true);
}

void frmJacketeer::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    Settings &s = *m_settings;
    for (int i = 0; i < kGenreCount; ++i)
        s.setOn(Keys::genre(i), chkMusicG[i]->isChecked());
    s.setOn(Keys::SearchTypeCD, optSearch[0]->isChecked());
    s.setOn(Keys::SearchTypeDVD, optSearch[1]->isChecked());
    s.setOn(Keys::Vantory, chkSite[0]->isChecked());
    s.setOn(Keys::Brinsell, chkSite[1]->isChecked());
    s.setOn(Keys::Amazon, chkSite[2]->isChecked());
    s.setText(Keys::SearchDrive, drSearch->drive());
    s.setText(Keys::SearchPath, dirSearch->path());
    s.sync();

    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible())
            w->close();
    }
}

void frmJacketeer::closeEvent(QCloseEvent *event)
{
    // A search still loading ends here, with nothing more shown.
    m_driver.abandon();
    cmdSearch->setText(QString(SearchTexts::kCaptionSearchIdle));
    Form_Unload();
    event->accept();
}

bool frmJacketeer::genresVisible() const
{
    return chkSite[0]->isChecked() && optSearch[0]->isChecked();
}

void frmJacketeer::applyGenreVisibility()
{
    const bool visible = genresVisible();
    fraMusicG->setVisible(visible);
    lblGenre->setVisible(visible);
}

void frmJacketeer::chkSite_Click(int index)
{
    if (index == 0)
        applyGenreVisibility();
}

void frmJacketeer::optSearch_Click(int)
{
    applyGenreVisibility();
}

void frmJacketeer::drSearch_Change()
{
    const QString drive = drSearch->drive();
    const QString folder = m_driveFolders.value(drive, drive);
    // A drive that cannot be read leaves the folder list where it was.
    dirSearch->setPath(folder);
}

void frmJacketeer::dirSearch_Click()
{
    const QString path = dirSearch->highlightedPath();
    if (path == QLatin1String("/"))
        return;
    txtSearch->setText(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
}

SearchCriteria frmJacketeer::searchCriteria() const
{
    SearchCriteria c;
    c.text = txtSearch->text();
    c.type = optSearch[0]->isChecked() ? SearchType::Music : SearchType::DVD;
    c.vantory = chkSite[0]->isChecked();
    c.brinsell = chkSite[1]->isChecked();
    c.amazon = chkSite[2]->isChecked();
    for (int i = 0; i < kGenreCount; ++i)
        c.genres[std::size_t(i)] = chkMusicG[std::size_t(i)]->isChecked();
    return c;
}

void frmJacketeer::cmdSearch_Click()
{
    using namespace SearchTexts;
    if (m_driver.running()) {
        cmdSearch->setText(QString(kCaptionSearchIdle));
        m_driver.cancel();
        return;
    }
    cmdSearch->setText(QString(kCaptionCancel));
    SearchIo io;
    io.pages = m_pageSource ? m_pageSource : WebBrowser1;
    io.status = [this](const QString &text) { lblResults->setText(text); };
    io.show = [this](const QString &path) { websearch->Navigate2(path); };
    io.finished = [this](const SearchOutcome &outcome) {
        cmdSearch->setText(QString(kCaptionSearchIdle));
        if (outcome.pageWritten)
            return;
        // Asked once the page callback that ended the search has returned.
        const QString text =
            kPageErrorText + appFile(QString(kResultsFile)) + QStringLiteral(": ") + outcome.error;
        QMetaObject::invokeMethod(
            this,
            [text] {
                messageBox().show(text, QString(kPageErrorTitle), MsgButtons::OkOnly,
                                  MsgIcon::Exclamation);
            },
            Qt::QueuedConnection);
    };
    m_driver.start(searchCriteria(), m_settings->sites(), io, appFile(QString(kResultsFile)),
                   m_settings->number(Keys::SearchConcurrency));
    // The results view's engine takes a while to start: it starts now, while
    // the pages are on their way, rather than once they are all in.
    websearch->warmUp();
}

void frmJacketeer::cmdReset_Click()
{
    txtSearch->clear();
    setSearchType(true, false);
}

void frmJacketeer::cmdBack_Click()
{
    websearch->GoBack();
}

void frmJacketeer::cmdCompare_Click()
{
    compareTickedHits(this, websearch, m_search.results, lblResults,
                      [this] { return dirSearch->highlightedPath(); });
}

void frmJacketeer::websearch_BeforeNavigate2(const QString &target, bool &cancel)
{
    if (!isQuickSaveClick(target))
        return;
    cancel = true;
    // The save waits on downloads and questions; the browser must get its
    // answer first, so it runs once the navigation request has returned.
    QMetaObject::invokeMethod(
        this,
        [this, target] {
            quickSaveLink(this, target, m_search.results, dirSearch->highlightedPath());
        },
        Qt::QueuedConnection);
}

void frmJacketeer::mnuFileUpdate_Click()
{
    runAutoUpdate();
}

void frmJacketeer::mnuFileView_Click()
{
    withStatus(
        kPopulatingViewer, [this] { openSingle(m_viewer, m_viewerOpening); }, false);
}

void frmJacketeer::mnuFileBatch_Click()
{
    withStatus(
        kPopulatingBatch, [this] { openSingle(m_batch, m_batchOpening); }, true);
}

template <typename Window> void frmJacketeer::openSingle(QPointer<Window> &slot, bool &opening)
{
    // One window of each kind: a second click brings the open one forward, and
    // a click while the first is still filling its trees does nothing.
    if (opening)
        return;
    if (slot) {
        if (slot->isVisible()) {
            slot->raise();
            slot->activateWindow();
        }
        return;
    }
    // The window fills its folder trees while it is constructed, with the
    // event loop running, so the main window may have been closed meanwhile.
    opening = true;
    auto *window = new Window;
    opening = false;
    slot = window;
    if (m_unloaded) {
        delete window;
        return;
    }
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}

void frmJacketeer::mnuOptionsProperties_Click()
{
    frmProp::showOnPage();
}

void frmJacketeer::mnuFileExit_Click()
{
    close();
}

template <typename Open>
void frmJacketeer::withStatus(const char *text, Open open, bool repaintAfter)
{
    const QString previous = lblResults->text();
    lblResults->setText(QString::fromLatin1(text));
    lblResults->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    open();
    lblResults->setText(previous);
    if (repaintAfter)
        lblResults->repaint();
}
