#include "app/TForm1.h"
#include "widgets/Named.h"

#include <utility>

#include "base/AddressHistory.h"
#include "widgets/DropDownComboBox.h"
#include "base/IniFile.h"
#include "widgets/PictureBox.h"
#include "devconfig/ui/TForm2.h"
#include "devconfig/ui/TForm3.h"
#include "measure/ui/TForm4.h"
#include "measure/ui/ModulePage.h"
#include "measure/ui/TForm5.h"
#include "relay/ui/RelayPage.h"
#include "protocol/Frames.h"

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

constexpr int kSidePanelWidth = 190; // right of the pages
constexpr int kBottomMargin = 50;    // below the pages
constexpr int kTemperatureGroupEight = 270;
constexpr int kTemperatureGroupSingle = 80;

} // namespace

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent)
    , decoder_(state_, temperatureHistory_, voltageHistory_, format_)
    , defaultReporter_(std::make_unique<MessageBoxReporter>(this))
    , gate_(defaultReporter_.get())
    , reporter_(&gate_)
    , pictures_(DriverPictures::make())
{
    setObjectName(QStringLiteral("Form1"));
    decoder_.setListener(this);
    link_ = std::make_unique<ConnectionManager>(static_cast<LinkControls&>(*this),
                                                static_cast<LinkListener&>(*this));
    link_->setParserListener(this);
    link_->setReporter(reporter_);

    auto* central = new QWidget(this);
    setCentralWidget(central);
    pageControl1_ = named(new QTabWidget(central), "PageControl1");
    auto* driverPage = named(new QWidget, "TabSheet1");
    pageControl1_->addTab(driverPage, QStringLiteral("Driver"));
    relayPage_ = named(new RelayPage(*link_, *reporter_, RelayPictures::forApplication()),
                       "TabSheet2");
    pageControl1_->addTab(relayPage_, QStringLiteral("VK8"));
    modulePage_ = new ModulePage(*reporter_);
    pageControl1_->addTab(modulePage_, QStringLiteral("HQ-2"));
    modulePage_->setDisplayFormat(&format_);
    modulePage_->setChartFileName(&chartFileName);
    modulePage_->moduleConnected = [this] {
        link_->temperatureModuleSeen = true;
        setStatusCaption(QStringLiteral("HQ2 connected"));
    };
    modulePage_->relayAnswer = [this](const uint8_t* frame) { relayPage_->applyStateAnswer(frame, 20); };
    modulePage_->pollIntervalChosen = [this](int milliseconds) { timer1_.setInterval(milliseconds); };
    moduleStreamSink = [this](const uint8_t* data, int count) {
        // The link forgets the module at each click of "connect"; the next
        // HQ-2 frame announces it again.
        if (!link_->temperatureModuleSeen)
            modulePage_->parser().clearTemperatureModuleSeen();
        modulePage_->parse(data, count);
    };
    chartSaveStep = [this] { modulePage_->chartSaveStep(); };
    gate_.setMemo([this](const QString& line) { memoLine(line); });

    buildDriverPage(driverPage);
    buildConnectionGroup();
    buildHiddenControls();

    connect(pageControl1_, &QTabWidget::currentChanged, this, [this] { PageControl1Change(); });
    connect(&timer1_, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(&timer2_, &QTimer::timeout, this, [this] { Timer2Timer(); });

    resize(1000, 690);
    setMinimumSize(820, 560);
    setStatusCaption(LinkText::deviceNotConnected);
}

TForm1::~TForm1()
{
    timer1_.stop();
    timer2_.stop();
    // The links go first: their last notifications still reach this window.
    link_.reset();
}

void TForm1::attachDialogs(TForm2* login, TForm3* settings, TForm4* charts, TForm5* channels)
{
    form2_ = login;
    form3_ = settings;
    form4_ = charts;
    form5_ = channels;
    if (form4_) {
        form4_->attachSources(&state_, &temperatureHistory_, &voltageHistory_);
        form4_->setReporter(reporter_);
        form4_->setDisplayFormat(&format_);
    }
    if (form5_)
        form5_->setHost(this);
    if (form2_)
        form2_->attach(this);
    if (form3_)
        form3_->attach(this, form2_);
    connect(button9_, &QPushButton::clicked, this, [this] { Button9Click(); });
}

void TForm1::setReporter(Reporter* reporter)
{
    gate_.setInner(reporter ? reporter : defaultReporter_.get());
    link_->setReporter(reporter_);
    relayPage_->setReporter(*reporter_);
    modulePage_->setReporter(*reporter_);
    if (form4_)
        form4_->setReporter(reporter_);
}

// ---- building ------------------------------------------------------------

void TForm1::buildConnectionGroup()
{
    QWidget* central = centralWidget();
    connectionGroup_ = named(new QGroupBox(QStringLiteral("Connection"), central), "GroupBox4");
    connectionGroup_->resize(175, 198);

    auto* port = named(new DropDownComboBox(connectionGroup_), "ComboBoxPort");
    port->setEditable(true);
    port->addItem(LinkText::lan);
    port->setEditText(LinkText::lan);
    port->setGeometry(10, 24, 155, 26);
    port->onDropDown = [this] { ComboBoxPortDropDown(); };
    comboBoxPort_ = port;
    connect(comboBoxPort_, &QComboBox::currentTextChanged, this, [this] { ComboBoxPortChange(); });

    label1_ = named(new QLabel(QStringLiteral("IP address"), connectionGroup_), "Label1");
    label1_->setGeometry(10, 56, 155, 18);
    hostIP_ = named(new QComboBox(connectionGroup_), "HostIP");
    hostIP_->setEditable(true);
    hostIP_->setInsertPolicy(QComboBox::NoInsert);
    hostIP_->addItem(QStringLiteral("192.168.1.161"));
    hostIP_->setGeometry(10, 76, 155, 26);
    connect(hostIP_, &QComboBox::activated, this, [this] { HostIPClick(); });

    comboBoxSpeed_ = named(new QComboBox(connectionGroup_), "ComboBoxSpeed");
    comboBoxSpeed_->setEditable(true);
    comboBoxSpeed_->addItems({QStringLiteral("9600"), QStringLiteral("115200"),
                              QStringLiteral("230400")});
    comboBoxSpeed_->setCurrentIndex(1);
    comboBoxSpeed_->setGeometry(10, 76, 155, 26);
    comboBoxSpeed_->hide();

    label3_ = named(new QLabel(QStringLiteral("Port"), connectionGroup_), "Label3");
    label3_->setGeometry(10, 108, 155, 18);
    editPort_ = named(new QLineEdit(QStringLiteral("8090"), connectionGroup_), "EditPort");
    editPort_->setGeometry(10, 128, 155, 26);

    checkBoxConnect_ = named(new QCheckBox(QStringLiteral("connect"), connectionGroup_),
                             "CheckBoxConnect");
    checkBoxConnect_->setGeometry(10, 162, 80, 22);
    connect(checkBoxConnect_, &QCheckBox::toggled, this, [this] { CheckBoxConnectClick(); });
    checkBox2_ = named(new QCheckBox(QStringLiteral("listen"), connectionGroup_), "CheckBox2");
    checkBox2_->setGeometry(92, 162, 75, 22);
    connect(checkBox2_, &QCheckBox::toggled, this, [this] { CheckBox2Click(); });
    // Reads "LAN" and a port; the serial choice shows the baud rate instead.
    setTabOrder(comboBoxPort_, hostIP_);

    button9_ = named(new QPushButton(QStringLiteral("OBR-9 Settings"), central), "Button9");
    button9_->setEnabled(false);
    button9_->resize(175, 30);

    checkBox1_ = named(new QCheckBox(QStringLiteral("autoconnect"), central), "CheckBox1");
    checkBox1_->setChecked(true);
    checkBox1_->resize(175, 22);

    label75_ = named(new QLabel(QStringLiteral("sekundy=0"), central), "Label75");
    label75_->resize(200, 20);
}

void TForm1::buildDriverPage(QWidget* page)
{
    groupBox1_ = named(new QGroupBox(QStringLiteral("I/O"), page), "GroupBox1");
    groupBox1_->setGeometry(12, 12, 330, 150);
    struct Picture {
        PictureBox** box;
        const char* name;
        const char* labelName;
        const char* caption;
        int x;
    };
    const Picture pictures[] = {{&image1_, "Image1", "Label13", "OUT2", 20},
                                {&image2_, "Image2", "Label14", "OUT1", 95},
                                {&image3_, "Image3", "Label15", "IN2", 180},
                                {&image4_, "Image4", "Label16", "IN1", 255}};
    for (const Picture& p : pictures) {
        auto* caption = named(new QLabel(QString::fromLatin1(p.caption), groupBox1_), p.labelName);
        caption->setGeometry(p.x, 24, 56, 18);
        caption->setAlignment(Qt::AlignHCenter);
        *p.box = named(new PictureBox(groupBox1_), p.name);
        (*p.box)->setGeometry(p.x + 4, 44, 48, 48);
    }
    image1_->setToolTip(tr("Double-click to switch OUT2"));
    image2_->setToolTip(tr("Double-click to switch OUT1"));
    connect(image1_, &PictureBox::doubleClicked, this, [this] { Image1DblClick(); });
    connect(image2_, &PictureBox::doubleClicked, this, [this] { Image2DblClick(); });
    recordIo_ = named(new QCheckBox(QStringLiteral("record"), groupBox1_), "CheckBox5");
    recordIo_->setGeometry(20, 112, 100, 22);

    groupBox2_ = named(new QGroupBox(QStringLiteral("Temperature"), page), "GroupBox2");
    groupBox2_->setGeometry(12, 172, 330, kTemperatureGroupEight);
    static const char* const labelNames[8] = {"Label17", "Label19", "Label21", "Label22",
                                              "Label37", "Label38", "Label39", "Label40"};
    for (int k = 0; k < 8; ++k) {
        auto* label = named(new QLabel(QStringLiteral("T%1= ---").arg(k + 1), groupBox2_),
                            labelNames[k]);
        label->setGeometry(14, 26 + 28 * k, 300, 22);
        QFont font = label->font();
        font.setPointSizeF(font.pointSizeF() * 1.15);
        label->setFont(font);
        temperatureLabels_[size_t(k)] = label;
    }
    recordTemperature_ = named(new QCheckBox(QStringLiteral("record"), groupBox2_), "CheckBox3");
    recordTemperature_->setGeometry(240, 0, 80, 22);
    recordTemperature_->raise();

    groupBox3_ = named(new QGroupBox(QStringLiteral("Voltage"), page), "GroupBox3");
    groupBox3_->setGeometry(356, 12, 220, 90);
    label18_ = named(new QLabel(QStringLiteral("--- V"), groupBox3_), "Label18");
    label18_->setGeometry(14, 26, 190, 30);
    QFont big = label18_->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    label18_->setFont(big);
    recordVoltage_ = named(new QCheckBox(QStringLiteral("record"), groupBox3_), "CheckBox4");
    recordVoltage_->setGeometry(14, 60, 100, 22);

    button12_ = named(new QPushButton(QStringLiteral("Charts"), page), "Button12");
    button12_->setGeometry(356, 114, 106, 30);
    connect(button12_, &QPushButton::clicked, this, [this] { Button12Click(); });
    button13_ = named(new QPushButton(QStringLiteral("Settings"), page), "Button13");
    button13_->setGeometry(470, 114, 106, 30);
    connect(button13_, &QPushButton::clicked, this, [this] { Button13Click(); });
}

void TForm1::buildHiddenControls()
{
    QWidget* central = centralWidget();
    debugMemo_ = named(new QPlainTextEdit(central), "DebugMemo");
    debugMemo_->setReadOnly(true);
    debugMemo_->hide();

    auto hiddenLabel = [central](const char* name, const QString& text) {
        auto* label = named(new QLabel(text, central), name);
        label->hide();
        return label;
    };
    label2_ = hiddenLabel("Label2", QStringLiteral("DTR=0"));
    label20_ = hiddenLabel("Label20", QStringLiteral("FBPtr=0"));
    label23_ = hiddenLabel("Label23", QStringLiteral("mode=0"));
    label24_ = hiddenLabel("Label24", QStringLiteral("ptr=0"));
    label25_ = hiddenLabel("Label25", LinkText::serverIdle);
    label41_ = hiddenLabel("Label41", QStringLiteral("LiveTimer=0"));

    button10_ = named(new QPushButton(QStringLiteral("check version"), central), "Button10");
    button10_->hide();
    connect(button10_, &QPushButton::clicked, this, [this] { Button10Click(); });

    maskEdit1_ = named(new QLineEdit(central), "MaskEdit1");
    maskEdit1_->setInputMask(QStringLiteral("!999.!999.!999.999;_"));
    maskEdit1_->setMaxLength(15);
    maskEdit1_->hide();

    checkBox7_ = named(new QCheckBox(QStringLiteral("clear"), central), "CheckBox7");
    checkBox7_->hide();
}

void TForm1::applyLayout()
{
    const int w = width();
    const int h = height();
    pageControl1_->setGeometry(4, 4, w - kSidePanelWidth, h - kBottomMargin);
    PageControl1Resize();
    const int x = w - kSidePanelWidth + 10;
    connectionGroup_->move(x, 4);
    button9_->move(x, 212);
    checkBox1_->move(x, 250);
    debugMemo_->setGeometry(x, 280, 175, h - 324);
    label75_->move(8, h - kBottomMargin + 12);
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    applyLayout();
}

// ---- start-up and shutdown ----------------------------------------------

void TForm1::startUp(const QStringList& arguments)
{
    timer1_.setInterval(1000);
    timer2_.setInterval(1000);
    rememberedPage_ = pageControl1_->currentIndex();

    link_->deviceAnswered = false;
    link_->liveTimer = 0;
    link_->settingsDialogActive = false;
    link_->temperatureModuleSeen = false;
    link_->parser().setRequestMode(RequestData);
    state_.temperatureKind = TemperatureNone;
    temperatureHistory_.restart();
    voltageHistory_.restart();

    comboBoxPort_->addItem(QStringLiteral("COM3"));
    chartFileName = arguments.value(2);

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

    timer1_.start();
    timer2_.start();
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
    for (const QString& key : std::as_const(rejectedSettings_))
        memoLine(QStringLiteral("settings: %1 not used").arg(key));
    applyPollRate();
}

void TForm1::applyPollRate()
{
    if (pageControl1_->currentIndex() == kRelayPage)
        timer1_.setInterval(20);
    else if (pageControl1_->currentIndex() == kTemperatureModulePage)
        timer1_.setInterval(1000);
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
        reporter_->report({tr("The address history could not be written to \"%1\".")
                               .arg(AddressHistory().filePath()),
                           windowTitle()});

    // Keys this program does not handle (yet) stay as the file has them.
    const SettingsLocation location = settingsLocation();
    IniFile ini;
    ini.load(location.readPath());
    settingsKeys_.save(ini);
    if (location.save(ini).isEmpty())
        reporter_->report({tr("The settings could not be saved to \"%1\" nor to \"%2\".")
                               .arg(location.besideExecutable(), location.perUser()),
                           windowTitle()});
}

void TForm1::closeEvent(QCloseEvent* event)
{
    FormClose();
    QMainWindow::closeEvent(event);
}

// ---- status and controls -------------------------------------------------

void TForm1::setStatusCaption(const QString& status)
{
    setWindowTitle(captionPrefix + status);
}

bool TForm1::connectChecked() const { return checkBoxConnect_->isChecked(); }
QString TForm1::portText() const { return comboBoxPort_->currentText(); }
QString TForm1::hostText() const { return hostIP_->currentText(); }
QString TForm1::tcpPortText() const { return editPort_->text(); }
QString TForm1::speedText() const { return comboBoxSpeed_->currentText(); }
int TForm1::activePage() const { return pageControl1_->currentIndex(); }
bool TForm1::clearSecondsChecked() const { return checkBox7_->isChecked(); }

void TForm1::statusCaption(const QString& status) { setStatusCaption(status); }
void TForm1::memoLine(const QString& line) { debugMemo_->appendPlainText(line); }
void TForm1::serverLabel(const QString& text) { label25_->setText(text); }

void TForm1::liveTimerShown(int seconds)
{
    label41_->setText(QStringLiteral("LiveTimer=") + QString::number(seconds));
}

void TForm1::secondsShown(int seconds)
{
    label75_->setText(QStringLiteral("sekundy=") + QString::number(seconds));
}

void TForm1::setConnectChecked(bool checked) { checkBoxConnect_->setChecked(checked); }
void TForm1::setListenChecked(bool checked) { checkBox2_->setChecked(checked); }

void TForm1::moduleBytes(const uint8_t* data, int count)
{
    if (moduleStreamSink)
        moduleStreamSink(data, count);
}

void TForm1::historyRestart()
{
    voltageHistory_.restart();
    temperatureHistory_.restart();
}

void TForm1::addressUsed(const QString& host)
{
    if (hostIP_->findText(host, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
        hostIP_->addItem(host);
}

void TForm1::settingsButtonEnabled(bool enabled) { button9_->setEnabled(enabled); }

void TForm1::closeDeviceSettings()
{
    if (form3_)
        form3_->closeQuietly();
}

void TForm1::dropLinks(bool listenToo)
{
    checkBoxConnect_->setChecked(false);
    if (listenToo)
        checkBox2_->setChecked(false);
}

void TForm1::chartSaveTick()
{
    if (chartSaveStep)
        chartSaveStep();
}

void TForm1::relayCountdownTick()
{
    relayPage_->countdownTick();
    if (relayCountdownStep)
        relayCountdownStep();
}

void TForm1::conversionError(const QString& message)
{
    reporter_->report({message, QStringLiteral("Error")});
}

void TForm1::linkError(const QString& message)
{
    memoLine(message);
    reporter_->report({message, windowTitle()});
}

// ---- handlers ------------------------------------------------------------

void TForm1::CheckBoxConnectClick() { link_->CheckBoxConnectClick(); }
void TForm1::CheckBox2Click() { link_->CheckBox2Click(checkBox2_->isChecked()); }

void TForm1::ComboBoxPortDropDown()
{
    const QString text = comboBoxPort_->currentText();
    const QSignalBlocker quiet(comboBoxPort_);
    comboBoxPort_->clear();
    comboBoxPort_->addItems(link_->ComboBoxPortDropDown());
    comboBoxPort_->setEditText(text);
}

void TForm1::ComboBoxPortChange()
{
    const bool lan = comboBoxPort_->currentText() == LinkText::lan;
    comboBoxSpeed_->setVisible(!lan);
    hostIP_->setVisible(lan);
    editPort_->setVisible(lan);
    label3_->setVisible(lan);
    label1_->setText(lan ? QStringLiteral("IP address") : QStringLiteral("RS baudrate"));
}

void TForm1::HostIPClick() { maskEdit1_->setText(hostIP_->currentText()); }

void TForm1::Image1DblClick()
{
    state_.out2On = !state_.out2On;
    image1_->draw(state_.out2On ? pictures_.outputOn : pictures_.outputOff);
    link_->SendFrame(outputCommand(state_.out2On, state_.out1On));
}

void TForm1::Image2DblClick()
{
    state_.out1On = !state_.out1On;
    image2_->draw(state_.out1On ? pictures_.outputOn : pictures_.outputOff);
    link_->SendFrame(outputCommand(state_.out2On, state_.out1On));
}

void TForm1::Button10Click() { link_->Button10Click(); }

void TForm1::Button9Click()
{
    if (form2_)
        form2_->show();
    link_->parser().requestReset();
    button9_->setEnabled(false);
}

void TForm1::Button12Click()
{
    if (!form4_)
        return;
    std::array<QString, 8> names;
    for (int k = 0; k < 8; ++k)
        names[size_t(k)] =
            form5_ ? form5_->nameField(k)->text() : QStringLiteral("Temp%1").arg(k + 1);
    form4_->showCharts(names, form5_ ? form5_->voltageItem() : QString(),
                       form5_ ? form5_->temperatureItem() : QString());
}

void TForm1::Button13Click()
{
    if (form5_)
        form5_->show();
}
void TForm1::Timer1Timer() { link_->Timer1Timer(); }
void TForm1::Timer2Timer() { link_->Timer2Timer(); }

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
    applyPollRate();
}

// ---- parser and decoder events ------------------------------------------

void TForm1::parserDiagnostics(const ParserDiagnostics& d)
{
    label2_->setText(DiagnosticTexts::payloadLength(d));
    label20_->setText(DiagnosticTexts::spareCounter(d));
    label23_->setText(DiagnosticTexts::parserState(d));
    label24_->setText(DiagnosticTexts::payloadIndex(d));
}

void TForm1::dataFrame(uint8_t type, const uint8_t* payload, int) { decoder_.decode(type, payload); }

void TForm1::identificationVersion(uint8_t version)
{
    setStatusCaption(QStringLiteral("OBR-9 device connected v") + QString::number(version));
    button9_->setEnabled(true);
}

void TForm1::voltageIntervalIndex(uint8_t index)
{
    if (form5_)
        form5_->voltageIntervals()->setCurrentIndex(index);
}

void TForm1::settingsRecordReceived(const uint8_t* record, int size)
{
    if (form3_)
        form3_->fillFromRecord(record, size);
}

void TForm1::uploadStep()
{
    if (form3_)
        form3_->uploadStep();
}

void TForm1::uploadAcknowledged(bool accepted)
{
    if (form3_)
        form3_->uploadAcknowledged(accepted);
}

void TForm1::temperatureIntervalIndex(uint8_t index)
{
    if (form5_)
        form5_->temperatureIntervals()->setCurrentIndex(index);
}

void TForm1::temperatureKindChanged(int kind)
{
    const bool eight = kind == EightTemperatureSensor;
    groupBox2_->resize(groupBox2_->width(), eight ? kTemperatureGroupEight : kTemperatureGroupSingle);
    if (!form4_)
        return;
    if (!eight) {
        form4_->channelBox(0)->setText(QStringLiteral("Temperature"));
        form4_->channelBox(1)->setText(QStringLiteral("Humidtity"));
    }
    for (int k = 2; k < 8; ++k) {
        form4_->channelBox(k)->setVisible(eight);
        form4_->swatch(k)->setVisible(eight);
    }
    form4_->ComboBox1Change();
    form4_->kindLabel()->setText(eight ? QStringLiteral("Temperature")
                                       : QStringLiteral("Temp / Hum"));
}

void TForm1::inputsOutputsChanged(const InputsOutputs& io)
{
    image3_->draw(io.in2Active ? pictures_.inputActive : pictures_.inputInactive);
    image4_->draw(io.in1Active ? pictures_.inputActive : pictures_.inputInactive);
    image1_->draw(io.out2On ? pictures_.outputOn : pictures_.outputOff);
    image2_->draw(io.out1On ? pictures_.outputOn : pictures_.outputOff);
}

void TForm1::temperatureChannelShown(int channel, const QString& name, const QString& text)
{
    QLabel* label = temperatureLabels_[size_t(channel)];
    label->setEnabled(true);
    label->setText(text);
    if (form5_ && !form5_->isVisible())
        form5_->setChannelName(channel, name);
    if (form4_) {
        form4_->channelBox(channel)->setEnabled(true);
        form4_->channelBox(channel)->setText(text);
    }
}

void TForm1::temperatureHumidityShown(const QString& temperatureText, const QString& humidityText)
{
    temperatureLabels_[0]->setText(temperatureText);
    temperatureLabels_[1]->setText(humidityText);
    if (form4_) {
        form4_->channelBox(0)->setText(temperatureText);
        form4_->channelBox(1)->setText(humidityText);
    }
}

void TForm1::voltageShown(const QString& text) { label18_->setText(text); }

void TForm1::recordValues(const float* values, int count, int kind)
{
    if (count >= CsvRecorder::valueCount(kind))
        ZapiszDane(values, kind);
}

// A read of 100 000 bytes stores thousands of samples; each redraw depends
// only on the rings, so one drawing when the read is done (readDone) gives
// the picture that drawing after every sample would leave. A sample stored
// outside a read is drawn at the next turn of the event loop.
void TForm1::temperatureSampleStored() { scheduleChartRedraw(false); }

void TForm1::voltageSampleStored() { scheduleChartRedraw(true); }

void TForm1::scheduleChartRedraw(bool voltage)
{
    const bool queued = voltageRedrawDue_ || temperatureRedrawDue_;
    (voltage ? voltageRedrawDue_ : temperatureRedrawDue_) = true;
    if (queued)
        return;
    QMetaObject::invokeMethod(this, &TForm1::redrawDueCharts, Qt::QueuedConnection);
}

void TForm1::redrawDueCharts()
{
    const bool voltage = std::exchange(voltageRedrawDue_, false);
    const bool temperature = std::exchange(temperatureRedrawDue_, false);
    if (voltage && form4_)
        form4_->redrawVoltage();
    if (temperature)
        RysujWykres();
}

// ---- recording and charts ------------------------------------------------

void TForm1::ZapiszDane(const float* values, int kind)
{
    // Any one box records every kind: they are not tied to their files.
    if (!recordTemperature_->isChecked() && !recordVoltage_->isChecked() &&
        !recordIo_->isChecked())
        return;
    // From the first recorded line on, the window shows "," decimals; the
    // files keep ".".
    format_.setDecimalSeparator(QLatin1Char(','));

    const int voltageIndex = form5_ ? form5_->voltageIntervals()->currentIndex() : -1;
    const int temperatureIndex = form5_ ? form5_->temperatureIntervals()->currentIndex() : -1;
    const CsvRecorder::Result result =
        recorder_.append(values, kind, voltageIndex, temperatureIndex, state_.channelNames);
    if (result.written) {
        if (!failingRecordFiles_.isEmpty())
            failingRecordFiles_.removeOne(recorder_.filePath(kind));
    } else if (!result.failedFile.isEmpty() && !failingRecordFiles_.contains(result.failedFile)) {
        // One line per file, not per frame: a voltage file fails ten times a second.
        failingRecordFiles_.append(result.failedFile);
        memoLine(QStringLiteral("BLAD_OTWARCIA_PLIKU ") + result.failedFile);
    }
}

void TForm1::RysujWykres()
{
    if (form4_)
        form4_->RysujWykres();
}

// ---- channel and sampling settings ----------------------------------------

bool TForm1::linkChosen() const
{
    return checkBoxConnect_->isChecked() || checkBox2_->isChecked();
}

void TForm1::channelSettingsMemo(const QString& line) { memoLine(line); }
void TForm1::restartVoltageHistory() { voltageHistory_.restart(); }
void TForm1::restartTemperatureHistory() { temperatureHistory_.restart(); }
void TForm1::sendChannelSettings(const QByteArray& frame) { link_->SendFrame(frame); }

void TForm1::relabelTemperatures(const std::array<QString, 8>& names)
{
    for (size_t k = 0; k < names.size(); ++k) {
        QString text = names[k];
        text += QLatin1Char('=');
        format_.appendGeneral(text, double(state_.lastTemperatures[k]));
        temperatureLabels_[k]->setText(text);
    }
}
