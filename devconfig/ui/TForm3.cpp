#include "devconfig/ui/TForm3.h"
#include "widgets/Named.h"
#include "widgets/PasswordEcho.h"

#include "base/IntegerText.h"
#include "base/Reporter.h"
#include "devconfig/AddressText.h"
#include "devconfig/SettingsFrame.h"
#include "devconfig/ui/ShownItem.h"
#include "devconfig/ui/TForm2.h"
#include "protocol/ReceiveParser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
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

#include <limits>

using namespace obr9;

namespace {

// Four groups of up to three digits; the blank is a space.
const QString kAddressMask = QStringLiteral("999.999.999.999; ");
// Six pairs of hexadecimal digits.
const QString kMacMask = QStringLiteral("HH-HH-HH-HH-HH-HH;_");
// Five digits, so that every 16-bit time the controller reports fits.
const QString kTransmitTimeMask = QStringLiteral("99999; ");

const QString kUploadCaption = QStringLiteral("wysylanie pliku");
const QString kUploadDone = QStringLiteral("Wysylanie pliku zakonczone powodzeniem");
const QString kUploadTimedOut =
    QStringLiteral("Wysylanie pliku przerwane: brak odpowiedzi sterownika przez 30 s");
const QString kSettingsCaption = QStringLiteral("Settings");

QComboBox* dropDown(QWidget* parent, const char* name, const QStringList& items)
{
    auto* box = named(new QComboBox(parent), name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(items);
    return box;
}

} // namespace

TForm3::TForm3(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(kSettingsCaption);
    setWindowFlag(Qt::Window);

    // ---- LAN settings
    auto* lan = named(new QGroupBox(QStringLiteral("LAN settings"), this), "GroupBox1");
    auto* lanGrid = new QGridLayout(lan);
    int row = 0;
    auto addRow = [](QGridLayout* grid, int& r, const QString& label, QWidget* field,
                     QWidget* beside = nullptr) {
        auto* caption = new QLabel(label, grid->parentWidget());
        grid->addWidget(caption, r, 0);
        grid->addWidget(field, r, 1);
        if (beside)
            grid->addWidget(beside, r, 2);
        ++r;
        return caption;
    };

    checkBox1_ = named(new QCheckBox(QStringLiteral("DHCP"), lan), "CheckBox1");
    lanGrid->addWidget(checkBox1_, row++, 1);
    edit1_ = named(new QLineEdit(QStringLiteral("OBR-9"), lan), "Edit1");
    edit1_->setMaxLength(SettingsTexts::kNameWidth);
    addRow(lanGrid, row, QStringLiteral("Name"), edit1_);

    auto addressEdit = [lan](const char* name, const QString& text) {
        auto* edit = named(new QLineEdit(lan), name);
        edit->setInputMask(kAddressMask);
        edit->setText(text);
        return edit;
    };
    maskEdit1_ = addressEdit("MaskEdit1", QStringLiteral("192.168.1.161"));
    addRow(lanGrid, row, QStringLiteral("IP address"), maskEdit1_);
    maskEdit4_ = addressEdit("MaskEdit4", QStringLiteral("255.255.255.0"));
    addRow(lanGrid, row, QStringLiteral("Subnet"), maskEdit4_);
    maskEdit5_ = addressEdit("MaskEdit5", QStringLiteral("192.168.1.1"));
    addRow(lanGrid, row, QStringLiteral("Gate"), maskEdit5_);

    edit3_ = named(new QLineEdit(QStringLiteral("8090"), lan), "Edit3");
    label3_ = addRow(lanGrid, row, QStringLiteral("Port"), edit3_);
    label3_->setObjectName(QStringLiteral("Label3"));

    maskEdit2_ = named(new QLineEdit(lan), "MaskEdit2");
    maskEdit2_->setInputMask(kMacMask);
    maskEdit2_->setText(QStringLiteral("01-E8-C4-A1-5B-10"));
    addRow(lanGrid, row, QStringLiteral("MAC address"), maskEdit2_);

    edit7_ = named(new QLineEdit(QStringLiteral("admin"), lan), "Edit7");
    edit7_->setMaxLength(SettingsTexts::kShortTextWidth);
    addRow(lanGrid, row, QStringLiteral("user"), edit7_);
    edit8_ = named(new QLineEdit(QStringLiteral("7961"), lan), "Edit8");
    edit8_->setMaxLength(SettingsTexts::kShortTextWidth);
    showStars(edit8_);
    addRow(lanGrid, row, QStringLiteral("password"), edit8_);

    comboBox5_ = dropDown(lan, "ComboBox5",
                          {QStringLiteral("server"), QStringLiteral("client"),
                           QStringLiteral("client (www-OBR)"), QStringLiteral("client (www-HQ2)")});
    showItem(comboBox5_, -1);
    comboBox5_->setEditText(QStringLiteral("server"));
    addRow(lanGrid, row, QStringLiteral("mode"), comboBox5_);

    maskEdit7_ = named(new QLineEdit(QStringLiteral("192.168.1.162"), lan), "MaskEdit7");
    maskEdit7_->setMaxLength(SettingsTexts::kLongTextWidth);
    edit4_ = named(new QLineEdit(QStringLiteral("user"), lan), "Edit4");
    edit4_->setMaxLength(SettingsTexts::kShortTextWidth);
    edit4_->setMinimumWidth(96); // the whole user name stays readable
    addRow(lanGrid, row, QStringLiteral("Destination IP address"), maskEdit7_, edit4_);
    maskEdit9_ = named(new QLineEdit(QStringLiteral("/hq2/readParam"), lan), "MaskEdit9");
    maskEdit9_->setMaxLength(SettingsTexts::kLongTextWidth);
    edit5_ = named(new QLineEdit(QStringLiteral("pass"), lan), "Edit5");
    edit5_->setMaxLength(SettingsTexts::kShortTextWidth);
    edit5_->setMinimumWidth(96);
    addRow(lanGrid, row, QStringLiteral("Path"), maskEdit9_, edit5_);

    maskEdit8_ = addressEdit("MaskEdit8", QStringLiteral("8.8.8.8"));
    addRow(lanGrid, row, QStringLiteral("DNS server"), maskEdit8_);
    edit2_ = named(new QLineEdit(QStringLiteral("8090"), lan), "Edit2");
    addRow(lanGrid, row, QStringLiteral("Destination port"), edit2_);

    // ---- RS-485 settings
    auto* rs = named(new QGroupBox(QStringLiteral("RS-485 settings"), this), "GroupBox2");
    auto* rsGrid = new QGridLayout(rs);
    row = 0;
    comboBox2_ =
        dropDown(rs, "ComboBox2",
                 {QStringLiteral("300"), QStringLiteral("600"), QStringLiteral("1200"),
                  QStringLiteral("2400"), QStringLiteral("4800"), QStringLiteral("9600"),
                  QStringLiteral("14400"), QStringLiteral("28800"), QStringLiteral("57600"),
                  QStringLiteral("115200"), QStringLiteral("230400")});
    showItem(comboBox2_, -1);
    comboBox2_->setEditText(QStringLiteral("9600"));
    addRow(rsGrid, row, QStringLiteral("Baud rate"), comboBox2_);

    maskEdit3_ = named(new QLineEdit(rs), "MaskEdit3");
    maskEdit3_->setInputMask(kTransmitTimeMask);
    maskEdit3_->setText(QStringLiteral("1"));
    addRow(rsGrid, row, QStringLiteral("Transmit request time"), maskEdit3_,
           new QLabel(QStringLiteral("ms"), rs));

    comboBox3_ = dropDown(rs, "ComboBox3",
                          {QStringLiteral("4"), QStringLiteral("8"), QStringLiteral("16"),
                           QStringLiteral("32"), QStringLiteral("64"), QStringLiteral("128"),
                           QStringLiteral("256"), QStringLiteral("512"), QStringLiteral("1024")});
    showItem(comboBox3_, 6);
    addRow(rsGrid, row, QStringLiteral("RS buffer size"), comboBox3_);
    comboBox7_ = dropDown(rs, "ComboBox7", {QStringLiteral("1"), QStringLiteral("2")});
    showItem(comboBox7_, 0);
    addRow(rsGrid, row, QStringLiteral("Stop bits"), comboBox7_);
    comboBox6_ = dropDown(
        rs, "ComboBox6",
        {QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8")});
    showItem(comboBox6_, 3);
    addRow(rsGrid, row, QStringLiteral("Data bits"), comboBox6_);
    comboBox1_ = dropDown(rs, "ComboBox1",
                          {QStringLiteral("None"), QStringLiteral("Even"), QStringLiteral("Odd")});
    showItem(comboBox1_, -1);
    comboBox1_->setEditText(QStringLiteral("None"));
    addRow(rsGrid, row, QStringLiteral("parity"), comboBox1_);
    comboBox4_ =
        dropDown(rs, "ComboBox4", {QStringLiteral("transparent"), QStringLiteral("I/O driver")});
    showItem(comboBox4_, -1);
    comboBox4_->setEditText(QStringLiteral("I/O driver"));
    addRow(rsGrid, row, QStringLiteral("mode"), comboBox4_);
    maskEdit6_ = named(new QLineEdit(QStringLiteral("123"), rs), "MaskEdit6");
    addRow(rsGrid, row, QStringLiteral("RS ID"), maskEdit6_);

    // ---- buttons and progress
    auto* save = named(new QPushButton(QStringLiteral("Save to device"), this), "Button1");
    auto* cancel = named(new QPushButton(QStringLiteral("Cancel"), this), "Button2");
    auto* upgrade = named(new QPushButton(QStringLiteral("Upgrade"), this), "Button3");
    for (QPushButton* b : {save, cancel, upgrade})
        b->setAutoDefault(false);
    progressBar1_ = named(new QProgressBar(this), "ProgressBar1");
    progressBar1_->setRange(0, 100);
    progressBar1_->setTextVisible(false);

    auto* groups = new QHBoxLayout;
    groups->addWidget(lan);
    groups->addWidget(rs, 0, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    buttons->addStretch();
    buttons->addWidget(upgrade);
    auto* main = new QVBoxLayout(this);
    main->addLayout(groups);
    main->addLayout(buttons);
    main->addWidget(progressBar1_);

    connect(save, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(cancel, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(upgrade, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(checkBox1_, &QCheckBox::toggled, this, [this] { CheckBox1Click(); });
    for (QLineEdit* edit : {maskEdit1_, maskEdit7_, maskEdit8_, maskEdit9_})
        edit->installEventFilter(this);
    maskEdit2_->installEventFilter(this);

    uploadWatch_.setInterval(kUploadWatchMs);
    connect(&uploadWatch_, &QTimer::timeout, this, [this] {
        if (upload_ && upload_->overdue())
            stopUpload(kUploadTimedOut);
    });
}

TForm3::~TForm3() = default;

void TForm3::attach(DeviceSession* session, TForm2* login)
{
    session_ = session;
    login_ = login;
    upload_ = session ? std::make_unique<FirmwareUpload>(session->frames(),
                                                         static_cast<FirmwareUploadListener*>(this))
                      : nullptr;
}

// ---- buttons -------------------------------------------------------------

void TForm3::Button1Click()
{
    if (!session_)
        return;
    // Every field is checked before anything changes.
    const BuiltFrame frame = settingsFrame(texts());
    if (!frame.ok()) {
        report(frame.error, kSettingsCaption);
        return;
    }
    session_->setRequestMode(RequestAnswer);
    session_->frames().SendFrame(frame.bytes);
    // The controller takes up its new settings: the link goes. The frame
    // just written still leaves before the close.
    session_->closeClient(true);
    session_->dropLinks(true);
    close();
    session_->setRequestMode(RequestData);
    session_->setSettingsDialogActive(false);
}

void TForm3::Button2Click()
{
    close();
}

void TForm3::Button3Click()
{
    if (!session_)
        return;
    const QString dir = QFileInfo(session_->chartFile()).absolutePath();
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
    if (!session_ || !upload_)
        return;
    // Read first: a file that cannot be read changes nothing.
    QFile file(path);
    QByteArray data;
    bool ok = file.open(QIODevice::ReadOnly);
    if (ok) {
        data = file.readAll();
        ok = file.error() == QFileDevice::NoError;
    }
    if (!ok) {
        report(QStringLiteral("The file \"%1\" cannot be read: %2").arg(path, file.errorString()),
               kUploadCaption);
        return;
    }
    // The header counts the file and its checksum in 32 bits.
    if (quint64(data.size()) > quint64(std::numeric_limits<uint32_t>::max()) - 2) {
        report(QStringLiteral("The file \"%1\" is too large to upload.").arg(path), kUploadCaption);
        return;
    }

    session_->setChartFile(path);
    label3_->setText(QFileInfo(path).fileName());
    // A '{' or 'd' the controller sent before the header is no answer to it.
    session_->takeArrivedBytes();
    upload_->start(data);
    uploadWatch_.start();
    session_->setRequestMode(RequestUpload);
    session_->runParserOnce();
}

// ---- closing -------------------------------------------------------------

void TForm3::done(int result)
{
    // The operator gave up on a running upload; the closing step that
    // follows sends the close frame.
    if (upload_ && upload_->active())
        stopUpload(QString());
    QDialog::done(result);
    if (!quietClose_)
        FormClose();
}

void TForm3::FormClose()
{
    if (session_)
        session_->deviceSettingsClosed();
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

// ---- firmware upload -----------------------------------------------------

void TForm3::uploadStep()
{
    if (upload_)
        upload_->step();
}

void TForm3::uploadAcknowledged(bool accepted)
{
    if (upload_)
        upload_->acknowledged(accepted);
}

void TForm3::uploadProgress(int percent)
{
    progressBar1_->setValue(percent);
}

void TForm3::stopUpload(const QString& message)
{
    uploadWatch_.stop();
    if (!upload_ || !upload_->active())
        return;
    upload_->stop();
    progressBar1_->setValue(0);
    if (session_)
        session_->setRequestMode(RequestData);
    if (!message.isEmpty())
        report(message, kUploadCaption);
}

void TForm3::uploadCompleted()
{
    uploadWatch_.stop();
    // Runs inside the parser call: the controller restarts with its new
    // firmware, so the link goes; the message waits until the call is over.
    session_->closeClient(false);
    close();
    session_->dropLinks(false);
    session_->setRequestMode(RequestData);
    progressBar1_->setValue(100);
    QTimer::singleShot(0, this, [this] { report(kUploadDone, kUploadCaption); });
}

void TForm3::report(const QString& text, const QString& caption)
{
    if (session_)
        session_->reporter().report({text, caption});
}
