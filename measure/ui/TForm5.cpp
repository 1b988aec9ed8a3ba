#include "measure/ui/TForm5.h"

#include "base/DeviceText.h"
#include "base/LinkText.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

using namespace obr9;

namespace {

QString shownItem(const QComboBox* box)
{
    const int index = box->currentIndex();
    return index >= 0 ? box->itemText(index) : box->currentText();
}

} // namespace

TForm5::TForm5(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Temperature and voltage settings"));
    resize(470, 300);

    static const char* const editNames[8] = {"Edit3", "Edit4", "Edit5", "Edit6",
                                             "Edit1", "Edit2", "Edit7", "Edit8"};
    for (int k = 0; k < 8; ++k) {
        auto* caption = new QLabel(QStringLiteral("Chanel %1").arg(k + 1), this);
        caption->setGeometry(12, 14 + 30 * k, 70, 22);
        auto* edit = new QLineEdit(QStringLiteral("Temp%1").arg(k + 1), this);
        edit->setObjectName(QString::fromLatin1(editNames[k]));
        edit->setMaxLength(kTypedNameLength);
        // A longer name from the controller lifts the limit while it is
        // shown; once the operator's edits bring it down to the typing
        // limit, the limit is back.
        connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
            if (text.size() <= kTypedNameLength)
                edit->setMaxLength(kTypedNameLength);
        });
        edit->setGeometry(84, 12 + 30 * k, 150, 24);
        caption->setBuddy(edit);
        nameFields_[size_t(k)] = edit;
        connect(edit, &QLineEdit::textChanged, this, &TForm5::announceChartChoice);
    }

    auto* voltageCaption = new QLabel(QStringLiteral("Voltage sampling interval"), this);
    voltageCaption->setGeometry(250, 12, 210, 20);
    comboBox2_ = new QComboBox(this);
    comboBox2_->setObjectName(QStringLiteral("ComboBox2"));
    comboBox2_->setEditable(true);
    comboBox2_->setInsertPolicy(QComboBox::NoInsert);
    comboBox2_->addItems({QStringLiteral("10/s"), QStringLiteral("5/s"), QStringLiteral("1/s"),
                          QStringLiteral("1/2s"), QStringLiteral("1/10s")});
    comboBox2_->setCurrentIndex(-1);
    comboBox2_->setEditText(QStringLiteral("10/s"));
    comboBox2_->setGeometry(250, 34, 165, 26);

    auto* temperatureCaption = new QLabel(QStringLiteral("Temperature sampling interval"), this);
    temperatureCaption->setGeometry(250, 72, 210, 20);
    comboBox1_ = new QComboBox(this);
    comboBox1_->setObjectName(QStringLiteral("ComboBox1"));
    comboBox1_->addItems({QStringLiteral("1/s"), QStringLiteral("1/2s"), QStringLiteral("1/5s"),
                          QStringLiteral("1/10s"), QStringLiteral("1/30s"),
                          QStringLiteral("1/1min"), QStringLiteral("1/2min"),
                          QStringLiteral("1/5min"), QStringLiteral("1/10min"),
                          QStringLiteral("1/30min"), QStringLiteral("1/1h"),
                          QStringLiteral("1/2h"), QStringLiteral("1/5h"),
                          QStringLiteral("1/10h"), QString()});
    comboBox1_->setCurrentIndex(0);
    comboBox1_->setGeometry(250, 94, 165, 26);
    connect(comboBox2_, &QComboBox::editTextChanged, this, &TForm5::announceChartChoice);

    for (QComboBox* box : {comboBox1_, comboBox2_})
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            emit samplingShown(comboBox2_->currentIndex(), comboBox1_->currentIndex());
            announceChartChoice();
        });

    button1_ = new QPushButton(QStringLiteral("Save "), this);
    button1_->setObjectName(QStringLiteral("Button1"));
    button1_->setGeometry(250, 206, 80, 30);
    button1_->setAutoDefault(false);
    connect(button1_, &QPushButton::clicked, this, [this] { Button1Click(); });
    button2_ = new QPushButton(QStringLiteral("Cancel"), this);
    button2_->setObjectName(QStringLiteral("Button2"));
    button2_->setGeometry(335, 206, 80, 30);
    button2_->setAutoDefault(false);
    connect(button2_, &QPushButton::clicked, this, [this] { Button2Click(); });
}

std::array<QString, 8> TForm5::channelNames() const
{
    std::array<QString, 8> names;
    for (size_t k = 0; k < names.size(); ++k)
        names[k] = nameFields_[k]->text();
    return names;
}

QString TForm5::voltageItem() const { return shownItem(comboBox2_); }
QString TForm5::temperatureItem() const { return shownItem(comboBox1_); }

void TForm5::announceChartChoice()
{
    emit chartChoiceChanged(channelNames(), voltageItem(), temperatureItem());
}

void TForm5::Button1Click()
{
    if (!host_)
        return;
    if (!host_->linkChosen()) {
        host_->channelSettingsMemo(LinkText::noConnection);
        return;
    }

    const std::array<QString, 8> names = channelNames();
    for (size_t k = 0; k < names.size(); ++k) {
        const int bad = firstUnencodable(names[k]);
        if (bad >= 0) {
            host_->channelSettingsMemo(
                unencodableMessage(QStringLiteral("Chanel %1").arg(k + 1), names[k], bad));
            return;
        }
    }

    const int voltageIndex = comboBox2_->currentIndex();
    const int temperatureIndex = comboBox1_->currentIndex();
    const SamplingChoice::Changes changes = saved_.save(voltageIndex, temperatureIndex);
    if (changes.voltage)
        host_->restartVoltageHistory();
    if (changes.temperature)
        host_->restartTemperatureHistory();

    std::array<QByteArray, 8> nameBytes;
    for (size_t k = 0; k < names.size(); ++k)
        nameBytes[k] = deviceBytes(names[k]);
    host_->sendChannelSettings(channelSettingsFrame(voltageIndex, temperatureIndex, nameBytes));
    host_->relabelTemperatures(names);
}

void TForm5::setChannelName(int channel, const QString& name)
{
    QLineEdit* edit = nameFields_[size_t(channel)];
    edit->setMaxLength(std::max(kTypedNameLength, int(name.size())));
    edit->setText(name);
}

void TForm5::showVoltageInterval(int index) { comboBox2_->setCurrentIndex(index); }
void TForm5::showTemperatureInterval(int index) { comboBox1_->setCurrentIndex(index); }

void TForm5::offerChannelName(int channel, const QString& name)
{
    if (!isVisible())
        setChannelName(channel, name);
}

void TForm5::Button2Click()
{
    hide();
}
