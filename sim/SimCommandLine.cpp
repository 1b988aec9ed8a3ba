#include "sim/SimCommandLine.h"

#include <QCommandLineParser>

#include <cmath>

namespace obr9::sim {

namespace {
// Fractions allowed, so a fault can be set to a fraction of a second.
std::optional<Milliseconds> parseSeconds(const QString& text)
{
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 0.0 || seconds > 1.0e6)
        return std::nullopt;
    return Milliseconds{std::llround(seconds * 1000.0)};
}

std::optional<uint> parseUnsigned(const QString& text, uint max)
{
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (!ok || value > max)
        return std::nullopt;
    return value;
}
} // namespace

namespace {
// "2,9,13" within 0..max; "none" for an empty list.
std::optional<QList<int>> parseNumberList(const QString& text, int max)
{
    QList<int> numbers;
    if (text == QLatin1String("none"))
        return numbers;
    for (const QString& part : text.split(QLatin1Char(','))) {
        const auto value = parseUnsigned(part.trimmed(), uint(max));
        if (!value)
            return std::nullopt;
        if (!numbers.contains(int(*value)))
            numbers.append(int(*value));
    }
    return numbers;
}

QString parseModuleOptions(const QCommandLineParser& parser, const QCommandLineOption& pty,
                           const QCommandLineOption& listen, const QCommandLineOption& only,
                           const QCommandLineOption& period, const QCommandLineOption& missing,
                           const QCommandLineOption& garbage, const QCommandLineOption& relays,
                           const QCommandLineOption& onLink, SimModuleOptions& modules)
{
    modules.pseudoTerminal = parser.isSet(pty);
    if (parser.isSet(listen)) {
        QString error;
        const auto endpoint = parseLoopbackEndpoint(parser.value(listen), &error);
        if (!endpoint)
            return QStringLiteral("--modules-listen: ") + error;
        modules.tcp = *endpoint;
    }
    modules.onControllerLink = parser.isSet(onLink);
    modules.modulesOnly = parser.isSet(only);
    if (modules.modulesOnly && modules.onControllerLink)
        return QStringLiteral("--modules-on-link needs the controller; drop --modules-only");
    if (modules.modulesOnly && !modules.enabled())
        return QStringLiteral("--modules-only needs --modules-pty or --modules-listen");
    if (parser.isSet(period)) {
        const auto value = parseUnsigned(parser.value(period), 86'400'000);
        if (!value || *value == 0)
            return QStringLiteral("--module-period-ms: give a number of milliseconds above 0");
        modules.period = Milliseconds{*value};
    }
    if (parser.isSet(missing)) {
        const auto list = parseNumberList(parser.value(missing), 15);
        if (!list)
            return QStringLiteral("--missing-external: give channels 0..15 separated by commas, or none");
        modules.missingExternal = *list;
    }
    modules.garbage = parser.isSet(garbage);
    if (parser.isSet(relays)) {
        const auto list = parseNumberList(parser.value(relays), 7);
        if (!list)
            return QStringLiteral("--relays: give addresses 0..7 separated by commas, or none");
        modules.relayAddresses = *list;
    }
    return {};
}
} // namespace

