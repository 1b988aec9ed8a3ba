#include "base/AddressHistory.h"

#include <QDir>
#include "TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace obr9;

class TestAddressHistory : public QObject {
    Q_OBJECT
private slots:
    void connectingRemembersAndRestartRestores()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const AddressHistory history(dir.path());
        QVERIFY(!history.read().has_value());

        QStringList items{"192.168.1.161"};
        QVERIFY(AddressHistory::remember(items, "10.0.0.7"));
        QVERIFY(!AddressHistory::remember(items, "192.168.1.161"));
        QVERIFY(AddressHistory::remember(items, "192.168.1.161 ")); // exact comparison
        QVERIFY(AddressHistory::remember(items, QString::fromLatin1("host-\xE9")));
        QVERIFY(!AddressHistory::remember(items, "10.0.0.7"));
        QCOMPARE(items, (QStringList{"192.168.1.161", "10.0.0.7", "192.168.1.161 ", QString::fromLatin1("host-\xE9")}));

        QVERIFY(history.write(items));
        QCOMPARE(fileBytes(dir.filePath("Ip addresses.txt")),
                 QByteArray("192.168.1.161\r\n10.0.0.7\r\n192.168.1.161 \r\nhost-\xE9\r\n"));
        QCOMPARE(history.read(), std::optional<QStringList>(items));

        QVERIFY(history.write({"1.2.3.4"})); // replaced, not appended
        QCOMPARE(history.read(), std::optional<QStringList>(QStringList{"1.2.3.4"}));
    }

    void lineEndsOfForeignFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("LF") << QByteArray("a\nb\n") << QStringList{"a", "b"};
        QTest::newRow("no final line end") << QByteArray("a\r\nb") << QStringList{"a", "b"};
        QTest::newRow("empty line kept") << QByteArray("a\r\n\r\nb\r\n") << QStringList{"a", "", "b"};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
    }

    void lineEndsOfForeignFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, items);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(writeBytes(dir.filePath("Ip addresses.txt"), content));
        QCOMPARE(AddressHistory(dir.path()).read(), std::optional<QStringList>(items));
    }

    void relativeNameAndWriteFailure()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QCOMPARE(AddressHistory().filePath(), QStringLiteral("Ip addresses.txt"));

        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        const bool written = AddressHistory().write({"a"});
        QDir::setCurrent(previous);
        QVERIFY(written);
        QCOMPARE(fileBytes(dir.filePath("Ip addresses.txt")), QByteArray("a\r\n"));

        QVERIFY(!AddressHistory(dir.filePath("Ip addresses.txt")).write({"a"})); // below a regular file
    }
};

QTEST_GUILESS_MAIN(TestAddressHistory)
#include "test_address_history.moc"
