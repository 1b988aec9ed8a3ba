// The driver page's own pictures of outputs and inputs, drawn by the
// program: a switch that is on or off, and a signal lamp that is lit or dark.
#pragma once

#include <QPixmap>

struct DriverPictures {
    QPixmap outputOn;
    QPixmap outputOff;
    QPixmap inputActive;
    QPixmap inputInactive;

    static DriverPictures make(int size = 48);
};
