#include "measure/ui/TForm4.h"
#include "widgets/Named.h"

#include "base/Reporter.h"
#include "measure/ui/ChartDrawing.h"
#include "measure/ui/ChartExportMenu.h"
#include "measure/ui/ChartImage.h"
#include "measure/ui/DriverReadingTexts.h"
#include "protocol/DeviceState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace obr9;
namespace SC = obr9::StripChart;

namespace {

// Where the pictures sit in the window; the scales run beside and under them.
constexpr int kImageLeft = 100; // room for "150°C / 100%"
constexpr int kVoltageTop = 10;
constexpr int kTemperatureTop = 548;
constexpr int kPanelLeft = kImageLeft + SC::kWidth + 16;
constexpr int kContentWidth = kPanelLeft + 190;
constexpr int kContentHeight = kTemperatureTop + SC::kHeight + 34;

const QString kDegreesCelsius = QStringLiteral(u"\u00B0C");

QLabel* scaleLabel(QWidget* parent, const QString& name, const QString& text, int x, int y,
                   int width, Qt::Alignment alignment)
{
    auto* label = named(new QLabel(text, parent), name);
    label->setGeometry(x, y, width, 16);
    label->setAlignment(alignment);
    return label;
}

} // namespace

TForm4::TForm4(const DeviceState& state, const TemperatureHistory& temperatures,
               const VoltageHistory& voltage, QWidget* parent)
    : QDialog(parent)
    , state_(state)
    , temperatures_(temperatures)
    , voltage_(voltage)
    , voltageBackground_(ChartDrawing::voltageBackground())
    , temperatureBackground_(ChartDrawing::temperatureBackground())
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Voltage and temperature chart"));

    // Two 500-pixel charts are taller than many screens: the window scrolls.
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* content = new QWidget;
    content->setFixedSize(kContentWidth, kContentHeight);
    buildVoltageChart(content);
    buildTemperatureChart(content);
    buildChannelList(content);
    scroll->setWidget(content);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    resize(kContentWidth + 24, std::min(kContentHeight + 4, 900));

    setTimeLabels(voltageTime_, SC::voltageSpan(QStringLiteral("10/s")));
    setTimeLabels(temperatureTime_, SC::temperatureSpan(QStringLiteral("1/s")));
}

void TForm4::buildVoltageChart(QWidget* content)
{
    image1_ = named(new ChartImage(content), QStringLiteral("Image1"));
    image1_->move(kImageLeft, kVoltageTop);
    image1_->setImage(voltageBackground_);
    image1_->setCursor(Qt::CrossCursor);
    ChartExportMenu::install(image1_); // "Save image…"

    // 60 V at the top edge, 0 V at the bottom, one label per 10 V.
    for (int n = 0; n < 7; ++n) {
        const int y = kVoltageTop + n * SC::kHeight / 6;
        scaleLabel(content, QStringLiteral("Label%1").arg(n + 1),
                   QStringLiteral("%1V").arg(60 - 10 * n), 0, y - 8, kImageLeft - 4,
                   Qt::AlignRight);
    }
    for (int n = 0; n < 6; ++n) {
        voltageTime_[size_t(n)] = scaleLabel(content, QStringLiteral("Label%1").arg(17 + n), {},
                                             kImageLeft + 200 * n - 30,
                                             kVoltageTop + SC::kHeight + 4, 60, Qt::AlignHCenter);
    }
}

void TForm4::buildTemperatureChart(QWidget* content)
{
    image2_ = named(new ChartImage(content), QStringLiteral("Image2"));
    image2_->move(kImageLeft, kTemperatureTop);
    image2_->setImage(temperatureBackground_);
    ChartExportMenu::install(image2_); // "Save image…"

    // Label9 at the top edge .. Label14 at the bottom; the top one has kept
    // a trailing blank since the window was first drawn.
    static const char* const initial[6] = {"10", "20", "30", "40", "50", "60"};
    for (int n = 0; n < 6; ++n) {
        const int y = kTemperatureTop + SC::kHeight - n * 100;
        QString text = QString::fromLatin1(initial[n]) + kDegreesCelsius;
        if (n == 5)
            text += QLatin1Char(' ');
        temperatureScale_[size_t(n)] = scaleLabel(content, QStringLiteral("Label%1").arg(14 - n),
                                                  text, 0, y - 8, kImageLeft - 4, Qt::AlignRight);
    }
    for (int n = 0; n < 6; ++n) {
        temperatureTime_[size_t(n)] = scaleLabel(
            content, QStringLiteral("Label%1").arg(23 + n), {}, kImageLeft + 200 * n - 30,
            kTemperatureTop + SC::kHeight + 4, 60, Qt::AlignHCenter);
    }
}

