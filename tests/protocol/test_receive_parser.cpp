#include "protocol/ReceiveParser.h"
#include "TestBytes.h"

#include <QTest>

#include <functional>

using namespace obr9;

namespace {

// Records every parser event as a short text, in order.
class EventLog : public ParserListener {
public:
    void bytesReceived() override { events << QStringLiteral("bytes"); }
    void uploadStep() override { ++uploadSteps; }
    void parserDiagnostics(const ParserDiagnostics& d) override { lastDiagnostics = d; }
    void dataFrame(uint8_t type, const uint8_t* payload, int length) override
    {
        events << QStringLiteral("frame %1 %2").arg(type).arg(QString::fromLatin1(
                      QByteArray(reinterpret_cast<const char*>(payload), qMax(length, 1))
                          .toHex(' ')));
    }
    void identificationVersion(uint8_t v) override { events << QStringLiteral("version %1").arg(v); }
    void voltageIntervalIndex(uint8_t i) override { events << QStringLiteral("volt %1").arg(i); }
    void temperatureIntervalIndex(uint8_t i) override { events << QStringLiteral("temp %1").arg(i); }
    void loginRefused() override { events << QStringLiteral("refused"); }
    void settingsRecordReceived(const uint8_t* record, int size) override
    {
        this->record = QByteArray(reinterpret_cast<const char*>(record), size);
        events << QStringLiteral("record");
    }
    void uploadAcknowledged(bool accepted) override
    {
        events << (accepted ? QStringLiteral("ack") : QStringLiteral("nak"));
        if (onAck)
            onAck(accepted);
    }

    QStringList withoutBytes() const
    {
        QStringList result = events;
        result.removeAll(QStringLiteral("bytes"));
        return result;
    }

    QStringList events;
    QByteArray record;
    int uploadSteps = 0;
    ParserDiagnostics lastDiagnostics;
    std::function<void(bool)> onAck;
};

class MessageLog : public Reporter {
public:
    void report(const OperatorMessage& message) override
    {
        messages << message;
        if (whileShown)
            whileShown();
    }
    QList<OperatorMessage> messages;
    std::function<void()> whileShown;
};

struct Fixture {
    EventLog log;
    MessageLog reporter;
    ReceiveParser parser{&log, &reporter};

    void read(const QByteArray& data) { parser.acceptRead(u8(data), int(data.size())); }
    void bytePerRead(const QByteArray& data)
    {
        for (char c : data)
            read(QByteArray(1, c));
    }
};

const QByteArray kIoFrame = bytes("FF 01 01 02 01 05");
const QByteArray kIdentification = bytes("FF FE 01 0A 00 02 03");

} // namespace

class TestReceiveParser : public QObject {
    Q_OBJECT
private slots:
    void dataFrameSplitOverSixReads()
    {
        Fixture f;
        for (int i = 0; i < kIoFrame.size(); ++i) {
            f.read(kIoFrame.mid(i, 1));
            QCOMPARE(f.log.withoutBytes().size(), i == kIoFrame.size() - 1 ? 1 : 0);
        }
        QCOMPARE(f.log.withoutBytes(), QStringList{"frame 2 05"});
    }

    void dataMachineSkipsAnswersAndUnknownTypes()
    {
        Fixture f;
        f.read(kIdentification + bytes("AA 55") + bytes("FF 01 01 07 02 AA BB") + kIoFrame);
        // The answer header sends the machine back to state 0; type 7 is
        // consumed whole (its FF-free payload), the next FF starts a frame.
        QCOMPARE(f.log.withoutBytes(), (QStringList{"frame 7 aa bb", "frame 2 05"}));
        QCOMPARE(f.parser.requestMode(), uint8_t(RequestData));
    }

    void zeroLengthFrameTakesOneByte()
    {
        Fixture f;
        f.read(bytes("FF 01 01 02 00 09") + kIoFrame);
        QCOMPARE(f.log.withoutBytes(), (QStringList{"frame 2 09", "frame 2 05"}));
    }

    void payloadMayHoldStartMarkers()
    {
        Fixture f;
        f.bytePerRead(bytes("FF 01 01 04 02 FF FE") + kIoFrame);
        QCOMPARE(f.log.withoutBytes(), (QStringList{"frame 4 ff fe", "frame 2 05"}));
    }

    void identificationAnswerInOneRead()
    {
        Fixture f;
        f.parser.setRequestMode(RequestAnswer);
        f.read(kIdentification);
        QCOMPARE(f.log.withoutBytes(), (QStringList{"version 10", "volt 2", "temp 3"}));
        QCOMPARE(f.parser.requestMode(), uint8_t(RequestData));
    }

