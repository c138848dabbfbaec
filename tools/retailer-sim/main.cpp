// retailer-sim: the Vantory and Brinsell sites and the update site on
// 127.0.0.1, for the tests and the demonstration (see README.md).

#include "catalogue.h"
#include "retailerserver.h"

#include <QGuiApplication>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <pthread.h>
#include <unistd.h>

namespace
{

// Qt's note that XDG_RUNTIME_DIR is unset says nothing about the simulator
// and would only clutter every test's output.
void messageFilter(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (text.startsWith(QLatin1String("QStandardPaths:")))
        return;
    std::fprintf(stderr, "retailer-sim: %s\n", qPrintable(text));
    if (type == QtFatalMsg)
        std::abort();
}

void usage()
{
    std::fprintf(stderr, "usage: retailer-sim [--port N] --catalogue FILE [--exit-on-stdin-eof]\n"
                         "                    [--latency MS] [--rate-limit MS] [--log FILE]\n"
                         "  --port 0 (the default) picks a free port\n");
}

} // namespace

int main(int argc, char *argv[])
{
    // Pictures are drawn with fonts, which need a GUI application object; it
    // never opens a window.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(messageFilter);
    std::signal(SIGPIPE, SIG_IGN);
    // Every thread started from here on inherits the blocked signals; main
    // waits for them with sigwait.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    int port = 0;
    QString cataloguePath;
    bool exitOnEof = false;
    int latencyMs = 0;
    int rateLimitMs = 0;
    QString logPath;
    const auto milliseconds = [&](qsizetype &i, int &out) {
        bool ok = false;
        out = args.at(++i).toInt(&ok);
        return ok && out >= 0 && out <= 600000;
    };
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--port") && i + 1 < args.size()) {
            bool ok = false;
            port = args.at(++i).toInt(&ok);
            if (!ok || port < 0 || port > 65535) {
                usage();
                return 2;
            }
        } else if (a == QLatin1String("--catalogue") && i + 1 < args.size()) {
            cataloguePath = args.at(++i);
        } else if (a == QLatin1String("--exit-on-stdin-eof")) {
            exitOnEof = true;
        } else if (a == QLatin1String("--latency") && i + 1 < args.size()) {
            if (!milliseconds(i, latencyMs)) {
                usage();
                return 2;
            }
        } else if (a == QLatin1String("--rate-limit") && i + 1 < args.size()) {
            if (!milliseconds(i, rateLimitMs)) {
                usage();
                return 2;
            }
        } else if (a == QLatin1String("--log") && i + 1 < args.size()) {
            logPath = args.at(++i);
        } else {
            usage();
            return 2;
        }
    }
    if (cataloguePath.isEmpty()) {
        usage();
        return 2;
    }
    QString error;
    std::optional<Catalogue> catalogue = Catalogue::load(cataloguePath, &error);
    if (!catalogue) {
        std::fprintf(stderr, "retailer-sim: %s\n", qPrintable(error));
        return 1;
    }

    RetailerServer server(std::move(*catalogue));
    server.setLatency(latencyMs);
    server.setRateLimit(rateLimitMs);
    if (!logPath.isEmpty() && !server.setRequestLog(logPath)) {
        std::fprintf(stderr, "retailer-sim: cannot write the log %s\n", qPrintable(logPath));
        return 1;
    }
    const int bound = server.bind(port);
    if (bound < 0) {
        std::fprintf(stderr, "retailer-sim: cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    std::printf("listening on 127.0.0.1:%d\n", bound);
    std::fflush(stdout);

    std::thread serving([&server] { server.serve(); });
    serving.detach();
    if (exitOnEof) {
        // The parent holds our stdin: when it goes away (even by a crash),
        // so do we.
        std::thread([] {
            char buffer[256];
            while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
            }
            kill(getpid(), SIGTERM);
        }).detach();
    }
    int signal = 0;
    sigwait(&stopSignals, &signal);
    // Requests still being answered (slow ones sleep) are not waited for:
    // nothing is kept, so leaving at once loses nothing.
    std::fflush(stdout);
    std::_Exit(0);
}
