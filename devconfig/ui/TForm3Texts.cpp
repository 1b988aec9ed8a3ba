// The settings dialog's fields as texts and item indexes, and back.
#include "devconfig/ui/TForm3.h"

#include "devconfig/SettingsRecord.h"
#include "devconfig/ui/ShownItem.h"
#include "devconfig/ui/TForm2.h"

#include <QCheckBox>
#include <QLineEdit>

using namespace obr9;

SettingsTexts TForm3::texts() const
{
    SettingsTexts t;
    t.dhcp = checkBox1_->isChecked();
    t.name = edit1_->text();
    t.ip = maskEdit1_->displayText();
    t.subnet = maskEdit4_->displayText();
    t.gateway = maskEdit5_->displayText();
    t.port = edit3_->text();
    t.mac = maskEdit2_->displayText();
    t.user = edit7_->text();
    t.password = edit8_->text();
    t.lanMode = shownItem(comboBox5_);
    t.destination = maskEdit7_->text();
    t.path = maskEdit9_->text();
    t.destinationUser = edit4_->text();
    t.destinationPassword = edit5_->text();
    t.dns = maskEdit8_->displayText();
    t.destinationPort = edit2_->text();
    t.baudIndex = shownItem(comboBox2_);
    t.transmitTime = maskEdit3_->displayText();
    t.bufferIndex = shownItem(comboBox3_);
    t.stopBitsIndex = shownItem(comboBox7_);
    t.dataBitsIndex = shownItem(comboBox6_);
    t.parity = shownItem(comboBox1_);
    t.rsMode = shownItem(comboBox4_);
    t.rsId = maskEdit6_->text();
    return t;
}

void TForm3::setTexts(const SettingsTexts& t)
{
    checkBox1_->setChecked(t.dhcp);
    edit1_->setText(t.name);
    maskEdit1_->setText(t.ip);
    maskEdit4_->setText(t.subnet);
    maskEdit5_->setText(t.gateway);
    edit3_->setText(t.port);
    maskEdit2_->setText(t.mac);
    edit7_->setText(t.user);
    edit8_->setText(t.password);
    showItem(comboBox5_, t.lanMode);
    maskEdit7_->setText(t.destination);
    maskEdit9_->setText(t.path);
    edit4_->setText(t.destinationUser);
    edit5_->setText(t.destinationPassword);
    maskEdit8_->setText(t.dns);
    edit2_->setText(t.destinationPort);
    showItem(comboBox2_, t.baudIndex);
    maskEdit3_->setText(t.transmitTime);
    showItem(comboBox3_, t.bufferIndex);
    showItem(comboBox7_, t.stopBitsIndex);
    showItem(comboBox6_, t.dataBitsIndex);
    showItem(comboBox1_, t.parity);
    showItem(comboBox4_, t.rsMode);
    maskEdit6_->setText(t.rsId);
}

void TForm3::fillFromRecord(const SettingsRecord& record)
{
    SettingsTexts t = texts();
    t.fill(record);
    setTexts(t);
    if (login_) {
        login_->hide();
        login_->close();
    }
    show();
    raise();
    activateWindow();
}

