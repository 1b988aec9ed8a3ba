// Windows-1250: literal bytes of the Polish letters, every byte back to
// itself, and the first character without a byte.
#include "base/Cp1250.h"
#include "base/DeviceText.h"

#include <QTest>

using namespace obr9;

class TestCp1250 : public QObject {
    Q_OBJECT
private slots:
    void polishLetters()
    {
        const QString all = QStringLiteral(u"\u0105\u0107\u0119\u0142\u0144\u00F3\u015B\u017A\u017C"
                                           u"\u0104\u0106\u0118\u0141\u0143\u00D3\u015A\u0179\u017B");
        const QByteArray bytes("\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF");
        QCOMPARE(cp1250::encode(all).bytes, bytes);
        QVERIFY(cp1250::encode(all).ok());
        QCOMPARE(cp1250::decode(bytes), all);
        QCOMPARE(deviceText(QByteArray("Kot\xB3ownia")), QStringLiteral(u"Kot\u0142ownia"));
    }

    void everyByteComesBack()
    {
        QByteArray bytes;
        for (int b = 0; b < 256; ++b)
            bytes.append(char(b));
        const QString text = cp1250::decode(bytes);
        QCOMPARE(text.size(), 256);
        QCOMPARE(text.left(128), QString::fromLatin1(bytes.left(128))); // ASCII as before
        QCOMPARE(cp1250::encode(text).bytes, bytes);
        QCOMPARE(cp1250::firstUnencodable(text), -1);
    }

    void unencodableIsReportedNotReplaced()
    {
        const QString text = QStringLiteral(u"ab\u00F1c\u0416");
        const cp1250::Encoded e = cp1250::encode(text);
        QCOMPARE(e.failedAt, 2);
        QVERIFY(!e.bytes.contains('?'));
        QCOMPARE(cp1250::firstUnencodable(text), 2);
        QVERIFY(unencodableMessage(QStringLiteral("User"), text, 2).contains("User"));
    }
};

QTEST_GUILESS_MAIN(TestCp1250)
#include "test_cp1250.moc"
