// The 32 outputs of up to four VK8 modules and what pressing them sends.
//
// Output n belongs to module n / 8 and is output n % 8 there. States are
// what the modules last reported; a press asks for a change and leaves the
// stored state alone until the module answers.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <array>
#include <cstdint>

namespace obr9 {

enum RelayMode : int {
    Monostable = 0, // on while held
    Bistable = 1,   // each press asks for the opposite of the reported state
    Timed = 2,      // on for `time` seconds, counted down on screen
};

struct RelayOutput {
    QString name;
    int mode = Monostable;
    int32_t time = 0;  // seconds, TIME mode
    QString offPath;   // "Icons/" + file name, empty until chosen
    QString onPath;
    uint8_t state = 0; // as last reported
    int countdown = 0; // seconds left of a TIME switching
    QString modeLetter = QStringLiteral("M");
};

struct RelayModule {
    QString name;
    int rsid = 0; // list index 0..7; -1 when typed text matches no item
};

// Changes that come from the modules (state answers) and from the clock
// (TIME countdowns) are announced; the page redraws what they name.
class RelayModel : public QObject {
    Q_OBJECT
public:
    static constexpr int kModules = 4;
    static constexpr int kOutputsPerModule = 8;
    static constexpr int kOutputs = kModules * kOutputsPerModule;
    static constexpr int kNoSelection = -1;
    static constexpr int kModuleSelectionBase = 32; // selection 32 + m: module m

    explicit RelayModel(QObject* parent = nullptr);

    RelayOutput& output(int n) { return outputs_[size_t(n)]; }
    const RelayOutput& output(int n) const { return outputs_[size_t(n)]; }
    RelayModule& module(int m) { return modules_[size_t(m)]; }
    const RelayModule& module(int m) const { return modules_[size_t(m)]; }

    int currentModule() const { return currentModule_; }
    int selection() const { return selection_; }
    void selectOutput(int n) { selection_ = n; }
    void selectModule(int m) { selection_ = kModuleSelectionBase + m; }

    // Press and release of output n's picture; the frames to send, in order.
    QList<QByteArray> press(int n);
    QList<QByteArray> release(int n);
    // "Read State" of module m.
    QByteArray readState(int m);

    // A relay state answer: applied to the current module (the answer
    // carries no address). Returns the outputs whose state it set.
    QList<int> applyStateAnswer(uint8_t stateBits);
    // A whole 20-byte kind-1 frame of the module bus, CRC checked; the
    // state bits are byte 4.
    void stateAnswerFrame(const uint8_t* frame) { applyStateAnswer(frame[4]); }

    // One second of TIME countdowns; returns the outputs whose mode letter
    // changed.
    QList<int> tick();

    // The letter for a mode; other values keep the current letter.
    static QString letterFor(int mode, const QString& current);
    void setMode(int n, int mode);

    uint8_t stateBits(int m) const;

signals:
    void outputStateChanged(int n); // a module reported output n
    void modeLetterChanged(int n);  // a TIME countdown of output n moved on

private:
    QByteArray switchCommand(int n, int32_t seconds) const;

    std::array<RelayOutput, kOutputs> outputs_;
    std::array<RelayModule, kModules> modules_;
    int currentModule_ = 0;
    int selection_ = kNoSelection;
};

} // namespace obr9
