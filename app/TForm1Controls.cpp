// The main window's own controls: the "Connection" group, the Driver page
// and the hidden diagnostic controls, and where they sit as the window
// changes size.
#include "app/TForm1.h"

#include "alarm/ui/AlarmIndicator.h"

#include "widgets/DropDownComboBox.h"
#include "widgets/Named.h"
#include "widgets/PictureBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

using namespace obr9;

namespace {
constexpr int kSidePanelWidth = 190; // right of the pages
constexpr int kBottomMargin = 50;    // below the pages
} // namespace

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
    connect(hostIP_, &QComboBox::currentTextChanged, &program_->link(),
            &ConnectionManager::setHost);

    comboBoxSpeed_ = named(new QComboBox(connectionGroup_), "ComboBoxSpeed");
    comboBoxSpeed_->setEditable(true);
    comboBoxSpeed_->addItems({QStringLiteral("9600"), QStringLiteral("115200"),
                              QStringLiteral("230400")});
    comboBoxSpeed_->setCurrentIndex(1);
    comboBoxSpeed_->setGeometry(10, 76, 155, 26);
    comboBoxSpeed_->hide();
    connect(comboBoxSpeed_, &QComboBox::currentTextChanged, &program_->link(),
            &ConnectionManager::setSpeed);

    label3_ = named(new QLabel(QStringLiteral("Port"), connectionGroup_), "Label3");
    label3_->setGeometry(10, 108, 155, 18);
    editPort_ = named(new QLineEdit(QStringLiteral("8090"), connectionGroup_), "EditPort");
    editPort_->setGeometry(10, 128, 155, 26);
    connect(editPort_, &QLineEdit::textChanged, &program_->link(), &ConnectionManager::setTcpPort);

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
    connect(checkBox7_, &QCheckBox::toggled, &program_->link(), &ConnectionManager::setClearSeconds);
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
    alarmIndicator_->setGeometry(216, h - kBottomMargin + 8, 300, 28);
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    applyLayout();
}

