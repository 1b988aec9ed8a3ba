#include "relay/ui/RelayPictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace obr9 {

RelayPictures::RelayPictures(QString programDir, QString workDir)
    : programDir_(std::move(programDir))
    , workDir_(std::move(workDir))
{
}

QString RelayPictures::pictureHomeFor(const QString& executableDir)
{
    const QDir beside(executableDir);
    if (beside.exists(kFolderPrefix))
        return beside.path();
    // Installed: <prefix>/bin/obr9 with the pictures in <prefix>/share/obr9/Icons.
    const QString installed = QDir::cleanPath(beside.filePath(QStringLiteral("../share/obr9")));
    if (QDir(installed).exists(kFolderPrefix))
        return installed;
    return beside.path();
}

RelayPictures RelayPictures::forApplication()
{
    return RelayPictures(pictureHomeFor(QCoreApplication::applicationDirPath()), QDir::currentPath());
}

QString RelayPictures::locate(const QString& relativePath) const
{
    for (const QString& base : {workDir_, programDir_}) {
        const QFileInfo candidate(QDir(base).filePath(relativePath));
        if (candidate.isFile())
            return candidate.filePath();
    }
    return {};
}

QPixmap RelayPictures::load(const QString& relativePath) const
{
    const QString path = locate(relativePath);
    return path.isEmpty() ? QPixmap() : QPixmap(path);
}

QStringList RelayPictures::iconNames() const
{
    QStringList names = QDir(QDir(programDir_).filePath(kFolderPrefix))
                            .entryList({QStringLiteral("*.bmp")}, QDir::Files, QDir::Name);
    names.sort(Qt::CaseInsensitive);
    return names;
}

QPixmap RelayPictures::blank()
{
    QPixmap pixmap(kWidth, kHeight);
    pixmap.fill(Qt::white);
    return pixmap;
}

} // namespace obr9
