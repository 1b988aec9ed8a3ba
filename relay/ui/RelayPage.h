// The VK8 page: four relay modules with eight outputs each, their pictures,
// names and modes, and the editor that changes them.
#pragma once

#include "relay/RelayModel.h"
#include "relay/ui/RelayPictures.h"

#include <QWidget>

#include <array>
#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class PictureBox;

namespace obr9 {
class FrameSink;
class Reporter;
class SettingsKeyTable;
} // namespace obr9

class RelayPage : public QWidget {
    Q_OBJECT
public:
    // The page shows and edits model, which the program owns; the model's
    // answers and countdowns redraw the outputs they name.
    RelayPage(obr9::FrameSink& sink, obr9::Reporter& reporter, obr9::RelayPictures pictures,
              obr9::RelayModel& model, QWidget* parent = nullptr);

    void setReporter(obr9::Reporter& reporter) { reporter_ = &reporter; }
    obr9::RelayModel& model() { return model_; }

    // Settings keys of the page (names, pictures, modes, times, addresses).
    void bindSettings(obr9::SettingsKeyTable& keys);
    // End of start-up: the icon lists offer output 0's pictures.
    void afterSettingsLoaded();

    // Handlers.
    void GroupBoxClick(int module);
    void Label26Click(int output);
    void ImageMouseDown(int output);
    void ImageMouseUp(int output);
    void Image13MouseDown(int module);
    void Image13MouseUp(int module);
    void ChangeButtonImageMouseDown();
    void ChangeButtonImageMouseUp();
    void ComboBox3DropDown();
    void ComboBox6DropDown();

private:
    struct OutputControls {
        PictureBox* picture = nullptr;
        QLabel* name = nullptr;
        QLabel* modeLetter = nullptr;
        QPixmap offPicture;
        QPixmap onPicture;
    };
    struct ModuleControls {
        QGroupBox* group = nullptr;
        QComboBox* rsid = nullptr;
        PictureBox* readState = nullptr;
        QLabel* readStateLabel = nullptr;
    };

    void buildModule(int m);
    void buildEditor();
    void send(const QList<QByteArray>& frames);
    void selectOutput(int n);
    void selectModule(int m);
    void setEditorEnabled(bool enabled);
    void fillIconList(QComboBox* list);
    void showOutput(int n);
    void showModeLetter(int n);
    void syncRsid(int m);
    bool loadPicture(int n, bool on);
    int rsidIndex(int m) const;

    obr9::FrameSink& sink_;
    obr9::Reporter* reporter_;
    obr9::RelayPictures pictures_;
    obr9::RelayModel& model_;
    std::array<OutputControls, obr9::RelayModel::kOutputs> outputs_;
    std::array<ModuleControls, obr9::RelayModel::kModules> modules_;

    QPixmap buttonUp_;   // Image13 / EmptyHalf
    QPixmap buttonDown_; // Image14 / EmptyHalfPressed

    QLineEdit* edit3_ = nullptr;
    QGroupBox* radioGroup1_ = nullptr;
    std::array<QRadioButton*, 3> modeButtons_{};
    QLineEdit* edit2_ = nullptr;
    QComboBox* comboBox3_ = nullptr;
    QComboBox* comboBox6_ = nullptr;
    PictureBox* changeButton_ = nullptr;
    QLabel* label43_ = nullptr;
    QComboBox* comboBox2_ = nullptr; // hidden design-time RSID list ("index" key)
};
