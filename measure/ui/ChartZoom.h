// Bottom-axis arithmetic of the HQ-2 charts: the "+" and "-" zoom around the
// axis minimum and the auto-pan that keeps the newest point in view. Axis
// values are point indexes.
#pragma once

#include <cmath>

namespace obr9::ChartZoom {

inline constexpr double kZoomIn = 0.714285714285714331; // 5/7
inline constexpr double kZoomOut = 1.4;                  // 7/5

struct Axis {
    double minimum = 0;
    double maximum = 0;
};

// The span is held in single precision, so "+" then "-" lands back on the
// former span (5/7 x 7/5 rounds to it) and the auto-pan span follows.
inline Axis zoom(Axis axis, bool in)
{
    float span = float(axis.maximum - axis.minimum);
    span = float(double(span) * (in ? kZoomIn : kZoomOut));
    axis.maximum = axis.minimum + double(span);
    return axis;
}

// Points the auto-pan keeps in view after a zoom: the new span, truncated.
inline int panSpan(Axis axis)
{
    return int(std::trunc(axis.maximum - axis.minimum));
}

// newest: index of the newest point. The maximum follows it only while it
// is not left of the view, so a view panned ahead of the data stays wide.
inline Axis autoPan(Axis axis, int newest, int span)
{
    if (double(newest) >= axis.minimum)
        axis.maximum = newest;
    axis.minimum = double(newest) - span;
    return axis;
}

} // namespace obr9::ChartZoom
