// The whole program in a test: started in a fresh temporary working folder
// with its settings file there, message boxes collected instead of shown,
// and a controller the test plays on 127.0.0.1.
#pragma once

#include "app/ProgramEntry.h"
#include "base/Reporter.h"
#include "base/SettingsLocation.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QPlainTextEdit>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

class CollectingReporter : public obr9::Reporter {
public:
    void report(const obr9::OperatorMessage& message) override
    {
        messages << message;
        if (onReport)
            onReport();
    }
    QList<obr9::OperatorMessage> messages;
    std::function<void()> onReport;
};

// A control by its objectName; a missing one ends the test run loudly.
template <typename T>
T* controlOf(const QObject* root, const char* name)
{
    T* widget = root->findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

// A controller played by the test; the program connects to it.
class PeerController {
public:
    PeerController() { QVERIFY(server.listen(QHostAddress::LocalHost, 0)); }

    bool waitForConnection()
    {
        if (!server.hasPendingConnections() && !server.waitForNewConnection(5000))
            return false;
        socket.reset(server.nextPendingConnection());
        return socket != nullptr;
    }
    // The program runs in this thread: its event loop keeps going meanwhile.
    QByteArray readExactly(int count, int timeoutMs = 5000)
    {
        QByteArray data;
        QDeadlineTimer deadline(timeoutMs);
        while (data.size() < count && !deadline.hasExpired()) {
            QCoreApplication::processEvents();
            socket->waitForReadyRead(10);
            data += socket->read(count - data.size());
        }
        return data;
    }
    void send(const QByteArray& data)
    {
        socket->write(data);
        socket->flush();
    }

    QTcpServer server;
    std::unique_ptr<QTcpSocket> socket;
};

// Start() in a test's init(), stop() in its cleanup(). The timers are
// stopped: tests drive Timer1Timer and Timer2Timer themselves.
class ProgramFixture {
public:
    void start()
    {
        workDir = std::make_unique<QTemporaryDir>();
        QVERIFY(workDir->isValid());
        previousDir_ = QDir::currentPath();
        QDir::setCurrent(workDir->path());
        TForm1::settingsLocationOverride() =
            obr9::SettingsLocation(workDir->filePath("obr9"), workDir->filePath("user"));
        launch();
    }

    // Closes the window (shutdown writes its files) and starts it again in
    // the same folder.
    void restart()
    {
        form->close();
        launch();
    }

    // Starts the windows in the current folder (after form.reset(), say).
    void launch()
    {
        form = CreateForms();
        reporter.messages.clear();
        reporter.onReport = nullptr;
        form->setReporter(&reporter);
        form->timer1().stop();
        form->timer2().stop();
        form->show();
    }

    void stop()
    {
        form.reset();
        if (!previousDir_.isEmpty())
            QDir::setCurrent(previousDir_);
        workDir.reset();
    }

    template <typename T>
    T* control(const char* name) const
    {
        return controlOf<T>(form.get(), name);
    }
    QString memo() const { return control<QPlainTextEdit>("DebugMemo")->toPlainText(); }
    QString path(const QString& name) const { return workDir->filePath(name); }

    std::unique_ptr<QTemporaryDir> workDir;
    std::unique_ptr<TForm1> form;
    CollectingReporter reporter;

private:
    QString previousDir_;
};
