// The firmware upload state machine, driven the way the receive parser
// drives it: step() at the start of every call, acknowledged() per '{'/'d'.
#include "TestBytes.h"
#include "devconfig/FirmwareUpload.h"
#include "protocol/ReceiveParser.h"

#include <QTest>

#include <cstring>

using namespace obr9;

namespace {

class RecordingSink : public FrameSink {
public:
    using FrameSink::SendFrame;
    void SendFrame(const uint8_t* data, int length) override
    {
        frames.append(QByteArray(reinterpret_cast<const char*>(data), length));
    }
    QList<QByteArray> frames;
};

// The parser, the upload and the window's completion step wired together.
class Rig : public ParserListener, public FirmwareUploadListener {
public:
    Rig()
        : upload(sink, this)
        , parser(this)
    {
    }

    void start(const QByteArray& file)
    {
        upload.start(file);
        parser.setRequestMode(RequestUpload);
        parser.Analizuj(0);
    }
    void read(const QByteArray& data) { parser.acceptRead(u8(data), int(data.size())); }

    void uploadStep() override { upload.step(); }
    void uploadAcknowledged(bool accepted) override { upload.acknowledged(accepted); }
    void uploadProgress(int percent) override { progress.append(percent); }
    void uploadCompleted() override
    {
        ++completions;
        parser.setRequestMode(RequestData);
    }
    void dataFrame(uint8_t, const uint8_t*, int) override { ++dataFrames; }

    RecordingSink sink;
    FirmwareUpload upload;
    ReceiveParser parser;
    QList<int> progress;
    int completions = 0;
    int dataFrames = 0;
};

QByteArray fileOf(int size)
{
    QByteArray file(size, '\0');
    for (int i = 0; i < size; ++i)
        file[i] = char(i * 7 + 3);
    return file;
}

} // namespace

class TestFirmwareUpload : public QObject {
    Q_OBJECT

private slots:
    void emptyFile()
    {
        Rig rig;
        rig.start({});
        QCOMPARE(rig.sink.frames, QList<QByteArray>{bytes("FF 09 02 00 00 00 0A 01")});
        rig.read("{");
        QCOMPARE(rig.sink.frames.last(), bytes("02 00")); // start value L + 2, no words
        QCOMPARE(rig.completions, 0);
        rig.read("{");
        QCOMPARE(rig.completions, 1);
        QCOMPARE(rig.progress, (QList<int>{0, 0, 100}));
        QCOMPARE(rig.parser.requestMode(), uint8_t(RequestData));
    }

    void blockSizesAndProgress_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QList<int>>("blocks");
        QTest::addColumn<QList<int>>("progress");

