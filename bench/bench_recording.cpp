// Recording speed: lines per second through the main window's ZapiszDane,
// which opens, appends to and closes its file for every line so that
// another program can read the recording between lines.
//
// The whole program is built (offscreen), one "record" box is ticked, and
// the four kinds are recorded in turn the way a controller's frames arrive
// (voltage, inputs and outputs, eight temperatures, temperature and
// humidity) into a fresh temporary folder. The recorder on its own is
// measured as well, to show what the window adds. The last line says
// whether the rate keeps above 2 000 lines per second.
//
//   bench_recording [lines=20000]

#include "app/ProgramEntry.h"
#include "base/SettingsLocation.h"
#include "measure/CsvRecorder.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>

using namespace obr9;

namespace {

constexpr double kRequiredLinesPerSecond = 2000;

struct Frame {
    obr9::RecordKind kind;
    float values[8];
};

const Frame kFrames[4] = {
    {obr9::RecordKind::Voltage, {12.6543f}},
    {obr9::RecordKind::InputsOutputs, {5}},
    {obr9::RecordKind::EightTemperatures, {65.5f, 45, 4.5f, 21.5f, 52, 28, 118.5f, 40}},
    {obr9::RecordKind::TemperatureHumidity, {21.25f, 45.5f}},
};

template <typename Record>
double linesPerSecond(long lines, Record record)
{
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < lines; ++i) {
        const Frame& frame = kFrames[i % 4];
        record(frame.values, frame.kind);
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return double(lines) / elapsed.count();
}

long countLines(const QString& folder)
{
    long lines = 0;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.csv")}, QDir::Files)) {
        QFile file(QDir(folder).filePath(name));
        if (file.open(QIODevice::ReadOnly))
            lines += file.readAll().count('\n');
    }
    return lines;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const long lines = argc > 1 ? std::atol(argv[1]) : 20000;
    if (lines <= 0) {
        std::fprintf(stderr, "usage: bench_recording [lines=20000]\n");
        return 2;
    }

    QApplication app(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());
    TForm1::settingsLocationOverride() =
        SettingsLocation(folder.filePath(QStringLiteral("obr9")), folder.filePath(QStringLiteral("user")));

    double windowRate = 0;
    {
        std::unique_ptr<TForm1> form = CreateForms();
        form->timer1().stop();
        form->timer2().stop();
        form->findChild<QCheckBox*>(QStringLiteral("CheckBox4"))->setChecked(true);
        windowRate = linesPerSecond(lines, [&](const float* values, obr9::RecordKind kind) {
            form->ZapiszDane(values, kind);
        });
    }
    const long windowLines = countLines(folder.path());
    // Headers: one for the eight temperatures, one for temperature and humidity.
    const long expected = lines + (lines > 2 ? 1 : 0) + (lines > 3 ? 1 : 0);

    const QString alone = folder.filePath(QStringLiteral("alone"));
    QDir().mkpath(alone);
    CsvRecorder recorder(alone);
    std::array<QByteArray, 8> names;
    for (int k = 0; k < 8; ++k)
        names[size_t(k)] = "Temp" + QByteArray::number(k + 1);
    const double recorderRate = linesPerSecond(lines, [&](const float* values, obr9::RecordKind kind) {
        recorder.append(values, kind, 2, 0, names);
    });
    QDir::setCurrent(previous);

    std::printf("lines             %ld (%ld in the files, %ld expected)\n", lines, windowLines,
                expected);
    std::printf("ZapiszDane        %10.0f lines/s\n", windowRate);
    std::printf("CsvRecorder alone %10.0f lines/s\n", recorderRate);
    const bool fastEnough = windowRate > kRequiredLinesPerSecond && windowLines == expected;
    std::printf("%s\n", fastEnough ? "ok: above 2000 lines/s"
                                   : "FAILED: below 2000 lines/s or lines missing");
    return fastEnough ? 0 : 1;
}
