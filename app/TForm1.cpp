#include "app/TForm1.h"

#include "base/AddressHistory.h"
#include "base/IniFile.h"
#include "devconfig/ui/TForm2.h"
#include "devconfig/ui/TForm3.h"
#include "measure/ui/DriverReadingTexts.h"
#include "measure/ui/ModulePage.h"
#include "measure/ui/TForm4.h"
#include "measure/ui/TForm5.h"
#include "mqtt/MqttPublisher.h"
#include "relay/ui/RelayPage.h"
#include "widgets/Named.h"
#include "widgets/PictureBox.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

using namespace obr9;

namespace {

// Modal boxes for the operator. Shown only once the parser call that raised
// them has returned.
class MessageBoxReporter : public Reporter {
public:
    explicit MessageBoxReporter(QWidget* parent)
        : parent_(parent)
    {
    }
    void report(const OperatorMessage& message) override
    {
        QMessageBox box(QMessageBox::NoIcon, message.caption, message.text, QMessageBox::Ok,
                        parent_);
        box.exec();
    }

private:
    QWidget* parent_;
};


} // namespace

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent)
    , defaultReporter_(std::make_unique<MessageBoxReporter>(this))
    , program_(std::make_unique<Program>())
    , pictures_(DriverPictures::make())
{
    setObjectName(QStringLiteral("Form1"));
    program_->setReporter(defaultReporter_.get());
    program_->setLinkBoxesInWindow(true);
    Reporter& reporter = program_->reporter();

    auto* central = new QWidget(this);
    setCentralWidget(central);
    pageControl1_ = named(new QTabWidget(central), "PageControl1");
    auto* driverPage = named(new QWidget, "TabSheet1");
    pageControl1_->addTab(driverPage, QStringLiteral("Driver"));
    relayPage_ = named(new RelayPage(program_->link(), reporter, RelayPictures::forApplication(),
                                     program_->relayModel()),
                       "TabSheet2");
    pageControl1_->addTab(relayPage_, QStringLiteral("VK8"));
    modulePage_ = new ModulePage(program_->hq2(), reporter);
    pageControl1_->addTab(modulePage_, QStringLiteral("HQ-2"));

    buildDriverPage(driverPage);
    buildConnectionGroup();
    buildHiddenControls();
    buildAlarms();
    connectProgram();
    pushLinkSettings();

    connect(pageControl1_, &QTabWidget::currentChanged, this, [this] { PageControl1Change(); });

    resize(1000, 690);
    setMinimumSize(820, 560);
    setStatusCaption(LinkText::deviceNotConnected);
}

TForm1::~TForm1()
{
    releaseAlarms();
    // The pages show the Program's models and go before them; then the
    // Program, whose links' last notifications still reach this window.
    delete modulePage_;
    delete relayPage_;
    modulePage_ = nullptr;
    relayPage_ = nullptr;
    program_.reset();
}

