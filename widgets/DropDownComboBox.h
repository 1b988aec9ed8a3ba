// A combo box that tells its owner just before its list drops down, so the
// owner can refill the items (the serial port list is read at that moment).
#pragma once

#include <QComboBox>

#include <functional>

class DropDownComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;

    std::function<void()> onDropDown;

    void showPopup() override
    {
        if (onDropDown)
            onDropDown();
        QComboBox::showPopup();
    }
};
