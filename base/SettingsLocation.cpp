#include "base/SettingsLocation.h"

#include "base/IniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace obr9 {

SettingsLocation::SettingsLocation(QString executablePath, QString userConfigDir)
    : m_beside(iniPathFor(executablePath))
    , m_userDir(std::move(userConfigDir))
    , m_perUser(QDir(m_userDir).filePath(QFileInfo(m_beside).fileName()))
{
}

SettingsLocation SettingsLocation::forApplication()
{
    return SettingsLocation(QCoreApplication::applicationFilePath(),
                            QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

QString SettingsLocation::iniPathFor(const QString& executablePath)
{
    const qsizetype nameStart = executablePath.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = executablePath.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot >= nameStart ? executablePath.left(dot) : executablePath;
    return stem + QStringLiteral(".ini");
}

QString SettingsLocation::readPath() const
{
    const QFileInfo beside(m_beside);
    const QFileInfo perUser(m_perUser);
    const bool hasBeside = beside.isFile();
    const bool hasPerUser = !m_userDir.isEmpty() && perUser.isFile();
    // A per-user file only comes into being when writing beside the
    // executable failed, so a tie in coarse file times goes to it.
    if (hasBeside && hasPerUser)
        return beside.lastModified() > perUser.lastModified() ? m_beside : m_perUser;
    if (hasBeside)
        return m_beside;
    if (hasPerUser)
        return m_perUser;
    return {};
}

QString SettingsLocation::save(const IniFile& ini) const
{
    if (ini.save(m_beside))
        return m_beside;
    if (m_userDir.isEmpty() || !QDir().mkpath(m_userDir))
        return {};
    return ini.save(m_perUser) ? m_perUser : QString();
}

} // namespace obr9
