// Two pseudo-terminals joined by socat: bytes written to one arrive at the
// other. The socat started here is ended here, by its own process id.
#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

class PtyPair {
public:
    ~PtyPair() { stop(); }

    static bool available()
    {
        return !QStandardPaths::findExecutable(QStringLiteral("socat")).isEmpty();
    }

    bool start()
    {
        socat_.setProgram(QStandardPaths::findExecutable(QStringLiteral("socat")));
        socat_.setArguments({"-d", "-d", "pty,raw,echo=0", "pty,raw,echo=0"});
        socat_.setReadChannel(QProcess::StandardError);
        socat_.start();
        if (!socat_.waitForStarted(5000)) {
            error = "socat did not start: " + socat_.errorString();
            return false;
        }
        static const QRegularExpression ptyLine(QStringLiteral("PTY is (/dev/\\S+)"));
        QByteArray log;
        QDeadlineTimer deadline(5000);
        while (!log.contains("starting data transfer loop") && !deadline.hasExpired()) {
            socat_.waitForReadyRead(100);
            log += socat_.readAllStandardError();
        }
        QStringList paths;
        for (const QRegularExpressionMatch& m : ptyLine.globalMatch(QString::fromLocal8Bit(log)))
            paths.append(m.captured(1));
        if (paths.size() != 2 || !log.contains("starting data transfer loop")) {
            error = "unexpected socat output: " + QString::fromLocal8Bit(log);
            return false;
        }
        a = paths.at(0);
        b = paths.at(1);
        return true;
    }

    void stop()
    {
        if (socat_.state() != QProcess::NotRunning) {
            socat_.terminate();
            if (!socat_.waitForFinished(2000)) {
                socat_.kill();
                socat_.waitForFinished(2000);
            }
        }
        a.clear();
        b.clear();
        error.clear();
    }

    QString a;
    QString b;
    QString error;

private:
    QProcess socat_;
};

// QSKIP and QVERIFY leave the test function they are written in.
#define NEED_PTY_PAIR(pair)                                                                \
    do {                                                                                   \
        if (!PtyPair::available())                                                         \
            QSKIP("socat is not installed (scripts/setup.sh installs it); no pseudo-terminals"); \
        QVERIFY2((pair).start(), qPrintable((pair).error));                                \
    } while (false)
