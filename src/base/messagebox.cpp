#include "base/messagebox.h"

namespace {

// Until the window layer installs a real one, a message has nowhere to go; the
// default answer keeps headless callers from stopping.
class SilentMessageBox final : public IMessageBox
{
public:
    MsgAnswer show(const QString &, const QString &, MsgButtons buttons, MsgIcon) override
    {
        return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes
                                                                                   : MsgAnswer::Ok;
    }
};

SilentMessageBox g_silent;
IMessageBox *g_current = &g_silent;

} // namespace

IMessageBox &messageBox()
{
    return *g_current;
}

void setMessageBox(IMessageBox *box)
{
    g_current = box ? box : &g_silent;
}
