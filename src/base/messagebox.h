#pragma once

#include <QString>

// Every message the program shows goes through this interface so that a test
// can answer prompts from a script and read back exactly what was asked.
enum class MsgButtons { OkOnly, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgAnswer { Ok, Cancel, Yes, No, Retry };

class IMessageBox
{
public:
    virtual ~IMessageBox() = default;
    virtual MsgAnswer show(const QString &text, const QString &title, MsgButtons buttons,
                           MsgIcon icon) = 0;
};

// The program-wide message box used by windows. Long operations take an
// IMessageBox& parameter instead; windows pass this one.
IMessageBox &messageBox();
// Replaces the program-wide message box (tests install a recorder). Passing
// nullptr restores the default, which answers Ok/Yes without showing anything
// until the user interface installs its own.
void setMessageBox(IMessageBox *box);
