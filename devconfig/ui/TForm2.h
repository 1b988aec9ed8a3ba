// Login dialog: the controller checks user name and password before its
// settings can be edited. The program keeps no user or password of its own.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace obr9 {
class DeviceConfigSession;
}

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    // The session that sends the request and awaits the answer.
    void attach(obr9::DeviceConfigSession* session) { session_ = session; }

    // "OK": the login request goes out and a command answer is awaited.
    // The dialog stays open; the answer closes it or reports the refusal.
    void Button1Click();
    // "Anuluj": closes the dialog; "OBR-9 Settings" stays disabled.
    void Button2Click();

private:
    // User name and password share one 30-character budget.
    void limitTexts();

    obr9::DeviceConfigSession* session_ = nullptr;
    QLineEdit* edit1_ = nullptr;
    QLineEdit* edit2_ = nullptr;
};
