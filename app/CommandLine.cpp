#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

namespace {

void defineOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Operator program for the OBR-9 controller. With --headless it runs without windows "
        "as a plant gateway: it records and publishes the readings over MQTT."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("headless"), QStringLiteral("Run without windows (no display needed).")},
        {QStringLiteral("controller"),
         QStringLiteral("Connect to the controller at HOST:PORT (port 8090 when left out)."),
         QStringLiteral("HOST:PORT")},
        {QStringLiteral("modules"),
         QStringLiteral("Open the RS-485 module port DEVICE (baud rate 115200 when left out)."),
         QStringLiteral("DEVICE[@BAUD]")},
        {QStringLiteral("record"),
         QStringLiteral("Write the recording files and the HQ-2 chart files into DIR."),
         QStringLiteral("DIR")},
        {QStringLiteral("mqtt"),
         QStringLiteral("Publish to the MQTT broker at HOST:PORT (port 1883 when left out)."),
         QStringLiteral("HOST:PORT")},
        {QStringLiteral("mqtt-prefix"),
         QStringLiteral("Topic prefix of every published value (default obr9)."),
         QStringLiteral("PREFIX")},
        {QStringLiteral("settings"),
         QStringLiteral("Settings file to read (never written): channel names, limits, "
                        "sampling, and the [MQTT] section with User and Password."),
         QStringLiteral("FILE")},
    });
    parser.addPositionalArgument(QStringLiteral("chart-file"),
                                 QStringLiteral("Windows only: the second argument names the "
                                                "initial chart file."),
                                 QStringLiteral("[first] [chart-file]"));
}

// "NAME" or "NAME<separator>NUMBER"; false on an empty name or a number that
// is not one or lies outside 1..maximum.
bool splitNumber(const QString& text, QChar separator, int maximum, QString& name, int& number)
{
    const int at = text.lastIndexOf(separator);
    name = at < 0 ? text : text.left(at);
    if (at >= 0) {
        bool ok = false;
        number = text.mid(at + 1).toInt(&ok);
        if (!ok || number < 1 || number > maximum)
            return false;
    }
    return !name.isEmpty();
}

QString gatewayOptions(const QCommandLineParser& parser, obr9::GatewayOptions& o)
{
    if (parser.isSet(QStringLiteral("controller")) &&
        !splitNumber(parser.value(QStringLiteral("controller")), QLatin1Char(':'), 65535,
                     o.controllerHost, o.controllerPort))
        return QStringLiteral("--controller wants HOST:PORT");
    if (parser.isSet(QStringLiteral("modules")) &&
        !splitNumber(parser.value(QStringLiteral("modules")), QLatin1Char('@'), 4000000,
                     o.modulesDevice, o.modulesBaud))
        return QStringLiteral("--modules wants DEVICE[@BAUD]");
    if (parser.isSet(QStringLiteral("mqtt")) &&
        !o.mqtt.setAddress(parser.value(QStringLiteral("mqtt"))))
        return QStringLiteral("--mqtt wants HOST:PORT");
    if (parser.isSet(QStringLiteral("mqtt-prefix"))) {
        o.mqtt.prefix = parser.value(QStringLiteral("mqtt-prefix"));
        if (o.mqtt.prefix.isEmpty() || o.mqtt.prefix.contains(QLatin1Char('#')) ||
            o.mqtt.prefix.contains(QLatin1Char('+')))
            return QStringLiteral("--mqtt-prefix wants a topic without # and +");
    }
    o.recordDirectory = parser.value(QStringLiteral("record"));
    o.settingsFile = parser.value(QStringLiteral("settings"));
    // The service unit hands the settings file over as a systemd credential,
    // readable by this service alone.
    const QString credentials = qEnvironmentVariable("CREDENTIALS_DIRECTORY");
    if (o.settingsFile.isEmpty() && !credentials.isEmpty() &&
        QFileInfo(credentials + QStringLiteral("/settings")).isFile())
        o.settingsFile = credentials + QStringLiteral("/settings");
    return {};
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    defineOptions(parser);
    const bool parsed = parser.parse(arguments);
    CommandLine result;
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        result.action = CommandLine::Help;
        return result;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        result.action = CommandLine::Version;
        return result;
    }
    if (!parser.isSet(QStringLiteral("headless")))
        return result;
    result.action = CommandLine::Headless;
    result.error = parsed ? gatewayOptions(parser, result.options) : parser.errorText();
    if (result.error.isEmpty() && !parser.positionalArguments().isEmpty())
        result.error = QStringLiteral("--headless takes no further arguments");
    if (!result.error.isEmpty())
        result.action = CommandLine::Error;
    return result;
}

QString commandLineHelp()
{
    QCommandLineParser parser;
    defineOptions(parser);
    return parser.helpText();
}

QString commandLineVersion()
{
    return QStringLiteral("obr9 ") + QStringLiteral(OBR9_VERSION) + QLatin1Char('\n');
}
