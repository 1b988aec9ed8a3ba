// The HQ-2 page's keys in the settings file: channel names, limits, the
// series lists' ticks, the control tab's boxes and choices.
#include "measure/ui/ModulePage.h"

#include "base/SettingsKeys.h"
#include "measure/ui/TemperatureTable.h"
#include "widgets/RadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>

using namespace obr9;

void ModulePage::bindSettings(SettingsKeyTable& keys)
{
    bindTableSettings(keys);
    bindControlSettings(keys);
}

void ModulePage::bindTableSettings(SettingsKeyTable& keys)
{
    keys.bindFamily(
        QStringLiteral("name"),
        [this](int n, const SettingsValue& v) {
            if (n <= 24) {
                table_->setCellText(TemperatureTable::NameInt, n - 8, v.text);
                applyNames(TemperatureTable::NameInt);
            } else if (n <= 40) {
                table_->setCellText(TemperatureTable::NameExt, n - 24, v.text);
                applyNames(TemperatureTable::NameExt);
            } else {
                table_->setCellText(TemperatureTable::NameVolt, n - 40, v.text);
                applyNames(TemperatureTable::NameVolt);
            }
            return true;
        },
        [this](int n) {
            const int column = n <= 24 ? TemperatureTable::NameInt
                               : n <= 40 ? TemperatureTable::NameExt
                                         : TemperatureTable::NameVolt;
            const int row = n <= 24 ? n - 8 : n <= 40 ? n - 24 : n - 40;
            return table_->cellText(column, row);
        });

    const std::pair<const char*, int> limits[] = {{"TINTmax", TemperatureTable::MaxInt},
                                                  {"TINTmin", TemperatureTable::MinInt},
                                                  {"TEXTmax", TemperatureTable::MaxExt},
                                                  {"TEXTmin", TemperatureTable::MinExt}};
    for (const auto& [family, column] : limits) {
        const int c = column;
        keys.bindFamily(
            QLatin1String(family),
            [this, c](int n, const SettingsValue& v) {
                // A limit that is not a number would only be emptied when
                // drawn; it is emptied here instead.
                table_->setCellText(c, n + 1, table_->checkedLimit(v.text));
                return true;
            },
            [this, c](int n) { return table_->cellText(c, n + 1); });
    }
}

void ModulePage::bindControlSettings(SettingsKeyTable& keys)
{
    auto tickKey = [](QListWidget* list) {
        return [list](int n, const SettingsValue& v) {
            if (n >= list->count())
                return false;
            // Without a settings file every series is shown.
            const bool ticked = v.fromFile ? v.text == QLatin1String("1") : true;
            const QSignalBlocker quiet(list);
            list->item(n)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
            return true;
        };
    };
    auto tickText = [](QListWidget* list) {
        return [list](int n) {
            return n < list->count() && list->item(n)->checkState() == Qt::Checked ? QStringLiteral("1")
                                                                                   : QStringLiteral("0");
        };
    };
    keys.bindFamily(QStringLiteral("chan"), tickKey(checkListBox1_), tickText(checkListBox1_));
    keys.bindFamily(QStringLiteral("chanV"), tickKey(checkListBox2_), tickText(checkListBox2_));

    auto box = [&keys](const char* name, QCheckBox* b) {
        keys.bind(
            QLatin1String(name),
            [b](const SettingsValue& v) {
                b->setChecked(v.number != 0);
                return true;
            },
            [b] { return b->isChecked() ? QStringLiteral("1") : QStringLiteral("0"); });
    };
    box("3DView", checkBox9_);
    box("AutoPan", checkBox10_);
    box("recordTemperatures", checkBox6_);
    box("recordVoltages", checkBox8_);

    keys.bind(
        QStringLiteral("VTSwitch"),
        [this](const SettingsValue& v) {
            radioGroup2_->setItemIndex(v.text == QLatin1String("voltages")    ? Voltages
                                       : v.text == QLatin1String("temp&volt") ? TempAndVolt
                                                                              : Temperatures);
            RadioGroup2Click();
            return true;
        },
        [this] {
            static const char* const texts[3] = {"temperatures", "voltages", "temp&volt"};
            return QString::fromLatin1(texts[displayChoice()]);
        });
    keys.bind(
        QStringLiteral("period"),
        [this](const SettingsValue& v) {
            radioGroupPeriod_->setItemIndex(v.text == QLatin1String("1") ? 0 : v.text == QLatin1String("60") ? 2 : 1);
            RadioGroupPeriodClick();
            return true;
        },
        [this] {
            static const char* const texts[3] = {"1", "10", "60"};
            return QString::fromLatin1(texts[periodChoice()]);
        });
    keys.bind(QStringLiteral("Range"), {}, [this] { return QString::number(comboBox1_->currentIndex()); });
}

void ModulePage::afterSettingsLoaded()
{
    ComboBox1Change();
    CheckListBox1ClickCheck();
    CheckListBox2ClickCheck();
}
