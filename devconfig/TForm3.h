// Device settings: the controller's own LAN and RS-485 settings, filled from
// the record the controller sends after a login.
#pragma once

#include <QDialog>

class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
};