// Every report of the Program, shown here or in a page; the dialogs are
// wired in attachDialogs.
void TForm1::connectProgram()
{
    Program* p = program_.get();
    connect(p, &Program::statusChanged, this, &QWidget::setWindowTitle);
    connect(p, &Program::memoWritten, this, &TForm1::memoLine);
    ConnectionManager* link = &p->link();
    connect(link, &ConnectionManager::serverStatusChanged, label25_, &QLabel::setText);
    connect(link, &ConnectionManager::liveTimerCounted, this, [this](int seconds) {
        label41_->setText(QStringLiteral("LiveTimer=") + QString::number(seconds));
    });
    connect(link, &ConnectionManager::secondsCounted, this, [this](int seconds) {
        label75_->setText(QStringLiteral("sekundy=") + QString::number(seconds));
    });
    connect(p, &Program::connectSet, checkBoxConnect_, &QCheckBox::setChecked);
    connect(p, &Program::listenSet, checkBox2_, &QCheckBox::setChecked);
    connect(link, &ConnectionManager::addressUsed, this, [this](const QString& host) {
        if (hostIP_->findText(host, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
            hostIP_->addItem(host);
    });
    connect(p, &Program::settingsAllowed, button9_, &QWidget::setEnabled);
    connect(p, &Program::deviceIdentified, this, [this] { button9_->setEnabled(true); });
    connect(p, &Program::diagnosticsShown, this, &TForm1::showDiagnostics);
    MeasurementDecoder* decoder = &p->decoder();
    connect(decoder, &MeasurementDecoder::temperatureKindChanged, this, &TForm1::showSensorKind);
    connect(decoder, &MeasurementDecoder::inputsOutputsRead, this, &TForm1::showInputsOutputs);
    connect(decoder, &MeasurementDecoder::temperatureChannelRead, this, &TForm1::showChannel);
    connect(decoder, &MeasurementDecoder::temperatureHumidityRead, this,
            &TForm1::showTemperatureHumidity);
    connect(decoder, &MeasurementDecoder::voltageRead, this, &TForm1::showVoltage);
    connect(&p->recording(), &Recording::decimalSeparatorChanged, modulePage_,
            &ModulePage::setDecimalSeparator);
    for (QCheckBox* box : {recordIo_, recordTemperature_, recordVoltage_})
        connect(box, &QCheckBox::toggled, this, &TForm1::updateRecording);
}

void TForm1::attachDialogs(TForm2* login, TForm3* settings, TForm4* charts, TForm5* channels)
{
    form2_ = login;
    form3_ = settings;
    form4_ = charts;
    form5_ = channels;
    Program* p = program_.get();
    if (form4_) {
        MeasurementDecoder* decoder = &p->decoder();
        form4_->setReporter(&p->reporter());
        form4_->setDecimalSeparator(p->recording().decimalSeparator());
        connect(&p->recording(), &Recording::decimalSeparatorChanged, form4_,
                &TForm4::setDecimalSeparator);
        connect(decoder, &MeasurementDecoder::temperatureKindChanged, form4_,
                &TForm4::showSensorKind);
        connect(decoder, &MeasurementDecoder::temperatureChannelRead, form4_, &TForm4::showChannel);
        connect(decoder, &MeasurementDecoder::temperatureHumidityRead, form4_,
                &TForm4::showTemperatureHumidity);
        connect(p, &Program::voltageChartDue, form4_, &TForm4::redrawVoltage);
        connect(p, &Program::temperatureChartDue, form4_, &TForm4::RysujWykres);
    }
    if (form5_) {
        form5_->setHost(this);
        connect(p, &Program::voltageIntervalReported, form5_, &TForm5::showVoltageInterval);
        connect(p, &Program::temperatureIntervalReported, form5_,
                &TForm5::showTemperatureInterval);
        connect(&p->decoder(), &MeasurementDecoder::temperatureChannelRead, form5_,
                &TForm5::offerChannelName);
        connect(form5_, &TForm5::samplingShown, this, [this](int voltage, int temperature) {
            program_->recording().voltageIntervalIndex = voltage;
            program_->recording().temperatureIntervalIndex = temperature;
        });
        program_->recording().voltageIntervalIndex = form5_->voltageIntervals()->currentIndex();
        program_->recording().temperatureIntervalIndex =
            form5_->temperatureIntervals()->currentIndex();
        if (form4_) {
            connect(form5_, &TForm5::chartChoiceChanged, form4_, &TForm4::setChartChoice);
            form5_->announceChartChoice();
        }
    }
    if (form2_)
        form2_->attach(&p->deviceConfig());
    if (form3_)
        form3_->attach(&p->deviceConfig(), form2_);
    connect(button9_, &QPushButton::clicked, this, [this] { Button9Click(); });
}

void TForm1::setReporter(Reporter* reporter)
{
    program_->setReporter(reporter ? reporter : defaultReporter_.get());
}

// ---- start-up and shutdown ----------------------------------------------

void TForm1::startUp(const QStringList& arguments)
{
    rememberedPage_ = pageControl1_->currentIndex();
    program_->startUp(arguments.value(2));
    comboBoxPort_->addItem(QStringLiteral("COM3"));

    image1_->draw(pictures_.outputOff);
    image2_->draw(pictures_.outputOff);
    image3_->draw(pictures_.inputInactive);
    image4_->draw(pictures_.inputInactive);

    if (const std::optional<QStringList> addresses = AddressHistory().read()) {
        hostIP_->clear();
        hostIP_->addItems(*addresses);
    }
    bindSettings();
    readSettings();
    relayPage_->afterSettingsLoaded();
    modulePage_->afterSettingsLoaded();

    program_->startTimers();
    applyLayout();
}

std::optional<SettingsLocation>& TForm1::settingsLocationOverride()
{
    static std::optional<SettingsLocation> location;
    return location;
}

SettingsLocation TForm1::settingsLocation() const
{
    return settingsLocationOverride() ? *settingsLocationOverride()
                                      : SettingsLocation::forApplication();
}

// The main window's own keys; the pages bind theirs as they are built.
void TForm1::bindSettings()
{
    relayPage_->bindSettings(settingsKeys_);
    modulePage_->bindSettings(settingsKeys_);
    settingsKeys_.bind(
        QStringLiteral("pgCtrl"),
        [this](const SettingsValue& value) {
            if (value.number < 0 || value.number >= pageControl1_->count())
                return false;
            // Restored without the page lock noticing: the remembered page
            // stays the first one until the operator changes pages.
            const QSignalBlocker quiet(pageControl1_);
            pageControl1_->setCurrentIndex(value.number);
            program_->link().setLanRoute(lanRoute());
            return true;
        },
        [this] { return QString::number(pageControl1_->currentIndex()); });
}

void TForm1::readSettings()
{
    const QString path = settingsLocation().readPath();
    IniFile ini;
    const bool exists = !path.isEmpty() && ini.load(path);
    rejectedSettings_ = settingsKeys_.load(ini, exists);
    program_->alarms().loadSettings(ini);
    for (const QString& key : std::as_const(rejectedSettings_))
        memoLine(QStringLiteral("settings: %1 not used").arg(key));
    applyPollRate();
    // Publishing to the plant's broker when the file has an [MQTT] Host.
    if (exists)
        program_->startMqtt(MqttSettings::fromIni(ini));
}

void TForm1::applyPollRate()
{
    if (pageControl1_->currentIndex() == kRelayPage)
        timer1().setInterval(20);
    else if (pageControl1_->currentIndex() == kTemperatureModulePage)
        timer1().setInterval(1000);
}

void TForm1::FormClose()
{
    if (closed_)
        return;
    closed_ = true;

    QStringList addresses;
    for (int i = 0; i < hostIP_->count(); ++i)
        addresses.append(hostIP_->itemText(i));
    if (!AddressHistory().write(addresses))
        reporter().report({tr("The address history could not be written to \"%1\".")
                               .arg(AddressHistory().filePath()),
                           windowTitle()});

    // Keys this program does not handle (yet) stay as the file has them.
    const SettingsLocation location = settingsLocation();
    IniFile ini;
    ini.load(location.readPath());
    settingsKeys_.save(ini);
    program_->alarms().saveSettings(ini);
    if (location.save(ini).isEmpty())
        reporter().report({tr("The settings could not be saved to \"%1\" nor to \"%2\".")
                               .arg(location.besideExecutable(), location.perUser()),
                           windowTitle()});
}

void TForm1::closeEvent(QCloseEvent* event)
{
    FormClose();
    QMainWindow::closeEvent(event);
}

// ---- status and controls -------------------------------------------------

LanRoute TForm1::lanRoute() const
{
    return pageControl1_->currentIndex() == kTemperatureModulePage ? LanRoute::ModuleBus
                                                                   : LanRoute::Controller;
}

void TForm1::pushLinkSettings()
{
    ConnectionManager& link = program_->link();
    link.setPortText(comboBoxPort_->currentText());
    link.setHost(hostIP_->currentText());
    link.setTcpPort(editPort_->text());
    link.setSpeed(comboBoxSpeed_->currentText());
    link.setLanRoute(lanRoute());
    link.setClearSeconds(checkBox7_->isChecked());
}

void TForm1::memoLine(const QString& line) { debugMemo_->appendPlainText(line); }

// ---- handlers ------------------------------------------------------------

void TForm1::CheckBoxConnectClick()
{
    pushLinkSettings();
    program_->CheckBoxConnectClick(checkBoxConnect_->isChecked());
}

void TForm1::CheckBox2Click()
{
    pushLinkSettings();
    program_->CheckBox2Click(checkBox2_->isChecked());
}

void TForm1::ComboBoxPortDropDown()
{
    const QString text = comboBoxPort_->currentText();
    const QSignalBlocker quiet(comboBoxPort_);
    comboBoxPort_->clear();
    comboBoxPort_->addItems(program_->link().ComboBoxPortDropDown());
    comboBoxPort_->setEditText(text);
}

void TForm1::ComboBoxPortChange()
{
    const bool lan = comboBoxPort_->currentText() == LinkText::lan;
    program_->link().setPortText(comboBoxPort_->currentText());
    comboBoxSpeed_->setVisible(!lan);
    hostIP_->setVisible(lan);
    editPort_->setVisible(lan);
    label3_->setVisible(lan);
    label1_->setText(lan ? QStringLiteral("IP address") : QStringLiteral("RS baudrate"));
}

void TForm1::HostIPClick() { maskEdit1_->setText(hostIP_->currentText()); }

void TForm1::Image1DblClick()
{
    image1_->draw(program_->toggleOutput(true) ? pictures_.outputOn : pictures_.outputOff);
}

void TForm1::Image2DblClick()
{
    image2_->draw(program_->toggleOutput(false) ? pictures_.outputOn : pictures_.outputOff);
}

void TForm1::Button10Click() { program_->Button10Click(); }

void TForm1::Button9Click()
{
    if (form2_)
        form2_->show();
    program_->loginOpened();
    button9_->setEnabled(false);
}

void TForm1::Button12Click()
{
    if (form4_)
        form4_->showCharts();
}

void TForm1::Button13Click()
{
    if (form5_)
        form5_->show();
}
void TForm1::Timer1Timer() { program_->Timer1Timer(); }
void TForm1::Timer2Timer() { program_->Timer2Timer(); }

void TForm1::PageControl1Resize() { modulePage_->PageControl1Resize(pageControl1_->size()); }

void TForm1::PageControl1Change()
{
    if (checkBoxConnect_->isChecked()) {
        // No page changes while connected: the link feeds this page.
        if (pageControl1_->currentIndex() != rememberedPage_) {
            const QSignalBlocker quiet(pageControl1_);
            pageControl1_->setCurrentIndex(rememberedPage_);
        }
    } else {
        rememberedPage_ = pageControl1_->currentIndex();
    }
    program_->link().setLanRoute(lanRoute());
    applyPollRate();
}

// ---- what the Program reports --------------------------------------------

void TForm1::showDiagnostics(const ParserDiagnostics& d)
{
    label2_->setText(QStringLiteral("DTR=") + QString::number(d.payloadLength));
    label20_->setText(QStringLiteral("FBPtr=") + QString::number(d.spareCounter));
    label23_->setText(QStringLiteral("mode=") + QString::number(d.parserState));
    label24_->setText(QStringLiteral("ptr=") + QString::number(d.payloadIndex));
}

void TForm1::showSensorKind(obr9::TemperatureKind kind)
{
    const bool eight = kind == TemperatureKind::EightTemperatures;
    groupBox2_->resize(groupBox2_->width(), eight ? kTemperatureGroupEight : kTemperatureGroupSingle);
}

void TForm1::showInputsOutputs(const InputsOutputs& io)
{
    image3_->draw(io.in2Active ? pictures_.inputActive : pictures_.inputInactive);
    image4_->draw(io.in1Active ? pictures_.inputActive : pictures_.inputInactive);
    image1_->draw(io.out2On ? pictures_.outputOn : pictures_.outputOff);
    image2_->draw(io.out1On ? pictures_.outputOn : pictures_.outputOff);
}

DisplayFormat TForm1::numberFormat() const
{
    return DisplayFormat(program_->recording().decimalSeparator());
}

void TForm1::showChannel(int channel, const QString& name, float celsius)
{
    QLabel* label = temperatureLabels_[size_t(channel)];
    label->setEnabled(true);
    label->setText(DriverReadingTexts::channel(name, celsius, numberFormat()));
}

void TForm1::showTemperatureHumidity(float celsius, float humidityPercent)
{
    const DisplayFormat format = numberFormat();
    temperatureLabels_[0]->setText(DriverReadingTexts::temperature(celsius, format));
    temperatureLabels_[1]->setText(DriverReadingTexts::humidity(humidityPercent, format));
}

void TForm1::showVoltage(float volts)
{
    label18_->setText(DriverReadingTexts::voltage(volts, numberFormat()));
}

// Any one box records every kind: they are not tied to their files.
void TForm1::updateRecording()
{
    program_->recording().enabled = recordTemperature_->isChecked() ||
                                    recordVoltage_->isChecked() || recordIo_->isChecked();
}

// ---- channel and sampling settings ----------------------------------------

bool TForm1::linkChosen() const
{
    return checkBoxConnect_->isChecked() || checkBox2_->isChecked();
}

void TForm1::channelSettingsMemo(const QString& line) { memoLine(line); }
void TForm1::restartVoltageHistory() { program_->restartHistories(true, false); }
void TForm1::restartTemperatureHistory() { program_->restartHistories(false, true); }
void TForm1::sendChannelSettings(const QByteArray& frame) { program_->link().SendFrame(frame); }

void TForm1::relabelTemperatures(const std::array<QString, 8>& names)
{
    const DisplayFormat format = numberFormat();
    const DeviceState& state = program_->deviceState();
    for (size_t k = 0; k < names.size(); ++k)
        temperatureLabels_[k]->setText(
            DriverReadingTexts::renamedChannel(names[k], state.lastTemperatures[k], format));
}
