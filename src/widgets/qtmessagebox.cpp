#include "widgets/qtmessagebox.h"

#include <QApplication>
#include <QMessageBox>

#include <array>
#include <utility>

namespace
{

// Qt's forms of the icons and button sets, in the order of MsgIcon and MsgButtons.
constexpr std::array kIcons{QMessageBox::NoIcon, QMessageBox::Critical, QMessageBox::Question,
                            QMessageBox::Warning, QMessageBox::Information};
const std::array<QMessageBox::StandardButtons, 5> kButtonSets{
    QMessageBox::Ok, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Yes | QMessageBox::No,
    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
    QMessageBox::Retry | QMessageBox::Cancel};
constexpr std::array<std::pair<int, MsgAnswer>, 5> kAnswers{
    {{QMessageBox::Ok, MsgAnswer::Ok},
     {QMessageBox::Cancel, MsgAnswer::Cancel},
     {QMessageBox::Yes, MsgAnswer::Yes},
     {QMessageBox::No, MsgAnswer::No},
     {QMessageBox::Retry, MsgAnswer::Retry}}};

} // namespace

MsgAnswer QtMessageBox::show(const QString &text, const QString &title, MsgButtons buttons,
                             MsgIcon icon)
{
    QMessageBox box(QApplication::activeWindow());
    box.setText(text);
    box.setWindowTitle(title);
    box.setIcon(kIcons.at(static_cast<std::size_t>(icon)));
    box.setStandardButtons(kButtonSets.at(static_cast<std::size_t>(buttons)));
    const int pressed = box.exec();
    for (const auto &[button, answer] : kAnswers)
        if (button == pressed)
            return answer;
    // Closed without a button: a lone Ok is the answer, otherwise it is a cancel.
    return buttons == MsgButtons::OkOnly ? MsgAnswer::Ok : MsgAnswer::Cancel;
}
