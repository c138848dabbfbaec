#include "app/headlessbatch.h"

#include "app/commandline.h"
#include "batch/consolebatch.h"

#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace
{

// The self-pipe: the handler may do next to nothing, so it writes one byte
// that the event loop reads, and the stop is asked for from there.
int g_pipe[2] = {-1, -1};
volatile sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int)
{
    if (g_interrupted) {
        // The second Ctrl-C: the user will not wait for the current page.
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
        return;
    }
    g_interrupted = 1;
    const char byte = 'i';
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}

// Turns Ctrl-C into a call of `stop` from the event loop while it lives.
class InterruptWatch
{
public:
    explicit InterruptWatch(std::function<void()> stop)
    {
        if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [stop] {
            char byte;
            while (::read(g_pipe[0], &byte, 1) > 0) {
            }
            stop();
        });
        struct sigaction action = {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGINT, &action, &m_previous);
    }
    ~InterruptWatch()
    {
        if (!m_notifier)
            return;
        ::sigaction(SIGINT, &m_previous, nullptr);
        m_notifier.reset();
        ::close(g_pipe[0]);
        ::close(g_pipe[1]);
    }
    InterruptWatch(const InterruptWatch &) = delete;
    InterruptWatch &operator=(const InterruptWatch &) = delete;

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_previous = {};
};

int terminalWidth()
{
    winsize size = {};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

} // namespace

int runHeadlessBatch(const CommandLine &line)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    ConsoleStreams streams;
    streams.out = &out;
    streams.err = &err;
    streams.terminal = ::isatty(STDOUT_FILENO) == 1;
    streams.width = streams.terminal ? terminalWidth() : 80;

    ConsoleBatchRequest request;
    request.type = line.batchType;
    request.root = line.batchRoot;
    request.missingOnly = line.missingOnly;
    request.folderNames = line.folderNames;
    ConsoleBatch batch(request, streams);
    const InterruptWatch watch([&batch] { batch.requestStop(); });
    return batch.exec();
}
