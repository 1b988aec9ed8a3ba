// One line of a strip chart: its look and its points.
//
// A point is a Y value, a label (index into the chart's ChartLabels) and a
// colour; its X value is its index unless a loaded file said otherwise.
// Y values are floats while every value is one (module values arrive as
// floats); the first value a float cannot hold bit for bit (a loaded file,
// say) turns the series' column into doubles. Either column keeps closed
// blocks of 1024 values compressed (CompressedColumn): readings that repeat
// or move in sensor steps cost well under a byte, noise no more than raw.
// Reading a point of a closed block decodes that block, so reads should go
// in order or through the summaries; a series is read from one thread.
// Labels are kept as arithmetic runs (label = base + step * offset, step 0
// or 1): the charting step gives every point of a series the next label of
// its chart, so a whole history is one run. Colours are kept as runs too: a
// new run starts only where the colour changes, so a series drawn in its own
// colour costs nothing per point. X values get a column of their own only
// once one differs from its index.
//
// Colours are 0xAARRGGBB, the layout of QRgb.
#pragma once

#include "measure/ChunkedColumn.h"
#include "measure/CompressedColumn.h"

#include <QString>
#include <Qt>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace obr9 {

class ChartSeries {
public:
    ChartSeries() = default;
    ChartSeries(QString name, uint32_t colour, Qt::PenStyle pen = Qt::SolidLine, bool visible = true)
        : name(std::move(name))
        , colour(colour)
        , pen(pen)
        , visible(visible)
    {
    }

    QString name;               // legend text
    uint32_t colour = 0xFF000000; // the series' own colour
    Qt::PenStyle pen = Qt::SolidLine;
    bool visible = true;

    // Appends a point with X = its index; returns that index.
    int append(double y, uint32_t label, uint32_t pointColour);
    // Appends a point with an X value of its own.
    int append(double x, double y, uint32_t label, uint32_t pointColour);

    int size() const { return int(size_); }
    double y(int i) const { return doubles_ ? yd_[std::size_t(i)] : double(yf_[std::size_t(i)]); }
    double x(int i) const { return ownX_ ? x_[std::size_t(i)] : double(i); }
    uint32_t label(int i) const;
    // True once some value needed a double of its own.
    bool storesDoubles() const { return doubles_; }
    uint32_t pointColour(int i) const;

    // For drawing many points on few pixels: points first..last (inclusive,
    // clamped to the series) cut into out.size() runs of about equal index
    // length (the runs' firstIndex and count say where each one lies), each
    // with its least and greatest finite Y, its first and last Y, and
    // whether some Y is not finite (a gap in the line). A line through them
    // looks like the full line, spikes included. A run that gets no point
    // (more runs than points) has count 0; a run without a finite Y has
    // minimum > maximum.
    //
    // The cost does not grow with the history: beside the points the series
    // keeps a pyramid of block summaries (least, greatest, first and last
    // value of each aligned block of 32, 256, 2048, ... points). Runs of 64
    // points or more have their inner ends moved to the nearest boundary of
    // the largest blocks no longer than half a run (by at most a quarter of
    // a run, which no eye sees), so they are read from summaries alone; only
    // the span's own two ends read up to 31 points each. Shorter runs read
    // their points, each closed block decoded once, in order.
    struct Envelope {
        double minimum = 0;
        double maximum = 0;
        bool gap = false;
        double first = 0;
        double last = 0;
        int firstIndex = 0;
        int count = 0;
    };
    void envelope(int first, int last, std::span<Envelope> out) const;
    // Least and greatest finite Y of points first..last (clamped), from the
    // summaries: only up to 31 points at each end that no summary covers
    // are read. False when no finite Y lies there.
    bool valueRange(int first, int last, double& lo, double& hi) const;

    // What a chart file has to store per point.
    bool hasOwnX() const;
    bool hasPointColours() const;
    bool hasLabels() const;
    // The same for points first..end-1 only.
    bool hasPointColours(int first, int end) const;
    bool hasLabels(int first, int end) const;

    void clearPoints();
    std::size_t memoryBytes() const;

private:
    struct ColourRun {
        uint32_t first; // index of the run's first point
        uint32_t colour;
    };

    struct LabelRun {
        uint32_t first; // index of the run's first point
        uint32_t base;  // its label
        uint32_t step;  // 0 or 1: label growth per point
    };
    void appendY(double y);
    void summarize();
    // First and last value of [begin, end) when both ends lie on the blocks
    // of a summary level and those blocks are summarised.
    bool edgeValues(int level, int begin, int end, double& first, double& last) const;
    // Y of a run's first point (or, with last, of the point before end),
    // from a level-0 summary where one begins (ends) there.
    double edgeValue(int index, bool last) const;
    // Least and greatest finite value and the gap flag of points [begin, end).
    void span(int begin, int end, double& lo, double& hi, bool& gap) const;

    // The pyramid: level 0 summarises aligned blocks of 32 points, each level
    // above 8 blocks of the one below. A summary has the least and greatest
    // value of its block, or NaN in both when a value in it is not finite
    // (such a block is read point by point; those values only come from
    // files). Each also keeps its block's first and last value, so a long
    // pixel column needs no point at all. Floats while the points are
    // floats, so the pyramid costs 16 bytes a 28 points (0.57 B a point).
    static constexpr int kBlockShift = 5;
    static constexpr int kLevelShift = 3;
    template <typename V>
    struct Summary {
        V lo;
        V hi;
        V first; // the block's first and last value, whatever they are
        V last;
    };
    template <typename V>
    using Levels = std::vector<std::vector<Summary<V>>>;
    std::size_t summaryBytes() const;
    Levels<float> levelsF_;  // while every value is a float
    Levels<double> levelsD_; // from the first value that is not
    void appendLabel(uint32_t index, uint32_t label);

    std::size_t size_ = 0;
    bool doubles_ = false;
    CompressedColumn<float> yf_;  // while every value is a float
    CompressedColumn<double> yd_; // from the first value that is not
    std::vector<LabelRun> labelRuns_;
    ChunkedColumn<double> x_; // only once some X differs from its index
    bool ownX_ = false;
    std::vector<ColourRun> runs_;
};

} // namespace obr9
