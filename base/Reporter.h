// Operator messages (the modal boxes of the program) leave through one
// Reporter. The windows show them; tests replace the reporter and read them.
#pragma once

#include <QSet>
#include <QString>

#include <functional>

namespace obr9 {

// Causes of messages that a timer may raise again and again while its box
// is still open on an unattended PC.
namespace ReportCause {
inline const QString periodicChartSave = QStringLiteral("periodic chart save");
} // namespace ReportCause

struct OperatorMessage {
    QString text;
    QString caption;
    // Empty: every message opens its own box. Otherwise at most one box of
    // this cause is open at a time (OnePerCauseReporter).
    QString cause = {};

    friend bool operator==(const OperatorMessage&, const OperatorMessage&) = default;
};

class Reporter {
public:
    virtual ~Reporter() = default;
    virtual void report(const OperatorMessage& message) = 0;
};

// Sits in front of the reporter that shows the boxes. A box is open for as
// long as the inner report() runs (a modal box runs its own event loop, in
// which timers keep firing). A message of a cause whose box is open becomes
// one memo line instead of a second box.
class OnePerCauseReporter : public Reporter {
public:
    using MemoSink = std::function<void(const QString&)>;

    explicit OnePerCauseReporter(Reporter* inner = nullptr, MemoSink memo = {})
        : inner_(inner)
        , memo_(std::move(memo))
    {
    }
    void setInner(Reporter* inner) { inner_ = inner; }
    Reporter* inner() const { return inner_; }
    void setMemo(MemoSink memo) { memo_ = std::move(memo); }

    void report(const OperatorMessage& message) override;

    bool boxOpen(const QString& cause) const { return open_.contains(cause); }

    // The memo line that stands for a message whose box is already open.
    static QString memoLine(const OperatorMessage& message);

private:
    Reporter* inner_;
    MemoSink memo_;
    QSet<QString> open_;
};

} // namespace obr9
