#include "measure/ChartFile.h"
#include "measure/ChartFileLoader.h"
#include "measure/ChartFileWriter.h"
#include "measure/ModuleCharts.h"

#include "TestBytes.h"
#include "TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

using namespace obr9;

namespace {

// One series, two points: a black point at 1.0 and a silver one at -2.5,
// both labelled.
ChartData smallChart()
{
    ChartData chart;
    chart.settings.title = QStringLiteral("T");
    chart.series.emplace_back(QStringLiteral("A"), 0xFF000000u, Qt::SolidLine, true);
    ChartSeries& s = chart.series.back();
    s.append(1.0, chart.labels.addText(QStringLiteral("14:03:09")), 0xFF000000u);
    s.append(-2.5, chart.labels.addText(QStringLiteral("14:03:10")), kMissingSensorColour);
    return chart;
}

const QByteArray kSmallChartFile = bytes(
    "60 30 20 01"
    " 30 00 00 00"                                            // settings block: 48 bytes
    " 01 09"                                                  // version 1; legend, left axis automatic
    " 00 00 00 00 00 00 00 00  00 00 00 00 00 00 59 40"       // bottom 0 .. 100
    " 00 00 00 00 00 00 00 00  00 00 00 00 00 00 59 40"       // left 0 .. 100
    " 01 00 54"                                               // title "T"
    " 01 00"                                                  // one series
    " 01 00 41  00 00 00 FF  01  01"                          // "A", black, solid, visible
    " 06  02 00 00 00"                                        // colour and label per point; 2 points
    " 00 00 00 00 00 00 F0 3F  00 00 00 FF  08 31 34 3A 30 33 3A 30 39"
    " 00 00 00 00 00 00 04 C0  C0 C0 C0 FF  08 31 34 3A 30 33 3A 31 30");

// A day's chart in miniature: every feature the writer may have to store.
ChartData richTemperatureChart()
{
    ChartData chart = makeTemperatureChart();
    chart.settings.title = QStringLiteral("Temperatury \u00b0C");
    chart.settings.bottom = {12.5, 112.5, false};
    chart.settings.left = {-20, 80, false};
    chart.settings.legendVisible = false;
    chart.settings.view3D = true;
    chart.series[4].visible = false;
    chart.series[9].pen = Qt::DashDotLine;
    chart.series[31].name = QStringLiteral("Kocio\u0142 zewn.");
    for (int i = 0; i < 300; ++i) {
        const uint32_t label = chart.labels.addText(QStringLiteral("14:%1:%2").arg(i / 60, 2, 10, QLatin1Char('0'))
                                                    .arg(i % 60, 2, 10, QLatin1Char('0')));
        for (int k = 0; k < 32; ++k) {
            ChartSeries& s = chart.series[std::size_t(k)];
            const bool missing = k == 7 && i >= 100 && i < 150;
            s.append(20.0 + k + i * 0.125, label, missing ? kMissingSensorColour : s.colour);
        }
    }
    chart.series[3].clearPoints();
    chart.series[3].append(5.0, 1.0, ChartLabels::kEmpty, chart.series[3].colour); // own X, no label
    chart.series[3].append(-0.0, 2.0, ChartLabels::kEmpty, chart.series[3].colour);
    return chart;
}

} // namespace

class TestChartFile : public QObject {
    Q_OBJECT
private slots:
    void layoutOfHeaderSettingsAndPoints()
    {
        QCOMPARE(ChartFile::encode(smallChart()).toHex(' '), kSmallChartFile.toHex(' '));

        ChartData chart;
        QString error;
        QVERIFY2(ChartFile::read(kSmallChartFile, 1, chart, &error), qPrintable(error));
        QVERIFY(sameChart(chart, smallChart()));
    }

    void pointFlagsOnlyWhenNeeded()
    {
        ChartData chart;
        chart.series.emplace_back(QStringLiteral("plain"), 0xFF123456u);
        chart.series.back().append(0.5, ChartLabels::kEmpty, 0xFF123456u);
        chart.series.emplace_back(QStringLiteral("own x"), 0xFF123456u);
        chart.series.back().append(3.0, 0.5, ChartLabels::kEmpty, 0xFF123456u);
        chart.series.emplace_back(QStringLiteral("empty"), 0xFF123456u);
        const QByteArray file = ChartFile::encode(chart);
        const QByteArray points = bytes("00 01 00 00 00  00 00 00 00 00 00 E0 3F"
                                        " 01 01 00 00 00  00 00 00 00 00 00 08 40  00 00 00 00 00 00 E0 3F"
                                        " 00 00 00 00 00");
        QVERIFY(file.endsWith(points));
    }

