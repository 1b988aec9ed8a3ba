#include "relay/ui/RelayPage.h"

#include "widgets/DropDownComboBox.h"
#include "widgets/PictureBox.h"
#include "base/Reporter.h"
#include "base/SettingsKeys.h"
#include "base/DeviceText.h"
#include "base/IntegerText.h"
#include "protocol/FrameSink.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>

using namespace obr9;

namespace {

constexpr int kGroupHeight = 112;
constexpr int kOutputPitch = 76;
constexpr int kFirstOutputX = 120;
constexpr int kModulesTop = 4;
constexpr const char* kTag = "tag";

// The raised look of the page's own buttons, and their pressed look.
QPixmap buttonPicture(QSize size, bool pressed)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient shade(0, 0, 0, size.height());
    shade.setColorAt(0, pressed ? QColor(190, 190, 190) : QColor(250, 250, 250));
    shade.setColorAt(1, pressed ? QColor(225, 225, 225) : QColor(205, 205, 205));
    p.setBrush(shade);
    p.setPen(QPen(pressed ? QColor(90, 90, 90) : QColor(130, 130, 130), 1));
    p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 4, 4);
    return pixmap;
}

template <typename T>
T* tagged(T* widget, const QString& name, int tag)
{
    widget->setObjectName(name);
    widget->setProperty(kTag, tag);
    return widget;
}

// A label that reports clicks; the page's output labels select their output.
class ClickLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> onClick;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        // Accepted so the press stops here: an ignored press would reach the
        // module's group box, which selects the whole module.
        event->accept();
        if (onClick)
            onClick();
    }
};

class ClickGroupBox : public QGroupBox {
public:
    using QGroupBox::QGroupBox;
    std::function<void()> onClick;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (onClick)
            onClick();
        QGroupBox::mousePressEvent(event);
    }
};

} // namespace

RelayPage::RelayPage(FrameSink& sink, Reporter& reporter, RelayPictures pictures, RelayModel& model,
                     QWidget* parent)
    : QWidget(parent)
    , sink_(sink)
    , reporter_(&reporter)
    , pictures_(std::move(pictures))
    , model_(model)
{
    buttonUp_ = buttonPicture(QSize(96, 26), false);
    buttonDown_ = buttonPicture(QSize(96, 26), true);
    for (int m = 0; m < RelayModel::kModules; ++m)
        buildModule(m);
    buildEditor();
    connect(&model_, &RelayModel::outputStateChanged, this, &RelayPage::showOutput);
    connect(&model_, &RelayModel::modeLetterChanged, this, &RelayPage::showModeLetter);
}

