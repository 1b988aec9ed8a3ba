// The device-configuration conversation with the controller: the login
// request, the settings record an accepted login brings, the settings frame
// and the firmware upload with its watchdog. The login and settings dialogs
// show what it reports and hand it the operator's input; it reads no window,
// so a program without windows configures a controller the same way.
#pragma once

#include "devconfig/DeviceSession.h"
#include "devconfig/FirmwareUpload.h"
#include "devconfig/SettingsRecord.h"
#include "devconfig/SettingsTexts.h"

#include <QObject>
#include <QTimer>

namespace obr9 {

class DeviceConfigSession : public QObject, private FirmwareUploadListener {
    Q_OBJECT
public:
    // Looks for an overdue upload twice a second while one runs.
    static constexpr int kUploadWatchMs = 500;

    // program: the links, the parser and the reporter; it outlives the
    // session, and its frame sink exists already.
    explicit DeviceConfigSession(DeviceSession& program, QObject* parent = nullptr);

    // "OK" of the login dialog: the login request goes out and a command
    // answer is awaited. A text the controller cannot hold is reported and
    // nothing is sent (false).
    bool logIn(const QString& user, const QString& password);

    // The receive parser's events: the record of an accepted login, the
    // upload step at the start of every parser call, each '{' or 'd'.
    void settingsRecordReceived(const uint8_t* record, int size);
    void uploadStep() { upload_.step(); }
    void uploadAcknowledged(bool accepted) { upload_.acknowledged(accepted); }

    // The record of the last accepted login.
    const SettingsRecord& record() const { return record_; }
    // From an accepted login until the dialog's closing step or the link's
    // end: the dialog is up.
    bool isOpen() const { return open_; }

    // "Save to device": every field is checked before anything changes (a
    // refusal is reported, false). Then the frame goes out, the client link
    // closes after it, "connect" and "listen" drop, and the session ends.
    bool saveSettings(const SettingsTexts& texts);

    // The folder the file dialog of "Upgrade" starts in.
    QString uploadFolder() const;
    // "Upgrade" with its file chosen: the file is read whole first; one that
    // cannot be read, or is too large for the header, is reported and
    // changes nothing (false). Replaces a running upload.
    bool startUpload(const QString& path);
    // Ends a running upload: the bar back to 0, the parser back to data
    // frames. message: shown to the operator when not empty.
    void stopUpload(const QString& message);
    FirmwareUpload& upload() { return upload_; }

    // The dialog's closing step, however it closed: a running upload ends,
    // then the close frame or the memo line. Runs once per open dialog.
    void close();
    // The connection manager dropped the link and ran the closing step
    // itself: the dialog only hides.
    void linkDropped();

    // Where the dialogs' messages go.
    Reporter& reporter() { return program_.reporter(); }

signals:
    // Fills and shows the settings dialog.
    void settingsRecordRead(const obr9::SettingsRecord& record);
    // ProgressBar1, 0..100.
    void uploadProgressed(int percent);
    // The session is over (closed, saved, uploaded or dropped with the
    // link): the dialog hides without a closing step of its own.
    void ended();

private:
    void uploadProgress(int percent) override { emit uploadProgressed(percent); }
    void uploadCompleted() override;
    void watchUpload();
    void report(const QString& text, const QString& caption);

    DeviceSession& program_;
    FirmwareUpload upload_;
    QTimer uploadWatch_;
    SettingsRecord record_;
    bool open_ = false;
};

} // namespace obr9
