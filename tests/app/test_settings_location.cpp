#include "base/IniFile.h"
#include "base/SettingsLocation.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace obr9;

namespace {

IniFile sample(const QString& value)
{
    IniFile ini;
    ini.writeString("Settings", "pgCtrl", value);
    return ini;
}

QString pgCtrlIn(const QString& path)
{
    IniFile ini;
    return ini.load(path) ? ini.readString("Settings", "pgCtrl", "none") : QStringLiteral("unreadable");
}

bool touch(const QString& path, const QDateTime& time)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.setFileTime(time, QFileDevice::FileModificationTime);
}

} // namespace

class TestSettingsLocation : public QObject {
    Q_OBJECT
private slots:
    void iniPathReplacesTheExtension()
    {
        QCOMPARE(SettingsLocation::iniPathFor("/opt/obr9/obr9"), QStringLiteral("/opt/obr9/obr9.ini"));
        QCOMPARE(SettingsLocation::iniPathFor("/opt/obr9/obr9.exe"), QStringLiteral("/opt/obr9/obr9.ini"));
        QCOMPARE(SettingsLocation::iniPathFor("/opt/obr9/obr9.v2.bin"), QStringLiteral("/opt/obr9/obr9.v2.ini"));
        QCOMPARE(SettingsLocation::iniPathFor("/opt/my.tools/obr9"), QStringLiteral("/opt/my.tools/obr9.ini"));
        QCOMPARE(SettingsLocation::iniPathFor("C:/Program Files/OBR9/Obr9.exe"), QStringLiteral("C:/Program Files/OBR9/Obr9.ini"));
        const SettingsLocation location("/opt/obr9/obr9", "/home/op/.config/obr9");
        QCOMPARE(location.perUser(), QStringLiteral("/home/op/.config/obr9/obr9.ini"));
    }

    void besideTheExecutableWhenWritable()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const SettingsLocation location(dir.filePath("obr9"), dir.filePath("user/cfg"));
        QCOMPARE(location.readPath(), QString());
        QCOMPARE(location.save(sample("2")), dir.filePath("obr9.ini"));
        QCOMPARE(location.readPath(), dir.filePath("obr9.ini"));
        QVERIFY(!QDir(dir.filePath("user")).exists());
    }

    void userFolderWhenTheExecutableFolderCannotBeWritten()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        // A regular file where the install folder should be: nothing can be created below it.
        QFile blocker(dir.filePath("install"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const SettingsLocation location(dir.filePath("install/obr9"), dir.filePath("user/cfg"));
        const QString written = location.save(sample("2"));
        QCOMPARE(written, dir.filePath("user/cfg/obr9.ini"));
        QCOMPARE(location.readPath(), written);
        QCOMPARE(pgCtrlIn(written), QStringLiteral("2"));

        const SettingsLocation nowhere(dir.filePath("install/obr9"), dir.filePath("install/cfg"));
        QCOMPARE(nowhere.save(sample("2")), QString());
    }

    void userFolderWhenTheExecutableFolderIsReadOnly()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString install = dir.filePath("install");
        QVERIFY(QDir().mkpath(install));
        const SettingsLocation location(install + "/obr9", dir.filePath("user"));
        QVERIFY(location.save(sample("1")) == location.besideExecutable()); // the shipped file

        QVERIFY(QFile::setPermissions(install, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QFile probe(install + "/probe");
        const bool stillWritable = probe.open(QIODevice::WriteOnly);
        if (stillWritable) {
            probe.close();
            probe.remove();
        }
        const QString written = stillWritable ? QString() : location.save(sample("2"));
        QFile::setPermissions(install, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (stillWritable)
            QSKIP("permission bits do not stop this user from writing (root)");

        QCOMPARE(written, location.perUser());
        QCOMPARE(pgCtrlIn(location.besideExecutable()), QStringLiteral("1"));
        // The next start must see this shutdown's values, not the stale file beside the executable.
        QCOMPARE(location.readPath(), location.perUser());
        QCOMPARE(pgCtrlIn(location.readPath()), QStringLiteral("2"));
    }

    void bothFilesPresentTheNewerWins()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const SettingsLocation location(dir.filePath("obr9"), dir.filePath("user"));
        QVERIFY(QDir().mkpath(dir.filePath("user")));
        QVERIFY(sample("1").save(location.besideExecutable()));
        QVERIFY(sample("2").save(location.perUser()));

        const QDateTime now = QDateTime::currentDateTime();
        QVERIFY(touch(location.besideExecutable(), now.addSecs(-60)));
        QVERIFY(touch(location.perUser(), now));
        QCOMPARE(location.readPath(), location.perUser());
        QVERIFY(touch(location.besideExecutable(), now.addSecs(60)));
        QCOMPARE(location.readPath(), location.besideExecutable());

        QVERIFY(QFile::remove(location.besideExecutable()));
        QCOMPARE(location.readPath(), location.perUser());
    }
};

QTEST_GUILESS_MAIN(TestSettingsLocation)
#include "test_settings_location.moc"
