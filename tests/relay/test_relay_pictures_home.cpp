// Where the program finds its relay pictures: beside itself (build tree)
// or, installed, in ../share/obr9 of its folder.
#include "relay/ui/RelayPictures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace obr9;

class TestRelayPicturesHome : public QObject {
    Q_OBJECT
private slots:
    void besideTheProgramElseTheInstalledShareFolder()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QDir root(dir.path());
        QVERIFY(root.mkpath("usr/bin") && root.mkpath("usr/share/obr9/Icons"));
        QFile picture(root.filePath("usr/share/obr9/Icons/lamp_on.bmp"));
        QVERIFY(picture.open(QIODevice::WriteOnly));
        picture.close();
        const QString bin = root.filePath("usr/bin");

        const QString home = RelayPictures::pictureHomeFor(bin);
        QCOMPARE(home, root.filePath("usr/share/obr9"));
        const RelayPictures installed(home, root.filePath("elsewhere"));
        QCOMPARE(installed.iconNames(), QStringList{"lamp_on.bmp"});
        QCOMPARE(installed.locate("Icons/lamp_on.bmp"), root.filePath("usr/share/obr9/Icons/lamp_on.bmp"));

        // A folder of pictures beside the program wins (build tree, copies).
        QVERIFY(root.mkpath("usr/bin/Icons"));
        QCOMPARE(RelayPictures::pictureHomeFor(bin), bin);
        // Neither: the program's folder, as before.
        QCOMPARE(RelayPictures::pictureHomeFor(root.filePath("opt")), root.filePath("opt"));
    }
};

QTEST_MAIN(TestRelayPicturesHome)
#include "test_relay_pictures_home.moc"
