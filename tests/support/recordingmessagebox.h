#pragma once

#include "base/messagebox.h"

#include <QList>
#include <QString>

// Test double for IMessageBox: keeps every message shown and answers from a
// script (first scripted answer first); with the script used up it answers
// the box's first button.
class RecordingMessageBox final : public IMessageBox
{
public:
    struct Shown {
        QString text;
        QString title;
        MsgButtons buttons;
        MsgIcon icon;
    };

    MsgAnswer show(const QString &text, const QString &title, MsgButtons buttons,
                   MsgIcon icon) override
    {
        shown.append({text, title, buttons, icon});
        if (!answers.isEmpty())
            return answers.takeFirst();
        return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes
               : buttons == MsgButtons::RetryCancel                               ? MsgAnswer::Retry
                                                                                  : MsgAnswer::Ok;
    }

    QList<Shown> shown;
    QList<MsgAnswer> answers;
};

// Installs a recorder as the program-wide message box for one scope.
class ScopedRecordingMessageBox
{
public:
    ScopedRecordingMessageBox() { setMessageBox(&box); }
    ~ScopedRecordingMessageBox() { setMessageBox(nullptr); }
    RecordingMessageBox box;
};
