#include "devconfig/ui/TForm3.h"
#include "widgets/Named.h"
#include "widgets/PasswordEcho.h"

#include "base/IntegerText.h"
#include "base/Reporter.h"
#include "devconfig/AddressText.h"
#include "devconfig/DeviceConfigSession.h"
#include "devconfig/ui/ShownItem.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace obr9;

namespace {

// Four groups of up to three digits; the blank is a space.
const QString kAddressMask = QStringLiteral("999.999.999.999; ");
// Six pairs of hexadecimal digits.
const QString kMacMask = QStringLiteral("HH-HH-HH-HH-HH-HH;_");
// Five digits, so that every 16-bit time the controller reports fits.
const QString kTransmitTimeMask = QStringLiteral("99999; ");

const QString kSettingsCaption = QStringLiteral("Settings");

QComboBox* dropDown(QWidget* parent, const char* name, const QStringList& items)
{
    auto* box = named(new QComboBox(parent), name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(items);
    return box;
}

// An editable list that starts with no item chosen and a text of its own.
QComboBox* dropDown(QWidget* parent, const char* name, const QStringList& items,
                    const QString& text)
{
    QComboBox* box = dropDown(parent, name, items);
    showItem(box, -1);
    box->setEditText(text);
    return box;
}

QComboBox* dropDown(QWidget* parent, const char* name, const QStringList& items, int index)
{
    QComboBox* box = dropDown(parent, name, items);
    showItem(box, index);
    return box;
}

QLineEdit* textEdit(QWidget* parent, const char* name, const QString& text, int width = 0)
{
    auto* edit = named(new QLineEdit(text, parent), name);
    if (width > 0)
        edit->setMaxLength(width);
    return edit;
}

QLineEdit* maskedEdit(QWidget* parent, const char* name, const QString& mask, const QString& text)
{
    auto* edit = named(new QLineEdit(parent), name);
    edit->setInputMask(mask);
    edit->setText(text);
    return edit;
}

// A caption in the first column, the field beside it, and one more control
// in the third column when given.
QLabel* addRow(QGridLayout* grid, int& row, const QString& label, QWidget* field,
               QWidget* beside = nullptr)
{
    auto* caption = new QLabel(label, grid->parentWidget());
    grid->addWidget(caption, row, 0);
    grid->addWidget(field, row, 1);
    if (beside)
        grid->addWidget(beside, row, 2);
    ++row;
    return caption;
}

} // namespace

TForm3::TForm3(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(kSettingsCaption);
    setWindowFlag(Qt::Window);

    auto* groups = new QHBoxLayout;
    groups->addWidget(buildLanGroup());
    groups->addWidget(buildRsGroup(), 0, Qt::AlignTop);
    auto* main = new QVBoxLayout(this);
    main->addLayout(groups);
    main->addLayout(buildButtons());
    main->addWidget(progressBar1_);

    connect(checkBox1_, &QCheckBox::toggled, this, [this] { CheckBox1Click(); });
    for (QLineEdit* edit : {maskEdit1_, maskEdit7_, maskEdit8_, maskEdit9_, maskEdit2_})
        edit->installEventFilter(this);
}

TForm3::~TForm3() = default;

QGroupBox* TForm3::buildLanGroup()
{
    auto* lan = named(new QGroupBox(QStringLiteral("LAN settings"), this), "GroupBox1");
    auto* grid = new QGridLayout(lan);
    int row = 0;
    checkBox1_ = named(new QCheckBox(QStringLiteral("DHCP"), lan), "CheckBox1");
    grid->addWidget(checkBox1_, row++, 1);
    buildAddressRows(grid, row);
    buildDestinationRows(grid, row);
    return lan;
}

void TForm3::buildAddressRows(QGridLayout* grid, int& row)
{
    QWidget* lan = grid->parentWidget();
    edit1_ = textEdit(lan, "Edit1", QStringLiteral("OBR-9"), SettingsTexts::kNameWidth);
    addRow(grid, row, QStringLiteral("Name"), edit1_);
    maskEdit1_ = maskedEdit(lan, "MaskEdit1", kAddressMask, QStringLiteral("192.168.1.161"));
    addRow(grid, row, QStringLiteral("IP address"), maskEdit1_);
    maskEdit4_ = maskedEdit(lan, "MaskEdit4", kAddressMask, QStringLiteral("255.255.255.0"));
    addRow(grid, row, QStringLiteral("Subnet"), maskEdit4_);
    maskEdit5_ = maskedEdit(lan, "MaskEdit5", kAddressMask, QStringLiteral("192.168.1.1"));
    addRow(grid, row, QStringLiteral("Gate"), maskEdit5_);

    edit3_ = textEdit(lan, "Edit3", QStringLiteral("8090"));
    label3_ = addRow(grid, row, QStringLiteral("Port"), edit3_);
    label3_->setObjectName(QStringLiteral("Label3"));

    maskEdit2_ = maskedEdit(lan, "MaskEdit2", kMacMask, QStringLiteral("01-E8-C4-A1-5B-10"));
    addRow(grid, row, QStringLiteral("MAC address"), maskEdit2_);

    edit7_ = textEdit(lan, "Edit7", QStringLiteral("admin"), SettingsTexts::kShortTextWidth);
    addRow(grid, row, QStringLiteral("user"), edit7_);
    edit8_ = textEdit(lan, "Edit8", QStringLiteral("7961"), SettingsTexts::kShortTextWidth);
    showStars(edit8_);
    addRow(grid, row, QStringLiteral("password"), edit8_);

    comboBox5_ = dropDown(lan, "ComboBox5",
                          {QStringLiteral("server"), QStringLiteral("client"),
                           QStringLiteral("client (www-OBR)"), QStringLiteral("client (www-HQ2)")},
                          QStringLiteral("server"));
    addRow(grid, row, QStringLiteral("mode"), comboBox5_);
}

void TForm3::buildDestinationRows(QGridLayout* grid, int& row)
{
    QWidget* lan = grid->parentWidget();
    maskEdit7_ = textEdit(lan, "MaskEdit7", QStringLiteral("192.168.1.162"),
                          SettingsTexts::kLongTextWidth);
    edit4_ = textEdit(lan, "Edit4", QStringLiteral("user"), SettingsTexts::kShortTextWidth);
    edit4_->setMinimumWidth(96); // the whole user name stays readable
    addRow(grid, row, QStringLiteral("Destination IP address"), maskEdit7_, edit4_);
    maskEdit9_ = textEdit(lan, "MaskEdit9", QStringLiteral("/hq2/readParam"),
                          SettingsTexts::kLongTextWidth);
    edit5_ = textEdit(lan, "Edit5", QStringLiteral("pass"), SettingsTexts::kShortTextWidth);
    edit5_->setMinimumWidth(96);
    addRow(grid, row, QStringLiteral("Path"), maskEdit9_, edit5_);

    maskEdit8_ = maskedEdit(lan, "MaskEdit8", kAddressMask, QStringLiteral("8.8.8.8"));
    addRow(grid, row, QStringLiteral("DNS server"), maskEdit8_);
    edit2_ = textEdit(lan, "Edit2", QStringLiteral("8090"));
    addRow(grid, row, QStringLiteral("Destination port"), edit2_);
}

QGroupBox* TForm3::buildRsGroup()
{
    auto* rs = named(new QGroupBox(QStringLiteral("RS-485 settings"), this), "GroupBox2");
    auto* grid = new QGridLayout(rs);
    int row = 0;
    comboBox2_ = dropDown(rs, "ComboBox2",
                          {QStringLiteral("300"), QStringLiteral("600"), QStringLiteral("1200"),
                           QStringLiteral("2400"), QStringLiteral("4800"), QStringLiteral("9600"),
                           QStringLiteral("14400"), QStringLiteral("28800"),
                           QStringLiteral("57600"), QStringLiteral("115200"),
                           QStringLiteral("230400")},
                          QStringLiteral("9600"));
    addRow(grid, row, QStringLiteral("Baud rate"), comboBox2_);
    maskEdit3_ = maskedEdit(rs, "MaskEdit3", kTransmitTimeMask, QStringLiteral("1"));
    addRow(grid, row, QStringLiteral("Transmit request time"), maskEdit3_,
           new QLabel(QStringLiteral("ms"), rs));

    comboBox3_ = dropDown(rs, "ComboBox3",
                          {QStringLiteral("4"), QStringLiteral("8"), QStringLiteral("16"),
                           QStringLiteral("32"), QStringLiteral("64"), QStringLiteral("128"),
                           QStringLiteral("256"), QStringLiteral("512"), QStringLiteral("1024")},
                          6);
    addRow(grid, row, QStringLiteral("RS buffer size"), comboBox3_);
    comboBox7_ = dropDown(rs, "ComboBox7", {QStringLiteral("1"), QStringLiteral("2")}, 0);
    addRow(grid, row, QStringLiteral("Stop bits"), comboBox7_);
    comboBox6_ = dropDown(
        rs, "ComboBox6",
        {QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8")}, 3);
    addRow(grid, row, QStringLiteral("Data bits"), comboBox6_);
    comboBox1_ = dropDown(rs, "ComboBox1",
                          {QStringLiteral("None"), QStringLiteral("Even"), QStringLiteral("Odd")},
                          QStringLiteral("None"));
    addRow(grid, row, QStringLiteral("parity"), comboBox1_);
    comboBox4_ = dropDown(rs, "ComboBox4",
                          {QStringLiteral("transparent"), QStringLiteral("I/O driver")},
                          QStringLiteral("I/O driver"));
    addRow(grid, row, QStringLiteral("mode"), comboBox4_);
    maskEdit6_ = textEdit(rs, "MaskEdit6", QStringLiteral("123"));
    addRow(grid, row, QStringLiteral("RS ID"), maskEdit6_);
    return rs;
}

// The three buttons in a row; ProgressBar1 goes below them.
QLayout* TForm3::buildButtons()
{
    auto* save = named(new QPushButton(QStringLiteral("Save to device"), this), "Button1");
    auto* cancel = named(new QPushButton(QStringLiteral("Cancel"), this), "Button2");
    auto* upgrade = named(new QPushButton(QStringLiteral("Upgrade"), this), "Button3");
    for (QPushButton* b : {save, cancel, upgrade})
        b->setAutoDefault(false);
    progressBar1_ = named(new QProgressBar(this), "ProgressBar1");
    progressBar1_->setRange(0, 100);
    progressBar1_->setTextVisible(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    buttons->addStretch();
    buttons->addWidget(upgrade);
    connect(save, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(cancel, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(upgrade, &QPushButton::clicked, this, [this] { Button3Click(); });
    return buttons;
}

void TForm3::attach(DeviceConfigSession* session, TForm2* login)
{
    if (session_)
        disconnect(session_, nullptr, this, nullptr);
    session_ = session;
    login_ = login;
    if (!session_)
        return;
    connect(session_, &DeviceConfigSession::settingsRecordRead, this, &TForm3::fillFromRecord);
    connect(session_, &DeviceConfigSession::uploadProgressed, this,
            [this](int percent) { progressBar1_->setValue(percent); });
    connect(session_, &DeviceConfigSession::ended, this, &TForm3::closeQuietly);
}

// ---- buttons -------------------------------------------------------------

void TForm3::Button1Click()
{
    if (session_)
        session_->saveSettings(texts());
}

void TForm3::Button2Click()
{
    close();
}

void TForm3::Button3Click()
{
    if (!session_)
        return;
    const QString dir = session_->uploadFolder();
    QString path;
    if (fileChooser) {
        path = fileChooser(dir);
    } else {
        QFileDialog dialog(this, QStringLiteral("Upgrade"), dir,
                           QStringLiteral("Wszystkie pliki (*)"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(QStringLiteral("bin"));
        if (dialog.exec() == QDialog::Accepted)
            path = dialog.selectedFiles().value(0);
    }
    if (path.isEmpty())
        return;
    startUpload(path);
}

void TForm3::startUpload(const QString& path)
{
    if (session_ && session_->startUpload(path))
        label3_->setText(QFileInfo(path).fileName());
}

// ---- closing -------------------------------------------------------------

void TForm3::done(int result)
{
    QDialog::done(result);
    if (!quietClose_)
        FormClose();
}

void TForm3::FormClose()
{
    if (session_)
        session_->close();
}

void TForm3::closeQuietly()
{
    quietClose_ = true;
    if (isVisible())
        reject();
    quietClose_ = false;
}

// ---- field checks --------------------------------------------------------

void TForm3::MaskEdit1Exit()
{
    const std::optional<AddressGroupProblem> problem = addressProblem(maskEdit1_->displayText());
    if (!problem)
        return;
    const QString text = problem->notANumber ? notAnIntegerMessage(problem->groupText)
                                             : QStringLiteral("Not a valid IP address.");
    // Not from inside the focus change: the box would take the focus again.
    QTimer::singleShot(0, this, [this, text] { report(text, QStringLiteral("Error")); });
}

void TForm3::CheckBox1Click()
{
    const bool manual = !checkBox1_->isChecked();
    maskEdit1_->setEnabled(manual);
    maskEdit4_->setEnabled(manual);
    maskEdit5_->setEnabled(manual);
}

bool TForm3::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && watched != maskEdit2_) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Leaving the field, not the window.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && isVisible())
            MaskEdit1Exit();
    } else if (watched == maskEdit2_ && event->type() == QEvent::KeyPress) {
        // MaskEdit2KeyPress
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString typed = key->text();
        if (!typed.isEmpty()) {
            const std::optional<QChar> kept = macKeyFilter(typed.front());
            if (!kept)
                return true;
            if (*kept != typed.front()) {
                maskEdit2_->insert(QString(*kept));
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm3::report(const QString& text, const QString& caption)
{
    if (session_)
        session_->reporter().report({text, caption});
}