void TForm4::buildChannelList(QWidget* content)
{
    label32_ = named(new QLabel(QStringLiteral("Temperature"), content), QStringLiteral("Label32"));
    label32_->setGeometry(kPanelLeft, kTemperatureTop, 170, 20);
    for (int k = 0; k < 8; ++k) {
        const int y = kTemperatureTop + 28 + 26 * k;
        auto* shape = named(new QFrame(content), QStringLiteral("Shape%1").arg(k + 1));
        shape->setGeometry(kPanelLeft, y + 4, 14, 14);
        shape->setAutoFillBackground(true);
        QPalette palette = shape->palette();
        palette.setColor(QPalette::Window, ChartDrawing::channelColour(k));
        shape->setPalette(palette);
        shape->setFrameShape(QFrame::Box);
        shapes_[size_t(k)] = shape;

        auto* box = named(new QCheckBox(QStringLiteral("T%1").arg(k + 1), content),
                          QStringLiteral("CheckBox%1").arg(k + 1));
        box->setGeometry(kPanelLeft + 20, y, 170, 22);
        box->setChecked(true);
        checkBoxes_[size_t(k)] = box;
    }

    const int boxesTop = kTemperatureTop + 28 + 26 * 8 + 16;
    auto* rangeCaption = named(new QLabel(QStringLiteral("range"), content), QStringLiteral("Label15"));
    rangeCaption->setGeometry(kPanelLeft, boxesTop, 80, 18);
    comboBox1_ = named(new QComboBox(content), QStringLiteral("ComboBox1"));
    comboBox1_->setEditable(true);
    comboBox1_->setInsertPolicy(QComboBox::NoInsert);
    comboBox1_->addItems({QStringLiteral("25"), QStringLiteral("50"), QStringLiteral("100"),
                          QStringLiteral("200")});
    comboBox1_->setCurrentIndex(1);
    comboBox1_->setGeometry(kPanelLeft, boxesTop + 20, 80, 26);

    auto* tminCaption = named(new QLabel(QStringLiteral("Tmin"), content), QStringLiteral("Label16"));
    tminCaption->setGeometry(kPanelLeft + 90, boxesTop, 80, 18);
    comboBox2_ = named(new QComboBox(content), QStringLiteral("ComboBox2"));
    comboBox2_->setEditable(true);
    comboBox2_->setInsertPolicy(QComboBox::NoInsert);
    for (int t = -50; t <= 150; t += 10)
        comboBox2_->addItem(QString::number(t));
    comboBox2_->setCurrentIndex(6); // "10"
    comboBox2_->setGeometry(kPanelLeft + 90, boxesTop + 20, 80, 26);

    connect(comboBox1_, &QComboBox::currentTextChanged, this, [this] { ComboBox1Change(); });
    connect(comboBox2_, &QComboBox::currentTextChanged, this, [this] { ComboBox1Change(); });
}

const QImage& TForm4::voltageImage() const { return image1_->image(); }
const QImage& TForm4::temperatureImage() const { return image2_->image(); }

TemperatureKind TForm4::temperatureKind() const
{
    return state_.temperatureKind;
}

std::optional<SC::TemperatureScale> TForm4::typedScale(QString* problem) const
{
    const QString rangeText = comboBox1_->currentText();
    const QString tminText = comboBox2_->currentText();
    const std::optional<double> range = SC::fieldNumber(rangeText);
    const std::optional<double> offset = SC::fieldNumber(tminText);
    if (range && offset && *range != 0)
        return SC::TemperatureScale{*offset, *range};
    if (problem) {
        if (!range)
            *problem = QStringLiteral("'%1' is not a valid number for \"range\"; the temperature "
                                      "chart keeps its last scale.")
                           .arg(rangeText);
        else if (!offset)
            *problem = QStringLiteral("'%1' is not a valid number for \"Tmin\"; the temperature "
                                      "chart keeps its last scale.")
                           .arg(tminText);
        else
            *problem = QStringLiteral("A \"range\" of 0 cannot be drawn; the temperature chart "
                                      "keeps its last scale.");
    }
    return std::nullopt;
}

