#pragma once
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

// pelmora-sim, started with its device read from the first line it prints; stopped for sure when it goes.
class SimProcess {
public:
    explicit SimProcess(const QStringList& args)
    {
        process_.setProgram(qEnvironmentVariable("PELMORA_SIM_BINARY"));
        process_.setArguments(QStringList{QStringLiteral("--seconds"), QStringLiteral("60")} + args);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start();
        if (!process_.waitForStarted(5000))
            return;
        QElapsedTimer timer;
        timer.start();
        while (!process_.canReadLine() && timer.elapsed() < 10000 && process_.state() == QProcess::Running)
            process_.waitForReadyRead(100);
        const QByteArray line = process_.readLine().trimmed();
        if (line.startsWith("PTY "))
            device_ = QString::fromLocal8Bit(line.mid(4));
    }
    ~SimProcess()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(3000))
            kill();
    }
    QString device() const { return device_; }
    // Waits (bounded) for the tool to end by itself.
    bool finished(int ms) { return process_.state() == QProcess::NotRunning || process_.waitForFinished(ms); }
    int exit_code() const { return process_.exitCode(); }
    qint64 pid() const { return process_.processId(); }
    // Gone at once, as an unplugged device: its side of the line closes with it.
    void kill()
    {
        process_.kill();
        process_.waitForFinished(3000);
    }

private:
    QProcess process_;
    QString device_;
};
