#include "measure/ui/TemperatureTable.h"


#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

#include <cmath>

namespace {

// Fills the cell with its background and centres its text, the way the
// table's own drawing leaves it.
class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(TemperatureTable* table)
        : QStyledItemDelegate(table)
        , table_(table)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int column = index.column();
        const int row = index.row() + 1;
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        const QColor back = table_->cellBackground(column, row);
        const QColor text = table_->cellTextColour(column, row);
        const bool selected = opt.state & QStyle::State_Selected;
        painter->fillRect(opt.rect, back.isValid() ? back
                                    : selected     ? opt.palette.color(QPalette::Highlight).lighter(170)
                                                   : opt.palette.color(QPalette::Base));
        painter->setPen(text.isValid() ? text : opt.palette.color(QPalette::Text));
        painter->setFont(opt.font);
        painter->drawText(opt.rect, Qt::AlignCenter, opt.text);
        if (opt.state & QStyle::State_HasFocus) {
            painter->setPen(QPen(opt.palette.color(QPalette::Highlight), 1));
            painter->drawRect(opt.rect.adjusted(0, 0, -1, -1));
        }
    }

private:
    TemperatureTable* table_;
};

bool editable(int column)
{
    using T = TemperatureTable;
    return column == T::NameInt || column == T::MaxInt || column == T::MinInt || column == T::NameExt ||
           column == T::MaxExt || column == T::MinExt || column == T::NameVolt;
}

} // namespace

TemperatureTable::TemperatureTable(QWidget* parent)
    : QTableWidget(kRows - 1, kColumns, parent)
{
    setObjectName(QStringLiteral("StringGrid1"));
    setHorizontalHeaderLabels({QStringLiteral("ID"), QStringLiteral("Name INT"), QStringLiteral("Temp"),
                               QStringLiteral("Tmax"), QStringLiteral("Tmin"), QStringLiteral("Name EXT"),
                               QStringLiteral("Temp"), QStringLiteral("Tmax"), QStringLiteral("Tmin"),
                               QStringLiteral("Name V"), QStringLiteral("Voltage")});
    verticalHeader()->hide();
    QFont f = font();
    f.setPixelSize(16);
    setFont(f);
    verticalHeader()->setDefaultSectionSize(24);
    horizontalHeader()->setMinimumSectionSize(20);
    const int widths[kColumns] = {25, 110, 62, 55, 55, 110, 62, 55, 55, 110, 62};
    for (int c = 0; c < kColumns; ++c)
        setColumnWidth(c, widths[c]);
    setItemDelegate(new CellDelegate(this));
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);

    programChange_ = true;
    for (int r = 0; r < rowCount(); ++r) {
        for (int c = 0; c < kColumns; ++c) {
            auto* item = new QTableWidgetItem;
            // Live values come from the module only; the ID is fixed.
            if (!editable(c))
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            setItem(r, c, item);
        }
        item(r, Id)->setText(QString::number(r + 1));
    }
    programChange_ = false;

    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* changed) {
        if (!programChange_)
            StringGrid1SetEditText(changed->column(), changed->row() + 1, changed->text());
    });
}

QString TemperatureTable::cellText(int column, int row) const
{
    if (row == 0 && column >= 0 && column < kColumns)
        return horizontalHeaderItem(column)->text();
    const QTableWidgetItem* cell = item(row - 1, column);
    return cell ? cell->text() : QString();
}

void TemperatureTable::setCellText(int column, int row, const QString& text)
{
    QTableWidgetItem* cell = item(row - 1, column);
    if (!cell || cell->text() == text)
        return;
    programChange_ = true;
    cell->setText(text);
    programChange_ = false;
}

void TemperatureTable::StringGrid1SetEditText(int column, int row, const QString& text)
{
    if (row < 1 || row >= kRows)
        return;
    switch (column) {
    case TempInt:
    case TempExt:
    case Voltage:
        setCellText(column, row, QString());
        break;
    case MaxInt:
    case MinInt:
    case MaxExt:
    case MinExt:
        setCellText(column, row, checkedLimit(text));
        break;
    case NameInt:
    case NameExt:
    case NameVolt:
        setCellText(column, row, text);
        if (nameEdited)
            nameEdited(column, row);
        break;
    default:
        break;
    }
}

std::optional<double> TemperatureTable::readLimit(const QString& text) const
{
    QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    const QChar decimal = decimalSeparator();
    if (decimal != QLatin1Char('.')) {
        if (t.contains(QLatin1Char('.')))
            return std::nullopt;
        t.replace(decimal, QLatin1Char('.'));
    }
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<double> TemperatureTable::readValue(const QString& text) const
{
    // The parser groups thousands: "," with ".", a no-break space with ",".
    QString t = text;
    t.remove(decimalSeparator() == QLatin1Char('.') ? QChar(QLatin1Char(',')) : QChar(0x00A0));
    return readLimit(t);
}

QString TemperatureTable::checkedLimit(const QString& text) const
{
    return readLimit(text) ? text.trimmed() : QString();
}

QColor TemperatureTable::cellBackground(int column, int row) const
{
    if (column != TempInt || row < 1 || row >= kRows)
        return {};
    const std::optional<double> t = readValue(cellText(TempInt, row));
    if (!t)
        return {};
    QColor colour;
    if (const std::optional<double> max = readLimit(cellText(MaxInt, row)); max && *t > *max)
        colour = kAboveColour;
    if (const std::optional<double> min = readLimit(cellText(MinInt, row)); min && *t < *min)
        colour = kBelowColour;
    return colour;
}

QColor TemperatureTable::cellTextColour(int column, int row) const
{
    if (row < 1 || row >= kRows)
        return {};
    if (column == MaxInt || column == MaxExt)
        return kAboveColour;
    if (column == MinInt || column == MinExt)
        return kBelowColour;
    return {};
}
