// Device settings: the controller's own LAN and RS-485 settings, filled from
// the record the controller sends after a login, saved back in one frame,
// and the firmware upgrade with its progress bar.
#pragma once

#include "devconfig/DeviceSession.h"
#include "devconfig/FirmwareUpload.h"
#include "devconfig/SettingsTexts.h"

#include <QDialog>
#include <QTimer>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class TForm2;

class TForm3 : public QDialog, private obr9::FirmwareUploadListener {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
    ~TForm3() override;

    // The session whose link and parser the dialog uses, and the login
    // dialog it replaces when the record arrives.
    void attach(obr9::DeviceSession* session, TForm2* login);

    // The receive parser delivered the 145-byte record: fill, then show.
    void fillFromRecord(const uint8_t* record, int size);

    // The dialog's contents as texts and item indexes, and back.
    obr9::SettingsTexts texts() const;
    void setTexts(const obr9::SettingsTexts& texts);

    // "Save to device", "Cancel", "Upgrade".
    void Button1Click();
    void Button2Click();
    void Button3Click();
    // The second half of "Upgrade", once a file is chosen.
    void startUpload(const QString& path);
    // Replaces the open-file dialog (tests): gets the start directory,
    // returns the chosen path or an empty text for "cancel".
    std::function<QString(const QString&)> fileChooser;

    // Runs whenever the dialog closes, whatever closed it.
    void FormClose();
    // The link was dropped by the connection manager, which runs the
    // closing step itself: hide without running it a second time.
    void closeQuietly();

    void MaskEdit1Exit();
    void CheckBox1Click();

    // The receive parser's upload hooks.
    void uploadStep();
    void uploadAcknowledged(bool accepted);
    obr9::FirmwareUpload* upload() { return upload_.get(); }
    // Looks for an overdue upload twice a second while one runs.
    static constexpr int kUploadWatchMs = 500;
    // Ends a running upload: the bar goes back to 0 and the parser to data
    // frames. message: shown to the operator when not empty.
    void stopUpload(const QString& message);

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void uploadProgress(int percent) override;
    void uploadCompleted() override;
    void report(const QString& text, const QString& caption);

    obr9::DeviceSession* session_ = nullptr;
    TForm2* login_ = nullptr;
    std::unique_ptr<obr9::FirmwareUpload> upload_;
    bool quietClose_ = false;
    QTimer uploadWatch_;

    QCheckBox* checkBox1_ = nullptr;
    QLineEdit* edit1_ = nullptr;
    QLineEdit* maskEdit1_ = nullptr;
    QLineEdit* maskEdit4_ = nullptr;
    QLineEdit* maskEdit5_ = nullptr;
    QLabel* label3_ = nullptr;
    QLineEdit* edit3_ = nullptr;
    QLineEdit* maskEdit2_ = nullptr;
    QLineEdit* edit7_ = nullptr;
    QLineEdit* edit8_ = nullptr;
    QComboBox* comboBox5_ = nullptr;
    QLineEdit* maskEdit7_ = nullptr;
    QLineEdit* maskEdit9_ = nullptr;
    QLineEdit* edit4_ = nullptr;
    QLineEdit* edit5_ = nullptr;
    QLineEdit* maskEdit8_ = nullptr;
    QLineEdit* edit2_ = nullptr;
    QComboBox* comboBox2_ = nullptr;
    QLineEdit* maskEdit3_ = nullptr;
    QComboBox* comboBox3_ = nullptr;
    QComboBox* comboBox7_ = nullptr;
    QComboBox* comboBox6_ = nullptr;
    QComboBox* comboBox1_ = nullptr;
    QComboBox* comboBox4_ = nullptr;
    QLineEdit* maskEdit6_ = nullptr;
    QProgressBar* progressBar1_ = nullptr;
};
