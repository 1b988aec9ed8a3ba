#include "relay/RelayPictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace obr9 {

RelayPictures::RelayPictures(QString programDir, QString workDir)
    : programDir_(std::move(programDir))
    , workDir_(std::move(workDir))
{
}

RelayPictures RelayPictures::forApplication()
{
    return RelayPictures(QCoreApplication::applicationDirPath(), QDir::currentPath());
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
