// The item an editable drop-down shows: the lists of the settings dialog
// keep the controller's values as item indexes, while the operator may type
// any text.
#pragma once

#include <QComboBox>

// The item the text shows; -1 when it shows none.
inline int shownItem(const QComboBox* box)
{
    return box->findText(box->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

// An index past the list leaves text that matches no item as it is.
inline void showItem(QComboBox* box, int index)
{
    if (index >= 0 && index < box->count()) {
        box->setCurrentIndex(index);
        box->setEditText(box->itemText(index));
    } else if (shownItem(box) >= 0) {
        box->setCurrentIndex(-1);
        box->setEditText(QString());
    }
}

