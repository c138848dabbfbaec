#pragma once

#include "base/messagebox.h"

// Shows messages in a real QMessageBox, modal to the active window.
class QtMessageBox final : public IMessageBox
{
public:
    MsgAnswer show(const QString &text, const QString &title, MsgButtons buttons,
                   MsgIcon icon) override;
};
