// Device settings: the controller's own LAN and RS-485 settings, filled from
// the record the controller sends after a login, saved back in one frame,
// and the firmware upgrade with its progress bar.
#pragma once

#include "devconfig/SettingsTexts.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QProgressBar;
class TForm2;

namespace obr9 {
class DeviceConfigSession;
struct SettingsRecord;
} // namespace obr9

class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
    ~TForm3() override;

    // The session the dialog shows and forwards to, and the login dialog it
    // replaces when the record arrives.
    void attach(obr9::DeviceConfigSession* session, TForm2* login);

    // The record of an accepted login: fill, then show.
    void fillFromRecord(const obr9::SettingsRecord& record);

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
    // The session ended without this dialog (saved, uploaded, or the link
    // dropped): hide without running the closing step a second time.
    void closeQuietly();

    void MaskEdit1Exit();
    void CheckBox1Click();

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QGroupBox* buildLanGroup();
    void buildAddressRows(QGridLayout* grid, int& row);
    void buildDestinationRows(QGridLayout* grid, int& row);
    QGroupBox* buildRsGroup();
    QLayout* buildButtons();
    void report(const QString& text, const QString& caption);

    obr9::DeviceConfigSession* session_ = nullptr;
    TForm2* login_ = nullptr;
    bool quietClose_ = false;

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
