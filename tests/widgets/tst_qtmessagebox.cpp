#include "widgets/qtmessagebox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(MsgButtons)
Q_DECLARE_METATYPE(MsgIcon)
Q_DECLARE_METATYPE(MsgAnswer)

// The real message box, answered by pressing one of its buttons (or Escape).
class tst_QtMessageBox : public QObject
{
    Q_OBJECT

private slots:
    void answer_data()
    {
        QTest::addColumn<MsgButtons>("buttons");
        QTest::addColumn<MsgIcon>("icon");
        QTest::addColumn<QString>("press"); // a button's text, or "" for Escape
        QTest::addColumn<int>("shownButtons");
        QTest::addColumn<int>("shownIcon");
        QTest::addColumn<MsgAnswer>("answer");
        // clang-format off
        QTest::newRow("lone Ok, Escape") << MsgButtons::OkOnly << MsgIcon::None << "" << 1 << int(QMessageBox::NoIcon) << MsgAnswer::Ok;
        QTest::newRow("Ok of Ok/Cancel") << MsgButtons::OkCancel << MsgIcon::Information << "OK" << 2 << int(QMessageBox::Information) << MsgAnswer::Ok;
        QTest::newRow("Cancel of Ok/Cancel") << MsgButtons::OkCancel << MsgIcon::Critical << "Cancel" << 2 << int(QMessageBox::Critical) << MsgAnswer::Cancel;
        QTest::newRow("No") << MsgButtons::YesNoCancel << MsgIcon::Question << "&No" << 3 << int(QMessageBox::Question) << MsgAnswer::No;
        QTest::newRow("Escape of Yes/No/Cancel") << MsgButtons::YesNoCancel << MsgIcon::Question << "" << 3 << int(QMessageBox::Question) << MsgAnswer::Cancel;
        QTest::newRow("Retry") << MsgButtons::RetryCancel << MsgIcon::Exclamation << "Retry" << 2 << int(QMessageBox::Warning) << MsgAnswer::Retry;
        // clang-format on
    }

    void answer()
    {
        QFETCH(MsgButtons, buttons);
        QFETCH(MsgIcon, icon);
        QFETCH(QString, press);
        int shownButtons = -1;
        int shownIcon = -1;
        QString shownTitle;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            shownButtons = int(box->buttons().size());
            shownIcon = box->icon();
            shownTitle = box->windowTitle() + '|' + box->text();
            if (press.isEmpty()) {
                QTest::keyClick(box, Qt::Key_Escape);
                return;
            }
            for (QAbstractButton *button : box->buttons())
                if (button->text() == press)
                    button->click();
        });
        const MsgAnswer answer = QtMessageBox().show("Text", "Title", buttons, icon);
        QCOMPARE(shownTitle, QStringLiteral("Title|Text"));
        QTEST(shownButtons, "shownButtons");
        QTEST(shownIcon, "shownIcon");
        QTEST(answer, "answer");
    }
};

QTEST_MAIN(tst_QtMessageBox)
#include "tst_qtmessagebox.moc"