    void identificationAnswerSplitShowsOnlyTheVersion()
    {
        Fixture f;
        f.parser.setRequestMode(RequestAnswer);
        f.read(kIdentification.left(4));
        f.read(kIdentification.mid(4));
        QCOMPARE(f.log.withoutBytes(), QStringList{"version 10"});
        QCOMPARE(f.parser.requestMode(), uint8_t(RequestAnswer));
    }

    void dataFrameAfterAnswerInSameReadIsDecoded()
    {
        Fixture f;
        f.parser.setRequestMode(RequestAnswer);
        f.read(kIdentification + kIoFrame);
        QCOMPARE(f.log.withoutBytes(),
                 (QStringList{"version 10", "volt 2", "temp 3", "frame 2 05"}));
    }

    void dataFramesAreNotDecodedWhileAnAnswerIsAwaited()
    {
        Fixture f;
        f.parser.setRequestMode(RequestAnswer);
        f.read(kIoFrame + kIoFrame);
        QVERIFY(f.log.withoutBytes().isEmpty());
        QCOMPARE(f.parser.requestMode(), uint8_t(RequestAnswer));
    }

    void refusedLoginIsReportedAfterTheCall()
    {
        Fixture f;
        f.parser.setRequestMode(RequestAnswer);
        QByteArray answer = bytes("FF FE 00 12 34 FE 00");
        memcpy(f.parser.receiveBuffer(), answer.constData(), size_t(answer.size()));
        f.parser.Analizuj(int(answer.size()));
        QCOMPARE(f.log.withoutBytes(), QStringList{"refused"});
        QVERIFY(f.reporter.messages.isEmpty()); // nothing modal inside the parser
        QVERIFY(f.parser.hasPendingMessages());
        QCOMPARE(f.parser.requestMode(), uint8_t(RequestData));
        f.parser.flushMessages();
        QCOMPARE(f.reporter.messages, QList<OperatorMessage>{kLoginRefusedMessage});
        QCOMPARE(kLoginRefusedMessage.text, QStringLiteral("nieprawidlowa nazwa uzytkownika lub haslo"));
        QCOMPARE(kLoginRefusedMessage.caption, QStringLiteral("haslo"));
        f.parser.flushMessages();
        QCOMPARE(f.reporter.messages.size(), 1);
    }

    // A message box pumps socket notifications. A read arriving then must be
    // parsed on its own, after the read that raised the box, and must not
    // disturb the state the first read left.
    void readDuringMessageBoxIsParsedInTurn()
    {
        Fixture f;
        f.parser.setRequestMode(RequestAnswer);
        int nestedTaken = -1;
        f.reporter.whileShown = [&] {
            f.reporter.whileShown = nullptr;
            const QByteArray nested = kIoFrame.left(4);
            nestedTaken = f.parser.acceptRead(u8(nested), int(nested.size()));
            // Queued, not parsed on top of the read that raised the box.
            QCOMPARE(f.log.events.count("bytes"), 1);
        };
        f.read(bytes("FF FE 00 FE 00") + kIoFrame);
        QCOMPARE(nestedTaken, 4);
        f.read(kIoFrame.mid(4));
        // The frame after the refusal in the first read, then the frame that
        // the nested read started and the last read finished.
        QCOMPARE(f.log.withoutBytes(), (QStringList{"refused", "frame 2 05", "frame 2 05"}));
        QCOMPARE(f.reporter.messages.size(), 1);
    }

    void acceptedLoginNeedsTheByteAfterTheRecord()
    {
        QByteArray record(145, '\0');
        for (int i = 0; i < record.size(); ++i)
            record[i] = char(i * 7 + 1);
        const QByteArray head = bytes("FF FE 00 33 FE 01");

        Fixture f;
        f.parser.setRequestMode(RequestAnswer);
        f.read(head + record);
        QVERIFY(!f.log.events.contains("record"));
        QCOMPARE(f.parser.requestMode(), uint8_t(RequestAnswer));

        Fixture g;
        g.parser.setRequestMode(RequestAnswer);
        g.read(head + record + bytes("5A"));
        QCOMPARE(g.log.record, record);
        QCOMPARE(g.parser.requestMode(), uint8_t(RequestData));
        QVERIFY(g.reporter.messages.isEmpty());
    }