void RelayPage::buildModule(int m)
{
    ModuleControls& c = modules_[size_t(m)];
    auto* group = new ClickGroupBox(model_.module(m).name, this);
    c.group = tagged(group, QStringLiteral("ModuleGroup%1").arg(m), m);
    c.group->setGeometry(4, kModulesTop + m * kGroupHeight, 736, kGroupHeight - 4);
    group->onClick = [this, m] { GroupBoxClick(m); };

    auto* rsidCaption = new QLabel(QStringLiteral("RSID"), c.group);
    rsidCaption->setGeometry(10, 22, 40, 20);
    c.rsid = tagged(new QComboBox(c.group), QStringLiteral("RsidList%1").arg(m), m);
    c.rsid->setEditable(true);
    c.rsid->setInsertPolicy(QComboBox::NoInsert);
    for (int i = 0; i < 8; ++i)
        c.rsid->addItem(QString::number(i));
    c.rsid->setCurrentIndex(0);
    c.rsid->setGeometry(10, 42, 96, 24);
    connect(c.rsid, &QComboBox::currentTextChanged, this, [this, m] { syncRsid(m); });

    c.readState = tagged(new PictureBox(c.group), QStringLiteral("ReadState%1").arg(m), m);
    c.readState->setGeometry(10, 74, 96, 26);
    c.readState->draw(buttonUp_);
    c.readStateLabel = tagged(new QLabel(QStringLiteral("Read State"), c.group),
                              QStringLiteral("ReadStateLabel%1").arg(m), m);
    c.readStateLabel->setGeometry(10, 74, 96, 26);
    c.readStateLabel->setAlignment(Qt::AlignCenter);
    c.readStateLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(c.readState, &PictureBox::pressed, this, [this, m] { Image13MouseDown(m); });
    connect(c.readState, &PictureBox::released, this, [this, m] { Image13MouseUp(m); });

    for (int k = 0; k < RelayModel::kOutputsPerModule; ++k) {
        const int n = m * RelayModel::kOutputsPerModule + k;
        OutputControls& o = outputs_[size_t(n)];
        const int x = kFirstOutputX + k * kOutputPitch;
        o.picture = tagged(new PictureBox(c.group), QStringLiteral("OutputImage%1").arg(n), n);
        o.picture->setGeometry(x, 20, 68, 64);
        o.picture->setToolTip(tr("Press to switch"));
        o.offPicture = RelayPictures::blank();
        o.onPicture = RelayPictures::blank();
        o.picture->draw(o.offPicture);
        connect(o.picture, &PictureBox::pressed, this, [this, n] { ImageMouseDown(n); });
        connect(o.picture, &PictureBox::released, this, [this, n] { ImageMouseUp(n); });

        auto* name = new ClickLabel(model_.output(n).name, c.group);
        o.name = tagged(name, QStringLiteral("OutputLabel%1").arg(n), n);
        o.name->setGeometry(x, 86, 52, 18);
        name->onClick = [this, n] { Label26Click(n); };
        o.modeLetter = tagged(new QLabel(model_.output(n).modeLetter, c.group),
                              QStringLiteral("ModeLabel%1").arg(n), n);
        o.modeLetter->setGeometry(x + 54, 86, 14, 18);
        o.modeLetter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
}

void RelayPage::buildEditor()
{
    const int top = kModulesTop + RelayModel::kModules * kGroupHeight + 2;

    auto* nameCaption = new QLabel(tr("Name"), this);
    nameCaption->setGeometry(8, top, 60, 18);
    edit3_ = new QLineEdit(QStringLiteral("name"), this);
    edit3_->setObjectName(QStringLiteral("Edit3"));
    edit3_->setGeometry(8, top + 20, 140, 26);

    auto* timeCaption = new QLabel(tr("Time [s]"), this);
    timeCaption->setGeometry(8, top + 52, 80, 18);
    edit2_ = new QLineEdit(QStringLiteral("5"), this);
    edit2_->setObjectName(QStringLiteral("Edit2"));
    edit2_->setGeometry(8, top + 72, 140, 26);

    radioGroup1_ = new QGroupBox(QStringLiteral("Mode"), this);
    radioGroup1_->setObjectName(QStringLiteral("RadioGroup1"));
    radioGroup1_->setGeometry(160, top, 140, 100);
    const char* const modes[3] = {"MONOSTABIL", "BISTABIL", "TIME"};
    for (int i = 0; i < 3; ++i) {
        modeButtons_[size_t(i)] = new QRadioButton(QString::fromLatin1(modes[i]), radioGroup1_);
        modeButtons_[size_t(i)]->setGeometry(10, 22 + 24 * i, 125, 22);
    }
    modeButtons_[Bistable]->setChecked(true);

    auto* offGroup = new QGroupBox(QStringLiteral("Off icon "), this);
    offGroup->setObjectName(QStringLiteral("GroupBox6"));
    offGroup->setGeometry(312, top, 200, 52);
    auto* off = new DropDownComboBox(offGroup);
    off->setObjectName(QStringLiteral("ComboBox3"));
    off->setGeometry(8, 20, 184, 26);
    off->onDropDown = [this] { ComboBox3DropDown(); };
    comboBox3_ = off;

    auto* onGroup = new QGroupBox(QStringLiteral("On icon "), this);
    onGroup->setObjectName(QStringLiteral("GroupBox7"));
    onGroup->setGeometry(312, top + 54, 200, 52);
    auto* on = new DropDownComboBox(onGroup);
    on->setObjectName(QStringLiteral("ComboBox6"));
    on->setGeometry(8, 20, 184, 26);
    on->onDropDown = [this] { ComboBox6DropDown(); };
    comboBox6_ = on;

    changeButton_ = new PictureBox(this);
    changeButton_->setObjectName(QStringLiteral("ChangeButtonImage"));
    changeButton_->setGeometry(526, top + 20, 96, 26);
    changeButton_->draw(buttonUp_);
    label43_ = new QLabel(QStringLiteral("Change"), this);
    label43_->setObjectName(QStringLiteral("Label43"));
    label43_->setGeometry(526, top + 20, 96, 26);
    label43_->setAlignment(Qt::AlignCenter);
    label43_->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(changeButton_, &PictureBox::pressed, this, [this] { ChangeButtonImageMouseDown(); });
    connect(changeButton_, &PictureBox::released, this, [this] { ChangeButtonImageMouseUp(); });

    // The design-time module group stays hidden; its RSID list keeps the
    // "index" setting.
    auto* designGroup = new QGroupBox(QStringLiteral("OUTPUTS"), this);
    designGroup->setObjectName(QStringLiteral("GroupBox4"));
    comboBox2_ = new QComboBox(designGroup);
    comboBox2_->setObjectName(QStringLiteral("ComboBox2"));
    comboBox2_->setEditable(true);
    for (int i = 0; i < 8; ++i)
        comboBox2_->addItem(QString::number(i));
    designGroup->hide();
}

// ---- settings ------------------------------------------------------------

void RelayPage::bindSettings(SettingsKeyTable& keys)
{
    keys.bindFamily(
        QStringLiteral("outName"),
        [this](int n, const SettingsValue& v) {
            model_.output(n).name = v.text;
            outputs_[size_t(n)].name->setText(v.text);
            return true;
        },
        [this](int n) { return model_.output(n).name; });
    keys.bindFamily(
        QStringLiteral("ImgOffName"),
        [this](int n, const SettingsValue& v) {
            // The path is kept even when the picture is missing, so that the
            // operator's choice survives until the file is back.
            model_.output(n).offPath = RelayPictures::kFolderPrefix + v.text;
            if (!loadPicture(n, false))
                return false;
            outputs_[size_t(n)].picture->draw(outputs_[size_t(n)].offPicture);
            return true;
        },
        [this](int n) { return model_.output(n).offPath.mid(6); });
    keys.bindFamily(
        QStringLiteral("ImgOnName"),
        [this](int n, const SettingsValue& v) {
            model_.output(n).onPath = RelayPictures::kFolderPrefix + v.text;
            return loadPicture(n, true);
        },
        [this](int n) { return model_.output(n).onPath.mid(6); });
    keys.bindFamily(
        QStringLiteral("outMode"),
        [this](int n, const SettingsValue& v) {
            model_.setMode(n, v.number);
            outputs_[size_t(n)].modeLetter->setText(model_.output(n).modeLetter);
            return true;
        },
        [this](int n) { return QString::number(model_.output(n).mode); });
    keys.bindFamily(
        QStringLiteral("outTime"),
        [this](int n, const SettingsValue& v) {
            model_.output(n).time = v.number;
            return true;
        },
        [this](int n) { return QString::number(model_.output(n).time); });
    keys.bindFamily(
        QStringLiteral("ID"),
        [this](int m, const SettingsValue& v) {
            modules_[size_t(m)].rsid->setCurrentIndex(v.number >= 0 && v.number < 8 ? v.number
                                                                                      : -1);
            syncRsid(m);
            return true;
        },
        [this](int m) { return QString::number(rsidIndex(m)); });
    keys.bindFamily(
        QStringLiteral("devName"),
        [this](int m, const SettingsValue& v) {
            model_.module(m).name = v.text;
            modules_[size_t(m)].group->setTitle(v.text);
            return true;
        },
        [this](int m) { return model_.module(m).name; });
    keys.bind(
        QStringLiteral("index"),
        [this](const SettingsValue& v) {
            comboBox2_->setCurrentIndex(v.number >= 0 && v.number < 8 ? v.number : -1);
            return true;
        },
        [this] { return QString::number(comboBox2_->currentIndex()); });
}

void RelayPage::afterSettingsLoaded()
{
    comboBox3_->clear();
    comboBox3_->addItem(model_.output(0).offPath.mid(6));
    comboBox3_->setCurrentIndex(0);
    comboBox6_->clear();
    comboBox6_->addItem(model_.output(0).onPath.mid(6));
    comboBox6_->setCurrentIndex(0);
}

bool RelayPage::loadPicture(int n, bool on)
{
    const RelayOutput& out = model_.output(n);
    const QPixmap picture = pictures_.load(on ? out.onPath : out.offPath);
    if (picture.isNull())
        return false;
    (on ? outputs_[size_t(n)].onPicture : outputs_[size_t(n)].offPicture) = picture;
    return true;
}

// ---- RSID ----------------------------------------------------------------

int RelayPage::rsidIndex(int m) const
{
    const QComboBox* list = modules_[size_t(m)].rsid;
    return list->findText(list->currentText(), Qt::MatchExactly);
}

void RelayPage::syncRsid(int m) { model_.module(m).rsid = rsidIndex(m); }

// ---- sending and answers -------------------------------------------------

void RelayPage::send(const QList<QByteArray>& frames)
{
    for (const QByteArray& frame : frames)
        sink_.SendFrame(frame);
}

void RelayPage::showOutput(int n)
{
    const OutputControls& o = outputs_[size_t(n)];
    o.picture->draw(model_.output(n).state ? o.onPicture : o.offPicture);
}

void RelayPage::showModeLetter(int n)
{
    outputs_[size_t(n)].modeLetter->setText(model_.output(n).modeLetter);
}

// ---- selection and editor ------------------------------------------------

void RelayPage::setEditorEnabled(bool enabled)
{
    radioGroup1_->setEnabled(enabled);
    edit2_->setEnabled(enabled);
    comboBox6_->setEnabled(enabled);
    comboBox3_->setEnabled(enabled);
}

void RelayPage::selectOutput(int n)
{
    const RelayOutput& out = model_.output(n);
    if (out.mode >= 0 && out.mode < 3)
        modeButtons_[size_t(out.mode)]->setChecked(true);
    model_.selectOutput(n);
    edit3_->setText(out.name);
    edit2_->setText(QString::number(out.time));
    comboBox3_->clear();
    comboBox3_->addItem(out.offPath.mid(6));
    comboBox3_->setCurrentIndex(0);
    comboBox6_->clear();
    comboBox6_->addItem(out.onPath.mid(6));
    comboBox6_->setCurrentIndex(0);
    setEditorEnabled(true);
}

void RelayPage::selectModule(int m)
{
    model_.selectModule(m);
    edit3_->setText(model_.module(m).name);
    setEditorEnabled(false);
}

void RelayPage::GroupBoxClick(int module) { selectModule(module); }
void RelayPage::Label26Click(int output) { selectOutput(output); }

void RelayPage::ImageMouseDown(int output)
{
    selectOutput(output);
    for (int m = 0; m < RelayModel::kModules; ++m)
        syncRsid(m);
    send(model_.press(output));
    setEditorEnabled(true);
}

void RelayPage::ImageMouseUp(int output) { send(model_.release(output)); }

void RelayPage::Image13MouseDown(int module)
{
    ModuleControls& c = modules_[size_t(module)];
    c.readState->draw(buttonDown_);
    c.readStateLabel->move(c.readStateLabel->pos() + QPoint(1, 1));
    syncRsid(module);
    sink_.SendFrame(model_.readState(module));
}

void RelayPage::Image13MouseUp(int module)
{
    ModuleControls& c = modules_[size_t(module)];
    c.readState->draw(buttonUp_);
    c.readStateLabel->move(c.readStateLabel->pos() - QPoint(1, 1));
}

void RelayPage::ChangeButtonImageMouseDown()
{
    changeButton_->draw(buttonDown_);
    label43_->move(label43_->pos() + QPoint(1, 1));

    const int selection = model_.selection();
    if (selection < 0)
        return;
    // Names go to the settings file in Windows-1250: one it cannot hold is
    // refused whole rather than stored with a character lost.
    const int bad = firstUnencodable(edit3_->text());
    if (bad >= 0) {
        reporter_->report({unencodableMessage(QStringLiteral("Name"), edit3_->text(), bad),
                           QStringLiteral("Error")});
        return;
    }
    if (selection >= RelayModel::kModuleSelectionBase) {
        const int m = selection - RelayModel::kModuleSelectionBase;
        model_.module(m).name = edit3_->text();
        modules_[size_t(m)].group->setTitle(edit3_->text());
        return;
    }

    const int n = selection;
    RelayOutput& out = model_.output(n);
    OutputControls& o = outputs_[size_t(n)];
    out.name = edit3_->text();
    o.name->setText(out.name);
    int mode = 0;
    for (int i = 0; i < 3; ++i) {
        if (modeButtons_[size_t(i)]->isChecked())
            mode = i;
    }
    model_.setMode(n, mode);
    o.modeLetter->setText(out.modeLetter);

    int time = 0;
    if (!textToInt(edit2_->text(), time)) {
        reporter_->report({notAnIntegerMessage(edit2_->text()), QStringLiteral("Error")});
        return;
    }
    out.time = time;
    out.offPath = RelayPictures::kFolderPrefix + comboBox3_->currentText();
    out.onPath = RelayPictures::kFolderPrefix + comboBox6_->currentText();
    const bool onLoaded = loadPicture(n, true);
    const bool offLoaded = onLoaded && loadPicture(n, false);
    if (!onLoaded || !offLoaded) {
        reporter_->report({QStringLiteral("Cannot open the picture \"%1\".")
                               .arg(onLoaded ? out.offPath : out.onPath),
                           QStringLiteral("Error")});
        return;
    }
    o.picture->draw(o.offPicture);
}

void RelayPage::ChangeButtonImageMouseUp()
{
    changeButton_->draw(buttonUp_);
    label43_->move(label43_->pos() - QPoint(1, 1));
}

void RelayPage::fillIconList(QComboBox* list)
{
    const QString remembered = list->currentText();
    list->clear();
    list->addItems(pictures_.iconNames());
    list->setCurrentIndex(list->findText(remembered, Qt::MatchExactly));
}

void RelayPage::ComboBox3DropDown() { fillIconList(comboBox3_); }
void RelayPage::ComboBox6DropDown() { fillIconList(comboBox6_); }