        // Totals 266, 264 and 602; the sum is of the six bytes before it.
        QTest::newRow("264: checksum alone in the last block")
            << 264 << bytes("FF 09 0A 01 00 00 13 01") << QList<int>{264, 2}
            << QList<int>{0, 0, 99, 100};
        QTest::newRow("262: one block of 264")
            << 262 << bytes("FF 09 08 01 00 00 11 01") << QList<int>{264} << QList<int>{0, 0, 100};
        QTest::newRow("600") << 600 << bytes("FF 09 5A 02 00 00 64 01") << QList<int>{264, 264, 74}
                             << QList<int>{0, 0, 43, 87, 100};
    }

    void blockSizesAndProgress()
    {
        QFETCH(int, size);
        QFETCH(QByteArray, header);
        QFETCH(QList<int>, blocks);
        QFETCH(QList<int>, progress);

        Rig rig;
        const QByteArray file = fileOf(size);
        rig.start(file);
        QCOMPARE(rig.sink.frames.value(0), header);
        for (int i = 0; i <= blocks.size(); ++i)
            rig.read("{");
        QCOMPARE(rig.completions, 1);

        QList<int> sizes;
        QByteArray image;
        for (const QByteArray& block : rig.sink.frames.mid(1)) {
            sizes.append(int(block.size()));
            image += block;
        }
        QCOMPARE(sizes, blocks);
        QCOMPARE(image.left(size), file); // blocks follow each other without gaps
        QCOMPARE(rig.progress, progress);
    }

    void refusedFramesAreSentAgainByteForByte()
    {
        Rig rig;
        rig.start(fileOf(600));
        const QByteArray header = rig.sink.frames.last();
        rig.read("d");
        QCOMPARE(rig.sink.frames.size(), 2);
        QCOMPARE(rig.sink.frames.last(), header);

        rig.read("{");
        const QByteArray first = rig.sink.frames.last();
        QCOMPARE(first, fileOf(600).left(264));
        // Other bytes change nothing; the 'd' among them repeats the block.
        rig.read(bytes("00 FF 7A 65 64 41"));
        QCOMPARE(rig.sink.frames.size(), 4);
        QCOMPARE(rig.sink.frames.last(), first);
        rig.read(bytes("00 FF 7A"));
        QCOMPARE(rig.sink.frames.size(), 4);

        rig.read("{");
        QCOMPARE(rig.sink.frames.last(), fileOf(600).mid(264, 264));
        QCOMPARE(rig.upload.remaining(), uint32_t(602 - 528));
    }

    void refusedLastBlockIsSentAgain()
    {
        Rig rig;
        rig.start(fileOf(10));
        rig.read("{");
        QCOMPARE(rig.sink.frames.size(), 2);
        rig.read("d");
        QCOMPARE(rig.sink.frames.size(), 3);
        QCOMPARE(rig.sink.frames[2], rig.sink.frames[1]);
        QCOMPARE(rig.completions, 0);
        rig.read("{");
        QCOMPARE(rig.completions, 1);
        rig.read("d"); // after the completion: nothing more
        QCOMPARE(rig.sink.frames.size(), 3);
    }

    void completionRunsOncePerRead()
    {
        Rig rig;
        rig.start(fileOf(20));
        rig.read("{");
        // Further '{' after the completing one, then a data frame: the
        // completion runs once and the frame is decoded in the same read.
        rig.read(QByteArray("{{{d{") + bytes("FF 01 01 02 01 05"));
        QCOMPARE(rig.completions, 1);
        QCOMPARE(rig.sink.frames.size(), 2);
        QCOMPARE(rig.dataFrames, 1);
        QVERIFY(!rig.upload.active());
        QCOMPARE(rig.upload.state(), FirmwareUpload::Idle);
    }

    void oddLengthFileIsSentUnchanged()
    {
        Rig rig;
        rig.start(bytes("01 02 03"));
        // acc = 3 + 2, + 0x0201, + 0x0003 (padded with 0x00) = 0x0209.
        QCOMPARE(rig.sink.frames.last(), bytes("FF 09 05 00 00 00 0D 01"));
        rig.read("{");
        QCOMPARE(rig.sink.frames.last(), bytes("01 02 03 09 02"));
        QCOMPARE(firmwareChecksum(bytes("01 02 03")), uint16_t(0x0209));
    }

    void checksumFoldsOncePerWord()
    {
        // acc = 6, + 0xFFFF = 0x10005 - 0xFFFE = 7, + 0xFFFF - 0xFFFE = 8.
        QCOMPARE(firmwareChecksum(bytes("FF FF FF FF")), uint16_t(0x0008));
        // A start value above 0xFFFF (files over 64 KB) folds at the first
        // word, not before it.
        QCOMPARE(firmwareChecksum(QByteArray(70000, '\0')), uint16_t(70002 - 0xFFFE));
    }

    void upgradeAgainStartsAfresh()
    {
        Rig rig;
        rig.start(fileOf(600));
        rig.read("{");
        rig.start(fileOf(1));
        QCOMPARE(rig.sink.frames.last(), bytes("FF 09 03 00 00 00 0B 01"));
        rig.read("{");
        QCOMPARE(rig.sink.frames.last().size(), 3);
        rig.read("{");
        QCOMPARE(rig.completions, 1);
    }

    void acknowledgementsWithoutAnUploadChangeNothing()
    {
        Rig rig;
        rig.parser.setRequestMode(RequestUpload);
        rig.read("{{d{");
        QCOMPARE(rig.completions, 0);
        QVERIFY(rig.sink.frames.isEmpty());
    }
    // Any answer, '{' or 'd', starts the 30 s afresh; stopped, the upload
    // sends nothing more and takes no acknowledgement.
    void overdueAfterThirtySecondsWithoutAnswerAndStop()
    {
        Rig rig;
        qint64 now = 5'000;
        rig.upload.setClock([&now] { return now; });
        QVERIFY(!rig.upload.overdue());
        rig.start(fileOf(600));
        now += FirmwareUpload::kAnswerTimeoutMs - 1;
        QVERIFY(!rig.upload.overdue());
        rig.read("d");
        now += FirmwareUpload::kAnswerTimeoutMs - 1;
        QVERIFY(!rig.upload.overdue());
        now += 1;
        QVERIFY(rig.upload.overdue());
        rig.read("{");
        QVERIFY(!rig.upload.overdue());
        const qsizetype sent = rig.sink.frames.size();

        rig.upload.stop();
        QVERIFY(!rig.upload.active());
        now += 10 * FirmwareUpload::kAnswerTimeoutMs;
        QVERIFY(!rig.upload.overdue());
        rig.read("{d{");
        QCOMPARE(rig.sink.frames.size(), sent);
        QCOMPARE(rig.completions, 0);
        rig.start(fileOf(1)); // and "Upgrade" starts afresh
        QCOMPARE(rig.sink.frames.last(), bytes("FF 09 03 00 00 00 0B 01"));
    }
};

QTEST_GUILESS_MAIN(TestFirmwareUpload)
#include "test_firmware_upload.moc"