    void answerMustArriveInOneRead()
    {
        Fixture f;
        f.parser.setRequestMode(RequestAnswer);
        f.read(bytes("FF FE"));
        f.read(bytes("01 0A 00 02 03"));
        QVERIFY(f.log.withoutBytes().isEmpty());
        f.read(bytes("FF FE 02 FF FE 01 0B 00 01 01"));
        QCOMPARE(f.log.withoutBytes(), (QStringList{"version 11", "volt 1", "temp 1"}));
    }

    void emptyCallRunsOnlyPerCallSteps()
    {
        Fixture f;
        f.parser.Analizuj(0);
        QVERIFY(f.log.events.isEmpty());
        QCOMPARE(f.log.uploadSteps, 1);
        f.read(kIoFrame);
        QCOMPARE(f.log.events.count("bytes"), 1); // Analizuj(n) only, not Analizuj(0)
        QCOMPARE(f.log.uploadSteps, 3);
    }

    void resetRequestRestartsMidFrame()
    {
        Fixture f;
        f.read(kIoFrame.left(4));
        QCOMPARE(f.parser.parserState(), 4);
        f.parser.requestReset();
        f.read(kIoFrame);
        QCOMPARE(f.log.withoutBytes(), QStringList{"frame 2 05"});
        QVERIFY(!f.parser.resetRequested());
    }

    void diagnosticsAreWrittenBeforeTheBytes()
    {
        Fixture f;
        f.read(bytes("FF 01 01 01 D8 01 02 03"));
        // The last call (count 0) saw the state the bytes left.
        QCOMPARE(f.log.lastDiagnostics.payloadLength, 216);
        QCOMPARE(f.log.lastDiagnostics.payloadIndex, 3);
        QCOMPARE(f.log.lastDiagnostics.parserState, 5);
        QCOMPARE(f.log.lastDiagnostics.spareCounter, 0);
    }

    // An identification answer half received when the mode is set back to
    // data from outside leaves an answer state behind; data frames must
    // still be found.
    void leftoverAnswerStateActsAsStateZero()
    {
        Fixture f;
        f.parser.setRequestMode(RequestAnswer);
        f.read(kIdentification.left(5));
        QVERIFY(f.parser.parserState() > 5);
        f.parser.setRequestMode(RequestData);
        f.read(kIoFrame);
        QCOMPARE(f.log.withoutBytes(), (QStringList{"version 10", "frame 2 05"}));
    }

    void leftoverRecordStateCannotOverrunThePayload()
    {
        Fixture f;
        f.parser.setRequestMode(RequestAnswer);
        f.read(bytes("FF FE 00 FE 01") + QByteArray(144, 'x'));
        QCOMPARE(f.parser.parserState(), 5);
        QCOMPARE(f.parser.payloadIndex(), 144);
        f.parser.setRequestMode(RequestData);
        f.read(QByteArray(300, 'y'));
        QCOMPARE(f.parser.parserState(), 0);
        QVERIFY(f.parser.payloadIndex() <= ReceiveParser::kPayloadBufferSize);
    }

    void uploadAcknowledgements()
    {
        Fixture f;
        f.parser.setRequestMode(RequestUpload);
        f.read(QByteArray("x{d") + kIoFrame);
        QCOMPARE(f.log.withoutBytes(), (QStringList{"ack", "nak"}));
        QCOMPARE(f.log.uploadSteps, 2);
    }

    void uploadEndLetsTheDataMachineRerun()
    {
        Fixture f;
        f.parser.setRequestMode(RequestUpload);
        f.log.onAck = [&](bool) { f.parser.setRequestMode(RequestData); };
        f.read(QByteArray("{") + kIoFrame);
        QCOMPARE(f.log.withoutBytes(), (QStringList{"ack", "frame 2 05"}));
    }

    void readLargerThanTheBufferIsTakenInPortions()
    {
        Fixture f;
        QByteArray stream;
        while (stream.size() < 250000)
            stream += kIoFrame;
        int offset = 0;
        int reads = 0;
        while (offset < stream.size()) {
            const int taken = f.parser.acceptRead(u8(stream) + offset, int(stream.size() - offset));
            QVERIFY(taken > 0 && taken <= ReceiveParser::kReceiveBufferSize);
            offset += taken;
            ++reads;
        }
        QCOMPARE(reads, 3);
        QCOMPARE(f.log.withoutBytes().size(), int(stream.size() / kIoFrame.size()));
    }
};

QTEST_GUILESS_MAIN(TestReceiveParser)
#include "test_receive_parser.moc"
