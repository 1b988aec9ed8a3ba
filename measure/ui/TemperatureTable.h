// StringGrid1, the HQ-2 page's table: one row per channel with the
// operator's channel names and limits and the live values.
//
// Addressed like the grid it replaces: (column, row), row 0 the header,
// row r the channel r - 1. Columns: 0 ID, 1 internal name, 2 internal
// temperature, 3/4 its upper/lower limit, 5 external name, 6 external
// temperature, 7/8 its limits, 9 voltage name, 10 voltage.
#pragma once

#include <QColor>
#include <QTableWidget>

#include <functional>
#include <optional>

class TemperatureTable : public QTableWidget {
    Q_OBJECT
public:
    static constexpr int kColumns = 11;
    static constexpr int kRows = 17; // with the header row
    enum Column {
        Id = 0, NameInt = 1, TempInt = 2, MaxInt = 3, MinInt = 4, NameExt = 5, TempExt = 6,
        MaxExt = 7, MinExt = 8, NameVolt = 9, Voltage = 10
    };

    static inline const QColor kAboveColour{255, 128, 128}; // light red
    static inline const QColor kBelowColour{166, 202, 240}; // sky blue

    explicit TemperatureTable(QWidget* parent = nullptr);

    // Numbers are read with this decimal separator ("." at first).
    void setDecimalSeparator(QChar separator) { decimalSeparator_ = separator; }

    QString cellText(int column, int row) const;
    // Sets a cell as the program does (no edit rules).
    void setCellText(int column, int row, const QString& text);

    // The operator changed a cell: the rules of its column apply.
    void StringGrid1SetEditText(int column, int row, const QString& text);
    // A name column (1, 5 or 9) changed in some row.
    std::function<void(int column, int row)> nameEdited;

    // A limit text is kept only when it reads as a number.
    QString checkedLimit(const QString& text) const;

    // What the cell drawing shows: the internal temperature against its
    // limits, the limit columns in their colours. Invalid: the default.
    QColor cellBackground(int column, int row) const;
    QColor cellTextColour(int column, int row) const;

    // "21.50", "1,234.50" (the grouping the parser writes): the value.
    std::optional<double> readValue(const QString& text) const;
    std::optional<double> readLimit(const QString& text) const;

private:
    QChar decimalSeparator() const { return decimalSeparator_; }

    QChar decimalSeparator_ = QLatin1Char('.');
    bool programChange_ = false;
};
