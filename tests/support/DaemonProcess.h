#pragma once
// vregisterd started by a test: the TCP port and the pty ports it reports on
// start, stopped (SIGTERM) with the object.

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

#include <csignal>

class DaemonProcess {
public:
    struct Pty {
        int com = 0;
        QString path;
        int rate = 0;
    };

    ~DaemonProcess() { Stop(); }

    // Starts the daemon on dataDir with args; true once it has said where
    // it serves.
    bool Start(const QString& binary, const QString& dataDir, const QStringList& args) {
        FProcess.setProcessChannelMode(QProcess::SeparateChannels);
        FProcess.start(binary, QStringList{QStringLiteral("--data"), dataDir} + args);
        if (!FProcess.waitForStarted() || !FProcess.waitForReadyRead(10000))
            return false;
        // Everything is printed with one flush: the lines come together.
        static const QRegularExpression listen(QStringLiteral("^vregisterd: слушает .*:(\\d+)$"));
        static const QRegularExpression pty(
            QStringLiteral("^vregisterd: порт COM(\\d+) (\\S+) (\\d+)$"));
        while (FProcess.canReadLine() || FProcess.waitForReadyRead(200)) {
            const QString line = QString::fromUtf8(FProcess.readLine()).trimmed();
            FOutput << line;
            if (const auto m = listen.match(line); m.hasMatch())
                FTcpPort = m.captured(1).toInt();
            if (const auto m = pty.match(line); m.hasMatch())
                FPtys.push_back({m.captured(1).toInt(), m.captured(2), m.captured(3).toInt()});
        }
        return FProcess.state() == QProcess::Running;
    }

    // Stops with a signal; true when it exited normally with code 0.
    bool Stop(int signal = SIGTERM) {
        if (FProcess.state() != QProcess::Running)
            return false;
        ::kill(pid_t(FProcess.processId()), signal);
        return FProcess.waitForFinished(10000) && FProcess.exitStatus() == QProcess::NormalExit &&
               FProcess.exitCode() == 0;
    }

    qint64 Pid() const { return FProcess.processId(); }
    int TcpPort() const { return FTcpPort; }
    const QList<Pty>& Ptys() const { return FPtys; }
    QString Output() const { return FOutput.join(QLatin1Char('\n')); }

private:
    QProcess FProcess;
    int FTcpPort = 0;
    QList<Pty> FPtys;
    QStringList FOutput;
};