SimCommandLine parseSimCommandLine(const QStringList& arguments)
{
    SimCommandLine result;

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated OBR-9 controller. Listens on, or connects to, loopback addresses only."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption listen(QStringLiteral("listen"),
                                    QStringLiteral("Listen on ADDR[:PORT] (default 127.0.0.1:8090)."),
                                    QStringLiteral("addr[:port]"));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Port to listen on; 0 lets the system choose."),
                                  QStringLiteral("port"));
    const QCommandLineOption connectTo(QStringLiteral("connect"),
                                       QStringLiteral("Connect to the program's listening port at ADDR:PORT."),
                                       QStringLiteral("addr:port"));
    const QCommandLineOption sensor(QStringLiteral("sensor"),
                                    QStringLiteral("eight: eight temperatures (type 1); th: temperature "
                                                   "and humidity (type 3). Default eight."),
                                    QStringLiteral("eight|th"));
    const QCommandLineOption version(QStringLiteral("fw-version"),
                                     QStringLiteral("Version byte of the identification answer (default 10)."),
                                     QStringLiteral("0..255"));
    const QCommandLineOption voltageInterval(QStringLiteral("voltage-interval"),
                                             QStringLiteral("Voltage interval index: 0 10/s, 1 5/s, 2 1/s "
                                                            "(default), 3 1/2s, 4 1/10s."),
                                             QStringLiteral("0..4"));
    const QCommandLineOption temperatureInterval(QStringLiteral("temperature-interval"),
                                                 QStringLiteral("Temperature interval index: 0 1/s (default), 1 "
                                                                "1/2s, 2 1/5s, 3 1/10s, 4 1/30s, 5 1/1min, ... 13 "
                                                                "1/10h."),
                                                 QStringLiteral("0..13"));
    const QCommandLineOption period(QStringLiteral("period-ms"),
                                    QStringLiteral("Send every kind of data frame every N ms instead."),
                                    QStringLiteral("n"));
    const QCommandLineOption fast(QStringLiteral("fast"), QStringLiteral("Same as --period-ms 100."));
    const QCommandLineOption bytePerWrite(QStringLiteral("byte-per-write"),
                                          QStringLiteral("Fault: write every byte on its own."));
    const QCommandLineOption garbage(QStringLiteral("garbage"),
                                     QStringLiteral("Fault: put bytes other than 0xFF between frames."));
    const QCommandLineOption silentAfter(QStringLiteral("silent-after"),
                                         QStringLiteral("Fault: send nothing more S seconds into a connection."),
                                         QStringLiteral("s"));
    const QCommandLineOption dropAfter(QStringLiteral("drop-after"),
                                       QStringLiteral("Fault: close each connection after S seconds."),
                                       QStringLiteral("s"));
    const QCommandLineOption loginUser(QStringLiteral("login-user"),
                                       QStringLiteral("User name the login accepts (default admin)."),
                                       QStringLiteral("name"));
    const QCommandLineOption loginPassword(QStringLiteral("login-password"),
                                           QStringLiteral("Password the login accepts (default 7961)."),
                                           QStringLiteral("text"));
    const QCommandLineOption nakEvery(QStringLiteral("nak-every"),
                                      QStringLiteral("Firmware upload: answer every N-th frame with 'd' "
                                                     "so that the program repeats it (0 never, default)."),
                                      QStringLiteral("n"));
    const QCommandLineOption modulesPty(QStringLiteral("modules-pty"),
                                        QStringLiteral("Play the RS-485 modules (HQ-2, VK8) on a pseudo-terminal; "
                                                       "its path is printed as \"module port PATH\"."));
    const QCommandLineOption modulesListen(QStringLiteral("modules-listen"),
                                           QStringLiteral("Play the RS-485 modules on a loopback TCP port, as the "
                                                          "controller forwards them (0 lets the system choose)."),
                                           QStringLiteral("addr:port"));
    const QCommandLineOption modulesOnLink(QStringLiteral("modules-on-link"),
                                           QStringLiteral("Also send the HQ-2 frames on the controller's TCP link, "
                                                          "between its own frames, as a controller that forwards "
                                                          "its RS-485 bus."));
    const QCommandLineOption modulesOnly(QStringLiteral("modules-only"),
                                         QStringLiteral("Only the modules: no controller on the TCP link."));
    const QCommandLineOption modulePeriod(QStringLiteral("module-period-ms"),
                                          QStringLiteral("The HQ-2 sends its sixteen frames every N ms (default 1000)."),
                                          QStringLiteral("n"));
    const QCommandLineOption missingExternal(QStringLiteral("missing-external"),
                                             QStringLiteral("HQ-2 channels without an external sensor (-900.0), "
                                                            "comma-separated 0..15, \"none\" for none (default 2,9,13)."),
                                             QStringLiteral("list"));
    const QCommandLineOption moduleGarbage(QStringLiteral("module-garbage"),
                                           QStringLiteral("Fault: stray bytes between the module frames."));
    const QCommandLineOption relayAddresses(QStringLiteral("relays"),
                                            QStringLiteral("Bus addresses 0..7 of the VK8 relay modules that answer, "
                                                           "comma-separated, \"none\" for none (default 0,1,2,3)."),
                                            QStringLiteral("list"));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Log requests and sent blocks in hex on stderr."));
    parser.addOptions({help, listen, port, connectTo, sensor, version, voltageInterval, temperatureInterval,
                       period, fast, bytePerWrite, garbage, silentAfter, dropAfter, verbose});
    parser.addOptions({loginUser, loginPassword, nakEvery});
    parser.addOptions({modulesPty, modulesListen, modulesOnly, modulePeriod, missingExternal, moduleGarbage,
                       relayAddresses, modulesOnLink});

    auto fail = [&result](const QString& message) {
        result.error = message;
        return result;
    };

    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(help)) {
        result.helpRequested = true;
        result.helpText = parser.helpText();
        return result;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));

    if (parser.isSet(connectTo) && (parser.isSet(listen) || parser.isSet(port)))
        return fail(QStringLiteral("--connect cannot be combined with --listen or --port"));

    QString error;
    if (parser.isSet(connectTo)) {
        const auto endpoint = parseLoopbackEndpoint(parser.value(connectTo), &error);
        if (!endpoint)
            return fail(QStringLiteral("--connect: ") + error);
        if (endpoint->port == 0)
            return fail(QStringLiteral("--connect: port 0 cannot be connected to"));
        result.mode = SimCommandLine::Mode::Connect;
        result.endpoint = *endpoint;
    } else if (parser.isSet(listen)) {
        const auto endpoint = parseLoopbackEndpoint(parser.value(listen), &error);
        if (!endpoint)
            return fail(QStringLiteral("--listen: ") + error);
        result.endpoint = *endpoint;
    }
    if (parser.isSet(port)) {
        const auto value = parseUnsigned(parser.value(port), 65535);
        if (!value)
            return fail(QStringLiteral("--port: '%1' is not a port number").arg(parser.value(port)));
        result.endpoint.port = static_cast<quint16>(*value);
    }

    SimOptions& options = result.options;
    if (parser.isSet(sensor)) {
        const QString kind = parser.value(sensor);
        if (kind == QLatin1String("eight"))
            options.sensor = SensorKind::EightTemperatures;
        else if (kind == QLatin1String("th"))
            options.sensor = SensorKind::TemperatureHumidity;
        else
            return fail(QStringLiteral("--sensor: '%1' is neither eight nor th").arg(kind));
    }
    if (parser.isSet(version)) {
        const auto value = parseUnsigned(parser.value(version), 255);
        if (!value)
            return fail(QStringLiteral("--fw-version: give 0..255"));
        options.version = static_cast<uint8_t>(*value);
    }
    if (parser.isSet(voltageInterval)) {
        const auto value = parseUnsigned(parser.value(voltageInterval), kVoltagePeriods.size() - 1);
        if (!value)
            return fail(QStringLiteral("--voltage-interval: give 0..%1").arg(kVoltagePeriods.size() - 1));
        options.voltageIntervalIndex = static_cast<uint8_t>(*value);
    }
    if (parser.isSet(temperatureInterval)) {
        const auto value = parseUnsigned(parser.value(temperatureInterval), kTemperaturePeriods.size() - 1);
        if (!value)
            return fail(QStringLiteral("--temperature-interval: give 0..%1").arg(kTemperaturePeriods.size() - 1));
        options.temperatureIntervalIndex = static_cast<uint8_t>(*value);
    }
    if (parser.isSet(period) && parser.isSet(fast))
        return fail(QStringLiteral("--period-ms and --fast exclude each other"));
    if (parser.isSet(period)) {
        const auto value = parseUnsigned(parser.value(period), 86'400'000);
        if (!value || *value == 0)
            return fail(QStringLiteral("--period-ms: give a number of milliseconds above 0"));
        options.period = Milliseconds{*value};
    } else if (parser.isSet(fast)) {
        options.period = Milliseconds{100};
    }

    options.bytePerWrite = parser.isSet(bytePerWrite);
    options.garbage = parser.isSet(garbage);
    if (parser.isSet(silentAfter)) {
        options.silentAfter = parseSeconds(parser.value(silentAfter));
        if (!options.silentAfter)
            return fail(QStringLiteral("--silent-after: give a number of seconds"));
    }
    if (parser.isSet(dropAfter)) {
        options.dropAfter = parseSeconds(parser.value(dropAfter));
        if (!options.dropAfter)
            return fail(QStringLiteral("--drop-after: give a number of seconds"));
    }
    // The program sends both in one 50-byte request: 30 characters together.
    if (parser.isSet(loginUser))
        options.loginUser = parser.value(loginUser).toLatin1();
    if (parser.isSet(loginPassword))
        options.loginPassword = parser.value(loginPassword).toLatin1();
    if (options.loginUser.size() + options.loginPassword.size() > 30)
        return fail(QStringLiteral("--login-user and --login-password hold 30 characters together"));
    if (parser.isSet(nakEvery)) {
        const auto value = parseUnsigned(parser.value(nakEvery), 1000000);
        if (!value || *value == 1)
            return fail(QStringLiteral("--nak-every: give 0 or a number from 2 up"));
        options.nakEvery = static_cast<int>(*value);
    }
    if (QString moduleError = parseModuleOptions(parser, modulesPty, modulesListen, modulesOnly, modulePeriod,
                                                 missingExternal, moduleGarbage, relayAddresses, modulesOnLink,
                                                 result.modules);
        !moduleError.isEmpty())
        return fail(moduleError);
    result.verbose = parser.isSet(verbose);
    return result;
}

} // namespace obr9::sim