    void roundTripThroughAFile()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const ChartData original = richTemperatureChart();
        const QString path = dir.filePath(QStringLiteral("chart.bin"));
        QString error;
        QVERIFY2(ChartFile::save(path, original, &error), qPrintable(error));

        ChartData loaded = makeVoltageChart();
        QVERIFY2(ChartFile::load(path, kTemperatureSeriesCount, loaded, &error), qPrintable(error));
        QVERIFY(sameChart(loaded, original));
        QCOMPARE(loaded.series[3].x(1), -0.0);
        QVERIFY(std::signbit(loaded.series[3].x(1)));
        QCOMPARE(loaded.labels.count(), original.labels.count()); // labels stay shared
        QCOMPARE(ChartFile::encode(loaded), fileBytes(path));
    }

    void refusedFilesLeaveTheChartAsItWas_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message");
        const QByteArray good = kSmallChartFile;
        QTest::newRow("empty") << QByteArray() << "format";
        QTest::newRow("wrong first byte") << QByteArray(good).replace(0, 1, "\x61") << "format";
        QTest::newRow("wrong second byte") << QByteArray(good).replace(1, 1, "\x31") << "format";
        QTest::newRow("settings longer than the file") << QByteArray(good).replace(4, 1, "\xF0") << "truncated";
        QTest::newRow("settings length off by one") << QByteArray(good).replace(4, 1, "\x31") << "Invalid";
        QTest::newRow("unknown version") << QByteArray(good).replace(8, 1, "\x02") << "Invalid";
        QTest::newRow("unknown settings flag") << QByteArray(good).replace(9, 1, "\x19") << "Invalid";
        QTest::newRow("axis not a number") << QByteArray(good).replace(16, 2, "\xF8\x7F") << "Invalid";
        QTest::newRow("pen style 9") << QByteArray(good).replace(54, 1, "\x09") << "Invalid";
        QTest::newRow("visibility 2") << QByteArray(good).replace(55, 1, "\x02") << "Invalid";
        QTest::newRow("unknown point flag") << QByteArray(good).replace(56, 1, "\x0E") << "Invalid";
        QTest::newRow("too many points") << QByteArray(good).replace(57, 1, "\x03") << "truncated";
        QTest::newRow("huge point count") << QByteArray(good).replace(57, 4, "\xFF\xFF\xFF\x7F") << "truncated";
        QTest::newRow("count past int") << QByteArray(good).replace(57, 4, "\xFF\xFF\xFF\xFF") << "Invalid";
        QTest::newRow("label past the end") << QByteArray(good).replace(good.size() - 9, 1, "\x09") << "truncated";
        QTest::newRow("trailing byte") << good + bytes("00") << "Invalid";
        QTest::newRow("series count") << good << "series";
    }

    void refusedFilesLeaveTheChartAsItWas()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        const int expected = QByteArray(QTest::currentDataTag()) == "series count" ? 2 : 1;
        ChartData chart = smallChart();
        chart.series[0].append(9.0, ChartLabels::kEmpty, 0xFF000000u);
        const ChartData before = chart;
        QString error;
        QVERIFY(!ChartFile::read(file, expected, chart, &error));
        QVERIFY2(error.contains(message), qPrintable(error));
        QVERIFY(sameChart(chart, before));
    }

    void everyTruncationIsRefused()
    {
        const QByteArray file = ChartFile::encode(richTemperatureChart());
        ChartData chart = makeTemperatureChart();
        const ChartData before = chart;
        // All short cuts, then a sample of the long ones.
        for (qsizetype n = 0; n < file.size(); n += n < 400 ? 1 : 97) {
            QString error;
            QVERIFY2(!ChartFile::read(file.left(n), kTemperatureSeriesCount, chart, &error),
                     qPrintable(QString::number(n)));
            QVERIFY(!error.isEmpty());
        }
        QVERIFY(!ChartFile::read(file.chopped(1), kTemperatureSeriesCount, chart));
        QVERIFY(sameChart(chart, before));
    }

    void voltageFileIsRefusedByTheTemperatureChart()
    {
        QTemporaryDir dir;
        ChartData voltages = makeVoltageChart();
        voltages.series[2].append(12.0, voltages.labels.addText(QStringLiteral("10:00:00")), voltages.series[2].colour);
        const QString voltPath = dir.filePath(ChartFile::periodicFileName(QDate(2026, 12, 8), ChartFile::Kind::Voltages));
        QVERIFY(ChartFile::save(voltPath, voltages));

        ChartData temperatures = richTemperatureChart();
        const ChartData before = temperatures;
        QString error;
        QVERIFY(!ChartFile::load(voltPath, kTemperatureSeriesCount, temperatures, &error));
        QCOMPARE(error, QStringLiteral("The file holds a chart of 16 series; this chart has 32. Nothing was loaded."));
        QVERIFY(sameChart(temperatures, before));

        ChartData otherVoltages = makeVoltageChart();
        QVERIFY(ChartFile::load(voltPath, kVoltageSeriesCount, otherVoltages, &error));
        QVERIFY(sameChart(otherVoltages, voltages));

        QVERIFY(!ChartFile::load(dir.filePath(QStringLiteral("missing.bin")), kVoltageSeriesCount, otherVoltages, &error));
        QVERIFY(error.contains(QStringLiteral("missing.bin")));
        QVERIFY(sameChart(otherVoltages, voltages));
    }

    void failedSaveKeepsThePreviousFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("chart.bin"));
        QVERIFY(ChartFile::save(path, smallChart()));
        QVERIFY(!ChartFile::save(dir.filePath(QStringLiteral("no/such/folder/chart.bin")), smallChart()));
        QCOMPARE(fileBytes(path), kSmallChartFile);
    }

    void periodicFileNames()
    {
        QCOMPARE(ChartFile::periodicFileName(QDate(2026, 12, 8), ChartFile::Kind::Temperatures),
                 QStringLiteral("2026-12-08Temp.bin"));
        QCOMPARE(ChartFile::periodicFileName(QDate(2027, 1, 3), ChartFile::Kind::Voltages),
                 QStringLiteral("2027-01-03Volt.bin"));
    }

    void envelopeKeepsSpikes()
    {
        ChartSeries s(QStringLiteral("s"), 0xFF000000u);
        for (int i = 0; i < 10; ++i)
            s.append(i == 5 ? 100.0 : double(i), ChartLabels::kEmpty, s.colour);
        ChartSeries::Envelope runs[3];
        s.envelope(-5, 100, runs);
        QCOMPARE(runs[0].count, 3);
        QCOMPARE(runs[1].firstIndex, 3);
        QCOMPARE(runs[1].maximum, 100.0);
        QCOMPARE(runs[1].minimum, 3.0);
        QCOMPARE(runs[1].last, 100.0);
        QCOMPARE(runs[2].count, 4);
        QCOMPARE(runs[2].first, 6.0);
        QCOMPARE(runs[2].last, 9.0);

        ChartSeries::Envelope few[4];
        s.envelope(8, 9, few);
        QCOMPARE(few[0].count + few[1].count + few[2].count + few[3].count, 2);
        s.envelope(7, 6, few);
        QCOMPARE(few[3].count, 0);
    }

    void labelsOfMixedLengthsComeBackExactly()
    {
        ChartLabels labels;
        // Times of day a second apart (across midnight too) are made when
        // read; a skipped second, a bad hour, a fraction start anew.
        const QList<QByteArray> texts = {"00:00:01", "00:00:02", "23:59:59.5", "x",        "00:00:03", "00:00:04",
                                         "00:00:06", "24:00:00",   "23:59:59", "00:00:00", "ąę"};
        std::vector<uint32_t> indices;
        for (const QByteArray& t : texts)
            indices.push_back(labels.add(QByteArrayView(t)));
        QCOMPARE(labels.add(QByteArrayView("ąę")), indices.back()); // the same as the last: no new label
        QCOMPARE(labels.add(QByteArrayView()), ChartLabels::kEmpty);
        QCOMPARE(labels.count(), std::size_t(texts.size() + 1));
        for (int i = 0; i < texts.size(); ++i)
            QCOMPARE(labels.bytes(indices[std::size_t(i)]).toByteArray(), texts[i]);
        QVERIFY(labels.bytes(indices[0]) != labels.bytes(indices[1])); // two views held at once
        QVERIFY(labels.bytes(ChartLabels::kEmpty).isEmpty());
        QVERIFY(labels.bytes(uint32_t(texts.size() + 1)).isEmpty()); // unknown
        labels.clear();
        QCOMPARE(labels.count(), std::size_t(1));
        QCOMPARE(labels.add(QByteArrayView("12:00:00")), 1u);
        QCOMPARE(labels.text(1), QStringLiteral("12:00:00"));
    }

    void pointStorageStaysLean()
    {
        // A day of 1 s points on both charts: readings in 1/16 degree steps
        // that drift and repeat cost under a byte a point, labels and
        // summaries included; noise over the whole float no more than raw.
        for (const bool noisy : {false, true}) {
            ChartData temperatures = makeTemperatureChart();
            ChartData voltages = makeVoltageChart();
            std::mt19937 random(5);
            for (int i = 0; i < 86400; ++i) {
                const QByteArray time = QTime(0, 0).addSecs(i).toString(QStringLiteral("HH:mm:ss")).toUtf8();
                const uint32_t t = temperatures.labels.add(QByteArrayView(time));
                const uint32_t v = voltages.labels.add(QByteArrayView(time));
                const double drift = std::floor(std::sin(i / 8000.0) * 32.0 + (random() % 8 == 0)) / 16.0;
                for (ChartSeries& s : temperatures.series)
                    s.append(noisy ? double(20.0f + float(random()) * 1e-9f) : 21.5 + drift, t, s.colour);
                for (ChartSeries& s : voltages.series)
                    s.append(noisy ? double(12.0f + float(random()) * 1e-9f) : 12.0 + drift, v, s.colour);
            }
            const double perPoint = double(temperatures.memoryBytes() + voltages.memoryBytes()) /
                                    double(temperatures.pointCount() + voltages.pointCount());
            QVERIFY2(perPoint <= (noisy ? 4.8 : 1.0), qPrintable(QString::number(perPoint)));
        }
    }

    void summariesGiveThePlainEnvelopeWithRandomSpikes()
    {
        // Noise with rare spikes both ways and, in one series, values that
        // are not finite; envelopes of random spans and widths, and the
        // spans' value ranges, must equal a plain pass over the points.
        std::mt19937 random(12);
        // Modes: floats; floats with gaps; floats that turn into doubles
        // halfway (a value a float cannot hold), with gaps.
        for (const int mode : {0, 1, 2}) {
            const bool withGaps = mode > 0;
            ChartSeries s(QStringLiteral("s"), 0xFF000000u);
            const int n = 200000;
            for (int i = 0; i < n; ++i) {
                double v = double(20.0f + float(random() % 1000) / 100.0f);
                if (mode == 2 && i >= n / 2)
                    v += 0.1; // no float holds these exactly
                if (random() % 5000 == 0)
                    v = random() % 2 ? 900.0 + float(random() % 100) : -900.0;
                if (withGaps && random() % 20000 == 0)
                    v = random() % 2 ? std::numeric_limits<double>::quiet_NaN() : std::numeric_limits<double>::infinity();
                s.append(v, ChartLabels::kEmpty, s.colour);
            }
            QCOMPARE(s.storesDoubles(), mode == 2);
            for (int trial = 0; trial < 60; ++trial) {
                const int first = int(random() % n) - 100;
                const int last = first + int(random() % (trial % 3 == 0 ? n : 5000));
                std::vector<ChartSeries::Envelope> runs(1 + random() % 1500);
                s.envelope(first, last, runs);
                const int lo = std::max(first, 0);
                const int hi = std::min(last, n - 1);
                const auto count = int64_t(runs.size());
                // The runs tile the span in order, each beginning within a
                // quarter of a run of its even share, the non-empty ones
                // counted as points allow.
                int next = lo;
                int nonEmpty = 0;
                double allLo = std::numeric_limits<double>::infinity();
                double allHi = -allLo;
                const double share = double(hi - lo + 1) / double(count);
                for (int64_t r = 0; r < count; ++r) {
                    const ChartSeries::Envelope& got = runs[std::size_t(r)];
                    if (got.count == 0)
                        continue;
                    ++nonEmpty;
                    const int b = got.firstIndex;
                    const int e = b + got.count;
                    QCOMPARE(b, next);
                    next = e;
                    QVERIFY2(std::abs(double(b - lo) - double(r) * share) <= share / 4 + 1,
                             qPrintable(QStringLiteral("run %1 begins at %2").arg(r).arg(b)));
                    double mn = std::numeric_limits<double>::infinity();
                    double mx = -mn;
                    bool gap = false;
                    for (int i = b; i < e; ++i) {
                        const double v = s.y(i);
                        gap = gap || !std::isfinite(v);
                        if (std::isfinite(v)) {
                            mn = std::min(mn, v);
                            mx = std::max(mx, v);
                        }
                    }
                    allLo = std::min(allLo, mn);
                    allHi = std::max(allHi, mx);
                    QCOMPARE(got.firstIndex, b);
                    QCOMPARE(got.minimum, mn);
                    QCOMPARE(got.maximum, mx);
                    QCOMPARE(got.gap, gap);
                    QCOMPARE(got.first, s.y(b));
                    QCOMPARE(got.last, s.y(e - 1));
                }
                if (lo <= hi) {
                    QCOMPARE(next, hi + 1);
                    QCOMPARE(int64_t(nonEmpty), std::min<int64_t>(count, hi - lo + 1));
                    // The automatic axis' range of the same span.
                    double rangeLo = 0;
                    double rangeHi = 0;
                    QCOMPARE(s.valueRange(first, last, rangeLo, rangeHi), allLo <= allHi);
                    if (allLo <= allHi) {
                        QCOMPARE(rangeLo, allLo);
                        QCOMPARE(rangeHi, allHi);
                    }
                }
            }
        }
    }

    void sliceWriterMatchesTheWholeFileAndItsDays()
    {
        QTemporaryDir dir;
        const ChartData chart = richTemperatureChart();
        const QString path = dir.filePath(QStringLiteral("slices.bin"));
        ChartFileWriter whole(chart, {}, path);
        int steps = 0;
        while (whole.step(777) == ChartFileWriter::State::Running)
            ++steps;
        QCOMPARE(whole.state(), ChartFileWriter::State::Done);
        QVERIFY(steps > 5);
        QCOMPARE(fileBytes(path), ChartFile::encode(chart));
        QCOMPARE(whole.bytesWritten(), std::size_t(fileBytes(path).size()));

        // Points 120..249 of each series (series 3 has only two) load as a
        // chart of their own: indices from 0, the missing-sensor stretch kept.
        std::vector<int> firsts(32, 120), ends(32, 250);
        ChartFileWriter part(chart, firsts, path, ends);
        while (part.step(1000) == ChartFileWriter::State::Running) {
        }
        ChartData loaded;
        QString error;
        QVERIFY2(ChartFile::load(path, 32, loaded, &error), qPrintable(error));
        ChartData expected = chart;
        for (int k = 0; k < 32; ++k) {
            const ChartSeries& from = chart.series[std::size_t(k)];
            ChartSeries& to = expected.series[std::size_t(k)];
            to.clearPoints();
            for (int i = std::min(120, from.size()); i < std::min(250, from.size()); ++i) {
                if (from.hasOwnX())
                    to.append(from.x(i), from.y(i), from.label(i), from.pointColour(i));
                else
                    to.append(from.y(i), from.label(i), from.pointColour(i));
            }
        }
        QVERIFY(sameChart(loaded, expected));
        QCOMPARE(loaded.series[7].pointColour(0), kMissingSensorColour);
        QCOMPARE(loaded.series[7].pointColour(30), chart.series[7].colour);
    }

    void droppedSaveLeavesThePreviousFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("2026-12-08Temp.bin"));
        QVERIFY(ChartFile::save(path, smallChart()));
        const QByteArray before = fileBytes(path);
        {
            const ChartData big = richTemperatureChart();
            ChartFileWriter writer(big, {}, path);
            QCOMPARE(writer.step(2000), ChartFileWriter::State::Running);
            QVERIFY(writer.bytesWritten() > 0);
            QCOMPARE(fileBytes(path), before);
        } // dropped halfway, as a killed program would leave it
        QCOMPARE(fileBytes(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("2026-12-08Temp.bin")});

        // A target that cannot be created fails at once and says where.
        const ChartData small = smallChart();
        ChartFileWriter nowhere(small, {}, dir.filePath(QStringLiteral("no/such/x.bin")));
        QCOMPARE(nowhere.state(), ChartFileWriter::State::Failed);
        QVERIFY(nowhere.error().contains(QStringLiteral("no/such")));
    }

    void loaderReportsProgressAndStopsWhenCancelled()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("rich.bin"));
        const ChartData rich = richTemperatureChart();
        QVERIFY(ChartFile::save(path, rich));

        // A read that is cancelled gives nothing back; one that is not has
        // seen every byte.
        ChartData chart = smallChart();
        ChartReadControl stopped;
        stopped.cancel = true;
        QString error;
        QVERIFY(!ChartFile::load(path, ChartFile::kAnySeriesCount, chart, &error, &stopped));
        QVERIFY(sameChart(chart, smallChart()));
        ChartReadControl followed;
        QVERIFY(ChartFile::load(path, ChartFile::kAnySeriesCount, chart, &error, &followed));
        QCOMPARE(followed.bytesRead.load(), QFileInfo(path).size());
        QVERIFY(sameChart(chart, rich));

        ChartFileLoader loader(path, kTemperatureSeriesCount);
        QCOMPARE(loader.bytesTotal(), QFileInfo(path).size());
        QTRY_VERIFY(loader.state() != ChartFileLoader::State::Running);
        QCOMPARE(loader.state(), ChartFileLoader::State::Done);
        QVERIFY(sameChart(loader.takeChart(), rich));

        ChartFileLoader refused(path, kVoltageSeriesCount);
        QTRY_VERIFY(refused.state() != ChartFileLoader::State::Running);
        QCOMPARE(refused.state(), ChartFileLoader::State::Failed);
        QVERIFY(refused.error().contains(QStringLiteral("32 series")));
        QCOMPARE(refused.takeChart().seriesCount(), 0);
    }

    void compactStorageGivesBackEveryValueLabelAndColour()
    {
        // Values a float holds stay floats; the first one it cannot hold
        // (0.1, a NaN with a low payload, 1e300) turns only that series
        // into doubles. Labels repeat, jump and fall back to empty.
        ChartData chart;
        chart.series.emplace_back(QStringLiteral("floats"), 0xFF000000u);
        chart.series.emplace_back(QStringLiteral("doubles"), 0xFF0000FFu);
        chart.series.emplace_back(QStringLiteral("own x"), 0xFF00FF00u);
        double nanWithPayload;
        const uint64_t nanBits = 0x7FF8000000000123ull;
        std::memcpy(&nanWithPayload, &nanBits, sizeof nanBits);
        const double awkward[] = {0.1, nanWithPayload, 1e300, -1e-310, 2.0 / 3.0};
        std::vector<uint32_t> labels;
        for (int i = 0; i < 20000; ++i) {
            const int text = i < 5000 ? i : i < 6000 ? 5000 : i % 7 == 0 ? 0 : i * 3;
            labels.push_back(text == 0 ? ChartLabels::kEmpty : chart.labels.addText(QString::number(text)));
        }
        for (int i = 0; i < 20000; ++i) {
            const uint32_t colour = i % 1000 < 10 ? kMissingSensorColour : 0xFF000000u;
            chart.series[0].append(float(i) * 0.25f - 7.0f, labels[std::size_t(i)], colour);
            chart.series[1].append(i == 9000 ? awkward[i % 5] : i > 9000 ? awkward[i % 5] : -0.0,
                                   labels[std::size_t(i)], 0xFF0000FFu);
            chart.series[2].append(i * 0.5, float(i), labels[std::size_t(i)], 0xFF00FF00u);
        }
        QVERIFY(!chart.series[0].storesDoubles());
        QVERIFY(chart.series[1].storesDoubles());
        QVERIFY(!chart.series[2].storesDoubles());
        for (int i = 0; i < 20000; i += 37) {
            QCOMPARE(chart.series[0].y(i), double(float(i) * 0.25f - 7.0f));
            QCOMPARE(chart.series[0].label(i), labels[std::size_t(i)]);
            QCOMPARE(chart.series[0].pointColour(i), i % 1000 < 10 ? kMissingSensorColour : 0xFF000000u);
            const double expected = i >= 9000 ? awkward[i % 5] : -0.0;
            const double got = chart.series[1].y(i);
            QVERIFY2(std::memcmp(&got, &expected, sizeof got) == 0, qPrintable(QString::number(i)));
            QCOMPARE(chart.series[2].x(i), i * 0.5);
        }

        const QByteArray file = ChartFile::encode(chart);
        ChartData loaded;
        QString error;
        QVERIFY2(ChartFile::read(file, 3, loaded, &error), qPrintable(error));
        QVERIFY(sameChart(loaded, chart));
        QCOMPARE(ChartFile::encode(loaded), file);
    }
};

QTEST_GUILESS_MAIN(TestChartFile)
#include "test_chart_file.moc"
