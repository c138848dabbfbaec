#pragma once

#include "base/settings.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

// Runs the retailer simulator (tools/retailer-sim) for one test: starts it on
// a free port of 127.0.0.1 and stops it again when destroyed. Needs a test
// with an event loop (QTEST_GUILESS_MAIN or QTEST_MAIN) for the program's
// fetcher and downloads; the process itself is driven without one.
//
//     SimulatorProcess sim;
//     QVERIFY2(sim.start(), qPrintable(sim.errorString()));
//     Settings settings;
//     sim.configureSites(settings);
class SimulatorProcess
{
public:
    SimulatorProcess() = default;
    ~SimulatorProcess() { stop(); }
    SimulatorProcess(const SimulatorProcess &) = delete;
    SimulatorProcess &operator=(const SimulatorProcess &) = delete;

    // Starts $JACKETEER_SIM with the catalogue (and any further options, such
    // as "--latency 50") and waits (up to 10 s) for it to listen. False with
    // errorString() set when it does not come up.
    bool start(const QString &catalogue = qEnvironmentVariable("JACKETEER_SIM_CATALOGUE"),
               const QStringList &options = {})
    {
        stop();
        const QString program = qEnvironmentVariable("JACKETEER_SIM");
        if (program.isEmpty()) {
            m_error = QStringLiteral("JACKETEER_SIM is not set (declare the test with SIM)");
            return false;
        }
        m_process = std::make_unique<QProcess>();
        m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // The simulator leaves when its stdin closes, so even a crashed test
        // leaves no server behind.
        m_process->start(
            program,
            QStringList{"--port", "0", "--catalogue", catalogue, "--exit-on-stdin-eof"} + options);
        if (!m_process->waitForStarted(10000)) {
            m_error = QStringLiteral("cannot start %1: %2").arg(program, m_process->errorString());
            m_process.reset();
            return false;
        }
        QByteArray line;
        const QDeadlineTimer deadline(10000);
        while (!line.contains('\n') && !deadline.hasExpired()) {
            if (!m_process->waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
                break;
            line += m_process->readAllStandardOutput();
        }
        const QByteArray prefix("listening on 127.0.0.1:");
        m_port = line.startsWith(prefix)
                     ? line.mid(prefix.size(), line.indexOf('\n') - prefix.size()).toInt()
                     : 0;
        if (m_port <= 0) {
            m_error = QStringLiteral("simulator did not report its port (got \"%1\")")
                          .arg(QString::fromLocal8Bit(line.trimmed()));
            stop();
            return false;
        }
        return true;
    }

    void stop()
    {
        if (!m_process)
            return;
        m_process->closeWriteChannel();
        if (!m_process->waitForFinished(3000)) {
            m_process->kill();
            m_process->waitForFinished(3000);
        }
        m_process.reset();
        m_port = 0;
    }

    // "127.0.0.1:PORT", the form the "Sites" host settings take.
    QString hostPort() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    // "http://127.0.0.1:PORT" + path (path starts with "/").
    QString url(const QString &path) const { return QStringLiteral("http://") + hostPort() + path; }
    QString errorString() const { return m_error; }

    // Points every retailer and update endpoint of the settings at this
    // server, with no pause between requests (the simulator needs none).
    void configureSites(Settings &settings) const
    {
        settings.setText(Keys::VantoryHost, hostPort());
        settings.setText(Keys::BrinsellHost, hostPort());
        settings.setText(Keys::BrinsellImageHost, hostPort());
        settings.setText(Keys::UpdateInfoUrl, url(QStringLiteral("/update/3.0/version.html")));
        settings.setText(Keys::DownloadPageUrl, url(QStringLiteral("/download.html")));
        settings.setNumber(Keys::RequestIntervalMs, 0);
        settings.sync();
    }

private:
    std::unique_ptr<QProcess> m_process;
    int m_port = 0;
    QString m_error;
};