SC::TemperatureScale TForm4::drawingScale()
{
    QString problem;
    if (const std::optional<SC::TemperatureScale> scale = typedScale(&problem)) {
        lastGoodScale_ = *scale;
        reportedText_.clear();
        return lastGoodScale_;
    }
    // Once per bad text: every frame redraws, and the operator needs to hear
    // it only once.
    const QString text = comboBox1_->currentText() + QLatin1Char('\n') + comboBox2_->currentText();
    if (text != reportedText_) {
        reportedText_ = text;
        // Redraws run inside the receive handling: the report waits for it.
        QMetaObject::invokeMethod(
            this,
            [this, problem] {
                if (reporter_)
                    reporter_->report({problem, QStringLiteral("Error")});
            },
            Qt::QueuedConnection);
    }
    return lastGoodScale_;
}

void TForm4::showSensorKind(obr9::TemperatureKind kind)
{
    const bool eight = kind == obr9::TemperatureKind::EightTemperatures;
    if (!eight) {
        channelBox(0)->setText(QStringLiteral("Temperature"));
        channelBox(1)->setText(QStringLiteral("Humidtity"));
    }
    for (int k = 2; k < 8; ++k) {
        channelBox(k)->setVisible(eight);
        swatch(k)->setVisible(eight);
    }
    ComboBox1Change();
    label32_->setText(eight ? QStringLiteral("Temperature") : QStringLiteral("Temp / Hum"));
}

void TForm4::showChannel(int channel, const QString& name, float celsius)
{
    channelBox(channel)->setEnabled(true);
    channelBox(channel)->setText(DriverReadingTexts::channel(name, celsius, format_));
}

void TForm4::showTemperatureHumidity(float celsius, float humidityPercent)
{
    channelBox(0)->setText(DriverReadingTexts::temperature(celsius, format_));
    channelBox(1)->setText(DriverReadingTexts::humidity(humidityPercent, format_));
}

void TForm4::ComboBox1Change()
{
    const std::optional<SC::TemperatureScale> scale = typedScale(nullptr);
    if (!scale)
        return;
    const std::array<QString, 6> labels = SC::temperatureLabels(
        scale->offset, scale->range, temperatureKind(), format_);
    for (int n = 0; n < 6; ++n)
        temperatureScale_[size_t(n)]->setText(labels[size_t(n)]);
}

void TForm4::redrawVoltage()
{
    QImage image = voltageBackground_;
    ChartDrawing::drawPolyline(image, SC::voltageTrace(voltage_),
                               qRgb(0, 0, 0));
    image1_->setImage(std::move(image));
}

void TForm4::RysujWykres()
{
    const TemperatureHistory& history = temperatures_;
    const TemperatureKind kind = temperatureKind();
    const int channels = kind == TemperatureKind::TemperatureHumidity ? 2 : 8;

    QImage image = temperatureBackground_;
    std::optional<SC::TemperatureScale> scale;
    for (int c = 0; c < channels; ++c) {
        if (!checkBoxes_[size_t(c)]->isChecked())
            continue;
        if (!scale)
            scale = drawingScale();
        SC::TemperatureScale channelScale = *scale;
        if (kind == TemperatureKind::TemperatureHumidity && c == 1)
            channelScale = {0, 100}; // humidity: 0 .. 100 % over the full height
        ChartDrawing::drawPolyline(image, SC::temperatureTrace(history, c, channelScale),
                                   ChartDrawing::channelColour(c).rgb());
    }
    image2_->setImage(std::move(image));
}

void TForm4::setTimeLabels(const std::array<QLabel*, 6>& labels,
                           const std::optional<SC::TimeSpan>& span)
{
    // An item without a span (nothing chosen, the empty item) keeps the scale.
    if (!span)
        return;
    const std::array<QString, 6> texts = SC::timeLabels(*span);
    for (size_t n = 0; n < labels.size(); ++n)
        labels[n]->setText(texts[n]);
}

void TForm4::setChartChoice(const std::array<QString, 8>& channelNames,
                            const QString& voltageItem, const QString& temperatureItem)
{
    choice_ = {channelNames, voltageItem, temperatureItem};
}

void TForm4::showCharts()
{
    if (temperatureKind() == TemperatureKind::EightTemperatures) {
        for (int k = 0; k < 8; ++k)
            checkBoxes_[size_t(k)]->setText(choice_.names[size_t(k)]);
        label32_->setText(QStringLiteral("Temperature"));
    } else {
        checkBoxes_[0]->setText(QStringLiteral("Temperature"));
        checkBoxes_[1]->setText(QStringLiteral("Humidity"));
        label32_->setText(QStringLiteral("Temp / Hum"));
    }
    setTimeLabels(voltageTime_, SC::voltageSpan(choice_.voltageItem));
    setTimeLabels(temperatureTime_, SC::temperatureSpan(choice_.temperatureItem));
    show();
    raise();
    activateWindow();
}
