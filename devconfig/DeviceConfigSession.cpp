#include "devconfig/DeviceConfigSession.h"

#include "base/DeviceText.h"
#include "base/Reporter.h"
#include "devconfig/SettingsFrame.h"
#include "protocol/Frames.h"
#include "protocol/ReceiveParser.h"

#include <QFile>
#include <QFileInfo>

#include <limits>

namespace obr9 {

namespace {

const QString kLoginCaption = QStringLiteral("Login");
const QString kSettingsCaption = QStringLiteral("Settings");
const QString kUploadCaption = QStringLiteral("wysylanie pliku");
const QString kUploadDone = QStringLiteral("Wysylanie pliku zakonczone powodzeniem");
const QString kUploadTimedOut =
    QStringLiteral("Wysylanie pliku przerwane: brak odpowiedzi sterownika przez 30 s");

} // namespace

DeviceConfigSession::DeviceConfigSession(DeviceSession& program, QObject* parent)
    : QObject(parent)
    , program_(program)
    , upload_(program.frames(), this)
{
    uploadWatch_.setInterval(kUploadWatchMs);
    connect(&uploadWatch_, &QTimer::timeout, this, &DeviceConfigSession::watchUpload);
}

bool DeviceConfigSession::logIn(const QString& user, const QString& password)
{
    for (const auto& [field, text] : {std::pair{QStringLiteral("User"), user},
                                      std::pair{QStringLiteral("Password"), password}}) {
        const int bad = firstUnencodable(text);
        if (bad >= 0) {
            report(unencodableMessage(field, text, bad), kLoginCaption);
            return false;
        }
    }
    const BuiltFrame request = loginRequest(deviceBytes(user), deviceBytes(password));
    if (!request.ok()) {
        report(request.error, kLoginCaption);
        return false;
    }
    program_.setRequestMode(RequestAnswer);
    program_.frames().SendFrame(request.bytes);
    return true;
}

void DeviceConfigSession::settingsRecordReceived(const uint8_t* record, int size)
{
    record_ = SettingsRecord::decode(record, size);
    open_ = true;
    // The dialog holds the link: the live timer stays at 0 meanwhile.
    program_.setSettingsDialogActive(true);
    emit settingsRecordRead(record_);
}

bool DeviceConfigSession::saveSettings(const SettingsTexts& texts)
{
    const BuiltFrame frame = settingsFrame(texts);
    if (!frame.ok()) {
        report(frame.error, kSettingsCaption);
        return false;
    }
    program_.setRequestMode(RequestAnswer);
    program_.frames().SendFrame(frame.bytes);
    // The controller takes up its new settings: the link goes. The frame
    // just written still leaves before the close.
    program_.closeClient(true);
    program_.dropLinks(true);
    close();
    program_.setRequestMode(RequestData);
    program_.setSettingsDialogActive(false);
    return true;
}

QString DeviceConfigSession::uploadFolder() const
{
    return QFileInfo(program_.chartFile()).absolutePath();
}

bool DeviceConfigSession::startUpload(const QString& path)
{
    QFile file(path);
    QByteArray data;
    bool ok = file.open(QIODevice::ReadOnly);
    if (ok) {
        data = file.readAll();
        ok = file.error() == QFileDevice::NoError;
    }
    if (!ok) {
        report(QStringLiteral("The file \"%1\" cannot be read: %2").arg(path, file.errorString()),
               kUploadCaption);
        return false;
    }
    // The header counts the file and its checksum in 32 bits.
    if (quint64(data.size()) > quint64(std::numeric_limits<uint32_t>::max()) - 2) {
        report(QStringLiteral("The file \"%1\" is too large to upload.").arg(path), kUploadCaption);
        return false;
    }
    program_.setChartFile(path);
    // A '{' or 'd' the controller sent before the header is no answer to it.
    program_.takeArrivedBytes();
    upload_.start(data);
    uploadWatch_.start();
    program_.setRequestMode(RequestUpload);
    program_.runParserOnce();
    return true;
}

void DeviceConfigSession::stopUpload(const QString& message)
{
    uploadWatch_.stop();
    if (!upload_.active())
        return;
    upload_.stop();
    emit uploadProgressed(0);
    program_.setRequestMode(RequestData);
    if (!message.isEmpty())
        report(message, kUploadCaption);
}

void DeviceConfigSession::watchUpload()
{
    if (upload_.overdue())
        stopUpload(kUploadTimedOut);
}

void DeviceConfigSession::close()
{
    if (!open_)
        return;
    open_ = false;
    // The operator gave up on a running upload; the closing step that
    // follows sends the close frame.
    stopUpload(QString());
    program_.deviceSettingsClosed();
    emit ended();
}

void DeviceConfigSession::linkDropped()
{
    if (!open_)
        return;
    open_ = false;
    stopUpload(QString());
    emit ended();
}

void DeviceConfigSession::uploadCompleted()
{
    uploadWatch_.stop();
    // Runs inside the parser call: the controller restarts with its new
    // firmware, so the link goes (the close frame of the closing step goes
    // to the closed client and is lost); the message waits until the call
    // is over.
    program_.closeClient(false);
    close();
    program_.dropLinks(false);
    program_.setRequestMode(RequestData);
    QTimer::singleShot(0, this, [this] { report(kUploadDone, kUploadCaption); });
}

void DeviceConfigSession::report(const QString& text, const QString& caption)
{
    program_.reporter().report({text, caption});
}

} // namespace obr9
