// The simulated controller takes up the channel and sampling settings frame:
// its eight-temperature frames carry the new names, its identification
// answer the new interval indexes, and its frames follow the new rates.
#include "TestBytes.h"
#include "sim/SimController.h"
#include "sim/StreamReader.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTest>

using namespace obr9::sim;

namespace {

const QByteArray kIdentificationRequest =
    bytes("4D 5C 22 07 3A 18 0E 29 05 31 1D 0B 26 14 3E 09 FF FE");

// Written out from the layout, not with the program's builder.
QByteArray settingsFrame(const char* indexes, const QList<QByteArray>& names)
{
    QByteArray frame = bytes("FF 01 01 08") + bytes(indexes);
    for (const QByteArray& name : names)
        frame += name.left(25) + QByteArray(std::max<qsizetype>(0, 25 - name.size()), '\0');
    return frame;
}

QByteArray nameField(const ReadFrame& frame, int channel)
{
    return frame.payload.mid(16 + 25 * channel, 25);
}

} // namespace

class TestSimChannelSettings : public QObject {
    Q_OBJECT

    std::unique_ptr<SimController> sim_;
    std::unique_ptr<QTcpSocket> peer_;
    StreamReader reader_;

    bool start(const SimOptions& options)
    {
        sim_ = std::make_unique<SimController>(options);
        if (!sim_->listen(QHostAddress::LocalHost, 0))
            return false;
        peer_ = std::make_unique<QTcpSocket>();
        reader_ = StreamReader();
        connect(peer_.get(), &QTcpSocket::readyRead, this, [this] { reader_.add(peer_->readAll()); });
        peer_->connectToHost(QHostAddress::LocalHost, sim_->serverPort());
        return peer_->waitForConnected(5000) && QTest::qWaitFor([this] { return sim_->isConnected(); });
    }

    void send(const QByteArray& data)
    {
        peer_->write(data);
        peer_->flush();
    }

    QByteArray identification()
    {
        const qsizetype before = reader_.ofType(-1).size();
        send(kIdentificationRequest);
        if (!QTest::qWaitFor([&] { return reader_.ofType(-1).size() > before; }))
            return {};
        return reader_.ofType(-1).last().payload;
    }

private slots:
    void cleanup()
    {
        peer_.reset();
        sim_.reset();
    }

    void namesComeBackInTheNextFrames()
    {
        SimOptions options;
        options.period = Milliseconds{30};
        QVERIFY(start(options));
        QTRY_VERIFY(!reader_.ofType(1).isEmpty());
        QCOMPARE(nameField(reader_.ofType(1).last(), 0), QByteArray("Boiler") + QByteArray(19, '\0'));

        const QList<QByteArray> names = {"Kessel", "", "Pok\xF3j", QByteArray(25, 'L'),
                                         "T5",     "T6", "T7",     "Zbiornik"};
        send(settingsFrame("02 05", names));
        QTRY_VERIFY(!reader_.ofType(1).isEmpty() &&
                    nameField(reader_.ofType(1).last(), 0).startsWith("Kessel"));
        const ReadFrame frame = reader_.ofType(1).last();
        QCOMPARE(nameField(frame, 0), QByteArray("Kessel") + QByteArray(19, '\0'));
        QCOMPARE(nameField(frame, 1), QByteArray(25, '\0'));
        QCOMPARE(nameField(frame, 2), bytes("50 6F 6B F3 6A") + QByteArray(20, '\0'));
        // A name filling its field keeps 24 characters and the closing 00.
        QCOMPARE(nameField(frame, 3), QByteArray(24, 'L') + '\0');
        QCOMPARE(nameField(frame, 7), QByteArray("Zbiornik") + QByteArray(17, '\0'));

        QCOMPARE(identification(), bytes("01 0A 00 02 05"));
    }

    void framesFollowTheNewRates()
    {
        SimOptions options;
        options.voltageIntervalIndex = 4;     // 1/10s: one voltage frame in 10 s
        options.temperatureIntervalIndex = 3; // 1/10s
        QVERIFY(start(options));
        QTest::qWait(400);
        QCOMPARE(reader_.ofType(4).size(), 0);
        QCOMPARE(reader_.ofType(1).size(), 0);

        QList<QByteArray> names;
        for (int k = 1; k <= 8; ++k)
            names << "Temp" + QByteArray::number(k);
        send(settingsFrame("00 00", names)); // 10/s and 1/s
        QElapsedTimer clock;
        clock.start();
        QTRY_VERIFY_WITH_TIMEOUT(reader_.ofType(4).size() >= 5, 3000);
        QVERIFY2(clock.elapsed() < 2000, "ten voltage frames a second");
        QTRY_VERIFY_WITH_TIMEOUT(reader_.ofType(1).size() >= 1, 3000);
        QCOMPARE(identification(), bytes("01 0A 00 00 00"));
    }

    void indexesOutsideTheListsKeepTheIntervals()
    {
        SimOptions options;
        options.period = Milliseconds{1000};
        options.voltageIntervalIndex = 3;
        options.temperatureIntervalIndex = 7;
        QVERIFY(start(options));
        QList<QByteArray> names(8, "x");
        // FF: no voltage item chosen; 0E: the empty temperature item.
        send(settingsFrame("FF 0E", names));
        QTRY_COMPARE(identification(), bytes("01 0A 00 03 07"));
        send(settingsFrame("01 0D", names));
        QTRY_COMPARE(identification(), bytes("01 0A 00 01 0D"));
    }
};

QTEST_GUILESS_MAIN(TestSimChannelSettings)
#include "test_sim_channel_settings.moc"
