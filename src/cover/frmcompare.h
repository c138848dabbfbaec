#pragma once

#include "cover/coversave.h"
#include "cover/picturecompare.h"

#include <QDialog>

#include <array>
#include <functional>

class QGroupBox;
class QLabel;
class QPushButton;
class QScrollArea;

// Two candidate pictures side by side with their resolution, size and a
// recommendation. In replace mode (modJacketeer().compareReplaceMode) Picture
// One is the existing picture and the buttons only answer keep-or-replace; in
// two-hit mode the buttons save the chosen hit's picture into the Quick Save
// folder.
class frmCompare : public QDialog
{
    Q_OBJECT
public:
    explicit frmCompare(QWidget *parent = nullptr);

    // Loads "compare1.jpg" and "compare2.jpg" from the application folder.
    void Form_Load();
    void cmdQuickSave_Click(int index);

    // Two-hit mode: the compared hits (entry 0 is Picture One) and where the
    // folder to save into is read when a button is pressed.
    void setComparedHits(const std::array<ComparedHit, 2> &hits) { m_hits = hits; }
    void setTargetFolder(std::function<QString()> folder) { m_targetFolder = std::move(folder); }

    // Closes every open compare window (found by caption).
    static void closeAll();

    // Opens a non-modal two-hit compare window that deletes itself on close.
    static frmCompare *openTwoHit(const std::array<ComparedHit, 2> &hits,
                                  std::function<QString()> targetFolder, QWidget *parent);

    // Runs a modal replace-mode compare of the pictures already placed in
    // "compare1.jpg" (existing) and "compare2.jpg" (new) and returns whether
    // the existing picture is kept. Closing the window keeps it.
    static bool compareForReplace(QWidget *parent);
    // compareForReplace as the hook that Quick Save and the batch download take.
    static CompareReplaceHook replaceHook(QWidget *parent);

    // How the modal window is run. The default execs it; tests install one
    // that presses a button or closes the window instead of blocking.
    using ExecFunction = std::function<void(frmCompare &)>;
    static void setExecFunction(ExecFunction exec);

    std::array<QLabel *, 2> picPic{};
    std::array<QLabel *, 2> lblRes{};
    std::array<QLabel *, 2> lblSize{};
    std::array<QLabel *, 2> lblRec{};
    std::array<QPushButton *, 2> cmdQuickSave{};

private:
    // "Frame1" or "Frame2" with its picture box, facts and button.
    QGroupBox *buildFrame(int index, const QString &caption);

    std::array<QScrollArea *, 2> m_Picture{};
    std::array<ComparedHit, 2> m_hits;
    std::function<QString()> m_targetFolder;
    // The mode this window was opened in. The shared flag is set anew by each
    // opening, so a two-hit window left open while a replace-mode window came
    // and went would otherwise read the other window's mode and save nothing.
    bool m_replaceMode = false;
};
