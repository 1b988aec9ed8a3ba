// Where the settings file lives.
//
// Its home is beside the executable: the executable's full path with the
// extension replaced by ".ini" (/opt/obr9/obr9 -> /opt/obr9/obr9.ini,
// C:/obr9/obr9.exe -> C:/obr9/obr9.ini). An install folder the operator
// cannot write to would lose every setting at shutdown, so a file of the
// same name in the per-user configuration folder takes over then.
#pragma once

#include <QString>

namespace obr9 {

class IniFile;

class SettingsLocation {
public:
    SettingsLocation(QString executablePath, QString userConfigDir);
    // The running program's path and QStandardPaths::AppConfigLocation;
    // needs the application object.
    static SettingsLocation forApplication();

    // Replaces the last extension of the file name part; appends ".ini"
    // when the name has none.
    static QString iniPathFor(const QString& executablePath);

    QString besideExecutable() const { return m_beside; }
    QString perUser() const { return m_perUser; }

    // The file start-up reads: the one beside the executable, else the
    // per-user one; when both exist (an earlier shutdown could not write
    // beside the executable, a later one could), the more recently written,
    // the per-user one on equal times. Empty when there is no settings file.
    QString readPath() const;

    // Writes beside the executable, else into the per-user folder (created
    // when missing). Returns the path written, empty when both failed.
    QString save(const IniFile& ini) const;

private:
    QString m_beside;
    QString m_userDir;
    QString m_perUser;
};

} // namespace obr9
