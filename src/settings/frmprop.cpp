#include "settings/frmprop.h"

#include "base/messagebox.h"
#include "base/modjacketeer.h"
#include "base/settings.h"
#include "cover/covertexts.h"
#include "settings/frmbrowse.h"
#include "settings/propsettings.h"
#include "settings/settingstexts.h"
#include "widgets/controlarrayname.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>

using namespace SettingsTexts;

namespace
{

QPointer<frmProp> g_instance;

frmProp::BrowseRunner &browseRunner()
{
    static frmProp::BrowseRunner runner;
    return runner;
}

void runRealChooser(QWidget *parent)
{
    frmBrowse chooser(parent);
    chooser.exec();
}

QLabel *label(const QString &name, const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setTextFormat(Qt::PlainText);
    return l;
}

QCheckBox *checkBox(const QString &name, const QString &text, QWidget *parent)
{
    auto *c = new QCheckBox(text, parent);
    c->setObjectName(name);
    return c;
}

QLineEdit *textBox(const QString &name, const QString &text, QWidget *parent)
{
    auto *t = new QLineEdit(text, parent);
    t->setObjectName(name);
    return t;
}

QPushButton *button(const QString &name, const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

frmProp *frmProp::showOnPage(int page)
{
    frmProp *dialog = g_instance;
    if (!dialog) {
        dialog = new frmProp;
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        g_instance = dialog;
    }
    if (page == QuickSavePage || page == BatchPage)
        dialog->m_tsProp->setCurrentIndex(page);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

frmProp *frmProp::instance()
{
    return g_instance;
}

void frmProp::setBrowseRunner(BrowseRunner runner)
{
    browseRunner() = std::move(runner);
}

frmProp::frmProp(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmProp"));
    setWindowTitle(kPropCaption);
    setModal(false);

    m_tsProp = new QTabBar(this);
    m_tsProp->setObjectName(QStringLiteral("tsProp"));
    m_tsProp->setDrawBase(true);
    m_tsProp->addTab(kTabQuickSave);
    m_tsProp->setTabData(0, kTabQuickSaveKey);
    m_tsProp->setTabToolTip(0, kTabQuickSaveTip);
    m_tsProp->addTab(kTabBatch);
    m_tsProp->setTabData(1, kTabBatchKey);
    m_tsProp->setTabToolTip(1, kTabBatchTip);

    // Both frames share one grid cell, so the tab strip only decides which one shows.
    auto *pages = new QWidget(this);
    auto *pagesLayout = new QGridLayout(pages);
    pagesLayout->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 2; ++i) {
        auto *frame = new QFrame(pages);
        frame->setObjectName(controlArrayName("fraProp", i));
        frame->setFrameShape(QFrame::StyledPanel);
        // The hidden page still counts for the size, so the dialog keeps its
        // size when the tab changes.
        QSizePolicy policy = frame->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        frame->setSizePolicy(policy);
        pagesLayout->addWidget(frame, 0, 0);
        m_fraProp[static_cast<std::size_t>(i)] = frame;
    }
    buildQuickSavePage(m_fraProp[0]);
    buildBatchPage(m_fraProp[1]);

    auto *ok = button(QStringLiteral("Command1"), kOk, this);
    m_cmdApply = button(QStringLiteral("cmdApply"), kApply, this);
    auto *cancel = button(QStringLiteral("cmdCancel"), kCancel, this);
    m_cmdApply->setEnabled(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(m_cmdApply);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->addWidget(m_tsProp);
    layout->addWidget(pages, 1);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    connect(m_tsProp, &QTabBar::currentChanged, this, [this] { tsProp_Click(); });
    connect(m_txtQSName, &QLineEdit::textChanged, this, [this] { txtQSName_Change(); });
    connect(m_txtCDCoverArt, &QLineEdit::textChanged, this, [this] { txtCDCoverArt_Change(); });
    connect(m_txtDVDCoverArt, &QLineEdit::textChanged, this, [this] { txtDVDCoverArt_Change(); });
    connect(m_txtDVDName, &QLineEdit::textChanged, this, [this] { txtDVDName_Change(); });
    for (int i = 0; i < kGenreCount; ++i)
        connect(m_chkMusicG[static_cast<std::size_t>(i)], &QCheckBox::toggled, this,
                [this, i] { chkMusicG_Click(i); });
    connect(m_ChkBatchReplace, &QCheckBox::toggled, this, [this] { ChkBatchReplace_Click(); });
    connect(m_chkReplaceLarger, &QCheckBox::toggled, this, [this] { chkReplaceLarger_Click(); });
    connect(m_chkFolderNames, &QCheckBox::toggled, this, [this] { chkFolderNames_Click(); });
    connect(m_spnRequestInterval, &QSpinBox::valueChanged, this,
            [this] { spnRequestInterval_Change(); });
    connect(m_cmdApply, &QPushButton::clicked, this, [this] { cmdApply_Click(); });
    connect(ok, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(cancel, &QPushButton::clicked, this, [this] { CmdCancel_Click(); });
    m_txtQSName->installEventFilter(this);

    tsProp_Click();
    Form_Load();
}

frmProp::~frmProp() = default;

void frmProp::buildQuickSavePage(QFrame *page)
{
    m_txtQSName = textBox(QStringLiteral("txtQSName"), QString(), page);
    m_lblName = label(QStringLiteral("lblName"), QString(), page);

    auto *help = label(QStringLiteral("Label3"), kHelp, page);
    help->setWordWrap(true);
    // The caption is one text whose runs of blanks break it into three lines
    // only when the label is as wide as its longest sentence.
    const QFontMetrics fm(help->font());
    int width = 0;
    for (const QString &line : {kHelpLine1, kHelpLine2, kHelpLine3})
        width = std::max(width, fm.horizontalAdvance(line));
    help->setFixedWidth(width + fm.averageCharWidth());

    auto *name = new QHBoxLayout;
    name->addWidget(label(QStringLiteral("Label1"), kFileName, page));
    name->addWidget(m_txtQSName, 1);
    name->addWidget(label(QStringLiteral("Label2"), QString(CoverTexts::kJpg), page));

    auto *result = new QHBoxLayout;
    result->addWidget(label(QStringLiteral("Label4"), kResultFileName, page));
    result->addWidget(m_lblName, 1);

    auto *layout = new QVBoxLayout(page);
    layout->addLayout(name);
    layout->addSpacing(6);
    layout->addWidget(help);
    layout->addSpacing(6);
    layout->addWidget(label(QStringLiteral("Label5"), kExampleArtist, page));
    layout->addWidget(label(QStringLiteral("Label6"), kExampleAlbum, page));
    layout->addWidget(label(QStringLiteral("Label7"), kExampleFolder, page));
    layout->addSpacing(6);
    layout->addLayout(result);
    layout->addStretch(1);
}

void frmProp::buildBatchPage(QFrame *page)
{
    auto *directory = new QGroupBox(kDirectoryFrame, page);
    directory->setObjectName(QStringLiteral("Frame1"));
    m_txtCDCoverArt = textBox(QStringLiteral("txtCDCoverArt"), kNone, directory);
    m_txtDVDCoverArt = textBox(QStringLiteral("txtDVDCoverArt"), kNone, directory);
    m_txtDVDName = textBox(QStringLiteral("txtDVDName"), QStringLiteral("1"), directory);
    m_txtDVDName->setMaximumWidth(
        m_txtDVDName->fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
    auto *cdBrowse = button(QStringLiteral("cmdCDBrowse"), kBrowse, directory);
    auto *dvdBrowse = button(QStringLiteral("cmdDVDBrowse"), kBrowse, directory);
    connect(cdBrowse, &QPushButton::clicked, this, [this] { cmdCDBrowse_Click(); });
    connect(dvdBrowse, &QPushButton::clicked, this, [this] { cmdDVDBrowse_Click(); });
    auto *dirLayout = new QGridLayout(directory);
    dirLayout->addWidget(label(QStringLiteral("Label15"), kCDCoverArt, directory), 0, 0);
    dirLayout->addWidget(m_txtCDCoverArt, 0, 1);
    dirLayout->addWidget(cdBrowse, 0, 2);
    dirLayout->addWidget(label(QStringLiteral("Label14"), kDVDCoverArt, directory), 1, 0);
    dirLayout->addWidget(m_txtDVDCoverArt, 1, 1);
    dirLayout->addWidget(dvdBrowse, 1, 2);
    auto *depth = new QHBoxLayout;
    depth->addWidget(label(QStringLiteral("Label8"), kDVDName, directory));
    depth->addWidget(m_txtDVDName);
    depth->addStretch(1);
    dirLayout->addLayout(depth, 2, 0, 1, 3);
    dirLayout->setColumnStretch(1, 1);

    auto *genres = new QGroupBox(kGenresFrame, page);
    genres->setObjectName(QStringLiteral("Frame2"));
    auto *genreLayout = new QGridLayout(genres);
    constexpr int kColumns = 4;
    for (int i = 0; i < kGenreCount; ++i) {
        auto *box = checkBox(controlArrayName("chkMusicG", i), genreCaption(i), genres);
        m_chkMusicG[static_cast<std::size_t>(i)] = box;
        genreLayout->addWidget(box, i / kColumns, i % kColumns);
    }

    m_chkSearchVantory = checkBox(QStringLiteral("chkSearchVantory"), kSearchVantory, page);
    m_chkSearchBrinsell = checkBox(QStringLiteral("chkSearchBrinsell"), kSearchBrinsell, page);
    m_ChkBatchReplace = checkBox(QStringLiteral("ChkBatchReplace"), kBatchReplace, page);
    m_chkAutoCrop = checkBox(QStringLiteral("chkAutoCrop"), kAutoCrop, page);
    m_chkReplaceLarger = checkBox(QStringLiteral("chkReplaceLarger"), kReplaceLarger, page);
    // Only a replacement can be smaller: the choice is offered with it.
    m_chkReplaceLarger->setEnabled(false);
    m_chkFolderNames = checkBox(QStringLiteral("chkFolderNames"), kFolderNames, page);
    auto *flags = new QGridLayout;
    flags->addWidget(m_chkSearchVantory, 0, 0);
    flags->addWidget(m_chkSearchBrinsell, 0, 1);
    flags->addWidget(m_ChkBatchReplace, 1, 0);
    flags->addWidget(m_chkAutoCrop, 1, 1);
    flags->addWidget(m_chkReplaceLarger, 2, 0);
    flags->addWidget(m_chkFolderNames, 2, 1);

    m_spnRequestInterval = new QSpinBox(page);
    m_spnRequestInterval->setObjectName(QStringLiteral("spnRequestInterval"));
    m_spnRequestInterval->setRange(Keys::RequestIntervalMs.min, Keys::RequestIntervalMs.max);
    m_spnRequestInterval->setSingleStep(100);
    auto *interval = new QHBoxLayout;
    auto *intervalLabel = label(QStringLiteral("lblRequestInterval"), kRequestInterval, page);
    intervalLabel->setBuddy(m_spnRequestInterval);
    interval->addWidget(intervalLabel);
    interval->addWidget(m_spnRequestInterval);
    interval->addStretch(1);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(directory);
    layout->addWidget(genres);
    layout->addLayout(flags);
    layout->addLayout(interval);
    layout->addStretch(1);
}

void frmProp::Form_Load()
{
    const PropValues v = PropSettings::load(Settings());
    // Setting each control runs its change handler, as a user's edit would.
    m_txtQSName->setText(v.qsName);
    m_txtCDCoverArt->setText(v.cdPath);
    m_txtDVDCoverArt->setText(v.dvdPath);
    for (int i = 0; i < kGenreCount; ++i)
        m_chkMusicG[static_cast<std::size_t>(i)]->setChecked(
            v.batch.genres[static_cast<std::size_t>(i)]);
    m_ChkBatchReplace->setChecked(v.batch.replace);
    m_txtDVDName->setText(v.dvdName);
    m_chkSearchBrinsell->setChecked(v.batch.brinsell);
    m_chkSearchVantory->setChecked(v.batch.vantory);
    m_chkAutoCrop->setChecked(v.batch.autoCrop);
    m_chkReplaceLarger->setChecked(v.batch.replaceLarger);
    m_chkFolderNames->setChecked(v.batch.folderNames);
    m_spnRequestInterval->setValue(v.requestIntervalMs);
}

void frmProp::tsProp_Click()
{
    const int selected = m_tsProp->currentIndex();
    for (int i = 0; i < 2; ++i)
        m_fraProp[static_cast<std::size_t>(i)]->setVisible(i == selected);
}

void frmProp::replaceText(QLineEdit *box, const QString &text, int caret)
{
    if (box->text() == text)
        return;
    box->setText(text);
    box->setCursorPosition(std::clamp(caret, 0, static_cast<int>(text.size())));
}

void frmProp::txtQSName_Change()
{
    const QString text = m_txtQSName->text();
    const QString cleaned = PropSettings::cleanTemplate(text);
    if (cleaned != text) {
        // The caret stays after what the user typed; the replacement runs
        // this handler again with the clean text.
        const int caret = m_txtQSName->cursorPosition();
        const int removedBefore =
            static_cast<int>(QStringView(text).left(caret).count(QLatin1Char('\\')));
        replaceText(m_txtQSName, cleaned, caret - removedBefore);
        return;
    }
    m_lblName->setText(PropSettings::previewName(cleaned));
    m_cmdApply->setEnabled(true);
}

bool frmProp::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_txtQSName && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString typed = key->text();
        for (const QChar c : typed)
            if (PropSettings::isRefusedTemplateKey(c))
                return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmProp::txtCDCoverArt_Change()
{
    m_cmdApply->setEnabled(true);
}

void frmProp::txtDVDCoverArt_Change()
{
    m_cmdApply->setEnabled(true);
}

void frmProp::chkMusicG_Click(int)
{
    m_cmdApply->setEnabled(true);
}

void frmProp::ChkBatchReplace_Click()
{
    m_chkReplaceLarger->setEnabled(m_ChkBatchReplace->isChecked());
    m_cmdApply->setEnabled(true);
}

void frmProp::chkReplaceLarger_Click()
{
    m_cmdApply->setEnabled(true);
}

void frmProp::chkFolderNames_Click()
{
    m_cmdApply->setEnabled(true);
}

void frmProp::spnRequestInterval_Change()
{
    m_cmdApply->setEnabled(true);
}

void frmProp::txtDVDName_Change()
{
    replaceText(m_txtDVDName, PropSettings::depthText(m_txtDVDName->text()),
                m_txtDVDName->cursorPosition());
}

void frmProp::browseInto(QLineEdit *box)
{
    ModJacketeer &state = modJacketeer();
    state.browseResult.clear();
    if (browseRunner())
        browseRunner()(this);
    else
        runRealChooser(this);
    if (!state.browseResult.isEmpty())
        box->setText(state.browseResult);
}

void frmProp::cmdCDBrowse_Click()
{
    browseInto(m_txtCDCoverArt);
}

void frmProp::cmdDVDBrowse_Click()
{
    browseInto(m_txtDVDCoverArt);
}

PropValues frmProp::readControls() const
{
    PropValues v;
    v.qsName = m_txtQSName->text();
    v.cdPath = m_txtCDCoverArt->text();
    v.dvdPath = m_txtDVDCoverArt->text();
    v.dvdName = m_txtDVDName->text();
    for (int i = 0; i < kGenreCount; ++i)
        v.batch.genres[static_cast<std::size_t>(i)] =
            m_chkMusicG[static_cast<std::size_t>(i)]->isChecked();
    v.batch.replace = m_ChkBatchReplace->isChecked();
    v.batch.vantory = m_chkSearchVantory->isChecked();
    v.batch.brinsell = m_chkSearchBrinsell->isChecked();
    v.batch.autoCrop = m_chkAutoCrop->isChecked();
    v.batch.replaceLarger = m_chkReplaceLarger->isChecked();
    v.batch.folderNames = m_chkFolderNames->isChecked();
    v.requestIntervalMs = m_spnRequestInterval->value();
    return v;
}

void frmProp::cmdApply_Click()
{
    PropValues v = readControls();
    const PropCheckFailure failure = PropSettings::check(v, &PropSettings::folderExists);
    // The root boxes show their normalised texts whether or not a check failed.
    m_txtCDCoverArt->setText(v.cdPath);
    m_txtDVDCoverArt->setText(v.dvdPath);
    if (failure.failed()) {
        messageBox().show(failure.text, failure.title, MsgButtons::OkOnly, MsgIcon::Exclamation);
        QLineEdit *box = failure.field == PropField::CDPath    ? m_txtCDCoverArt
                         : failure.field == PropField::DVDPath ? m_txtDVDCoverArt
                                                               : m_txtDVDName;
        box->setFocus(Qt::OtherFocusReason);
        box->selectAll();
        return;
    }
    Settings settings;
    PropSettings::apply(v, modJacketeer(), settings);
    m_cmdApply->setEnabled(false);
}

void frmProp::Command1_Click()
{
    cmdApply_Click();
    close();
}

void frmProp::CmdCancel_Click()
{
    close();
}
