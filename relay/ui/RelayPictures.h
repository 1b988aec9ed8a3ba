// Where relay output pictures come from. Settings keep them as "Icons/" +
// file name; the file is looked up in the working folder first and in the
// program's folder next, so a picture chosen from the list (which shows the
// program's folder) loads wherever the program was started from.
#pragma once

#include <QPixmap>
#include <QString>
#include <QStringList>

namespace obr9 {

class RelayPictures {
public:
    static constexpr int kWidth = 72;
    static constexpr int kHeight = 64;
    static inline const QString kFolderPrefix = QStringLiteral("Icons/");

    // programDir: the executable's folder; workDir: the working folder.
    RelayPictures(QString programDir, QString workDir);
    // The executable's folder, or the installed pictures' home.
    static RelayPictures forApplication();
    // Where the "Icons" folder of a program in executableDir is: beside it
    // (build tree, unpacked copy), else ../share/obr9 (cmake --install,
    // the Debian package); executableDir when neither has one.
    static QString pictureHomeFor(const QString& executableDir);

    // The file a relative path such as "Icons/lamp_on.bmp" names, or empty.
    QString locate(const QString& relativePath) const;
    // A null pixmap when the file is missing or unreadable (an empty name
    // names the folder itself and fails too).
    QPixmap load(const QString& relativePath) const;
    // Picture file names (*.bmp) offered by the icon lists, sorted.
    QStringList iconNames() const;

    // The empty 72 x 64 picture every output starts with.
    static QPixmap blank();

private:
    QString programDir_;
    QString workDir_;
};

} // namespace obr9
