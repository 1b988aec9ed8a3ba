// Firmware upload throughput over loopback: the program's upload state
// machine and receive parser against the simulated controller, one frame in
// flight, every frame acknowledged. Prints KB/s of file bytes.
//
//   bench_upload [kilobytes]   (default 2048)
#include "devconfig/FirmwareUpload.h"
#include "protocol/ReceiveParser.h"
#include "sim/SimController.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>
#include <memory>

using namespace obr9;
using namespace std::chrono_literals;

namespace {

class SocketSink : public FrameSink {
public:
    explicit SocketSink(QTcpSocket& socket)
        : socket_(socket)
    {
    }
    using FrameSink::SendFrame;
    void SendFrame(const uint8_t* data, int length) override
    {
        socket_.write(reinterpret_cast<const char*>(data), length);
        socket_.flush();
    }

private:
    QTcpSocket& socket_;
};

class Program : public ParserListener, public FirmwareUploadListener {
public:
    explicit Program(QTcpSocket& socket)
        : sink(socket)
        , upload(sink, this)
        , parser(std::make_unique<ReceiveParser>(this))
    {
    }
    void uploadStep() override { upload.step(); }
    void uploadAcknowledged(bool accepted) override { upload.acknowledged(accepted); }
    void uploadCompleted() override
    {
        parser->setRequestMode(RequestData);
        done = true;
        QCoreApplication::quit();
    }

    SocketSink sink;
    FirmwareUpload upload;
    std::unique_ptr<ReceiveParser> parser;
    bool done = false;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int kilobytes = argc > 1 ? std::max(1, atoi(argv[1])) : 2048;

    sim::SimOptions options;
    options.period = 3'600'000ms;
    sim::SimController controller(options);
    if (!controller.listen(QHostAddress::LocalHost, 0)) {
        std::fprintf(stderr, "cannot listen: %s\n", qPrintable(controller.errorString()));
        return 1;
    }
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, controller.serverPort());
    if (!socket.waitForConnected(5000)) {
        std::fprintf(stderr, "cannot connect\n");
        return 1;
    }

    Program program(socket);
    QByteArray chunk(65536, '\0');
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] {
        while (socket.bytesAvailable() > 0) {
            const qint64 n = socket.read(chunk.data(), chunk.size());
            if (n <= 0)
                break;
            program.parser->acceptRead(reinterpret_cast<const uint8_t*>(chunk.constData()), int(n));
        }
    });

    QByteArray file(qsizetype(kilobytes) * 1024, '\0');
    for (qsizetype i = 0; i < file.size(); ++i)
        file[i] = char((i * 131 + 17) & 0xFF);

    bool checksumOk = false;
    QObject::connect(
        &controller, &sim::SimController::uploadFinished,
        [&](const QByteArray& received, bool ok) { checksumOk = ok && received == file; });

    QElapsedTimer clock;
    QTimer::singleShot(0, [&] {
        clock.start();
        program.upload.start(file);
        program.parser->setRequestMode(RequestUpload);
        program.parser->Analizuj(0);
    });
    QTimer::singleShot(600'000, &app, &QCoreApplication::quit);
    app.exec();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;

    if (!program.done || !checksumOk) {
        std::fprintf(stderr, "upload did not complete correctly\n");
        return 1;
    }
    const int frames =
        int((file.size() + 2 + FirmwareUpload::kBlockSize - 1) / FirmwareUpload::kBlockSize) + 1;
    std::printf("upload %d KB in %.3f s: %.0f KB/s, %d frames, %.1f us per frame\n", kilobytes,
                seconds, double(kilobytes) / seconds, frames, seconds * 1e6 / frames);
    return 0;
}
