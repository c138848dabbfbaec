#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>

class QLabel;
class QPushButton;
class QRadioButton;
class QTreeWidget;

// The Artshelf viewer: the CD and DVD folder trees with the pictures of their
// album and DVD folders, the picture chosen with its size and resolution, and
// the crop of a DVD picture in place.
class frmList : public QWidget
{
    Q_OBJECT
public:
    // Builds the window and fills both trees from the shared settings.
    explicit frmList(QWidget *parent = nullptr);

    void Form_Load();
    void optType_Click(int index);
    void tvViewer_Click(int index);
    void tvViewer_DblClick(int index);
    void cmdCrop_Click();

    // The picture on show; "" before one is chosen.
    const QString &CurrentPicturePath() const { return m_currentPicturePath; }
    // What picViewer holds.
    const QImage &shownPicture() const { return m_picture; }

private:
    QWidget *buildTrees();
    QWidget *buildTypeChoice();
    QWidget *buildPicture();
    void fillTree(int index, const QString &root);
    void showSelectedPicture(int index);
    bool loadPicture(const QString &path);
    void clearPicture();
    // Shows `latest` (if any) above the problems met while filling the trees.
    void showProblems(const QString &latest = {});

    std::array<QTreeWidget *, 2> m_tvViewer{};
    std::array<QRadioButton *, 2> m_optType{};
    // The picture and its crop, their facts and the status line.
    QLabel *m_picViewer = nullptr, *m_picCropAfter = nullptr;
    QLabel *m_lblSize = nullptr, *m_lblRes = nullptr, *m_lblStatus = nullptr;
    QPushButton *m_cmdCrop = nullptr;

    QString m_currentPicturePath;
    QImage m_picture;
    QStringList m_loadProblems; // from filling the trees, kept under later messages
};
