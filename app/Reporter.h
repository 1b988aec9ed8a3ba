// Operator messages (the modal boxes of the program) leave through one
// Reporter. The windows show them; tests replace the reporter and read them.
#pragma once

#include <QString>

namespace obr9 {

struct OperatorMessage {
    QString text;
    QString caption;

    friend bool operator==(const OperatorMessage&, const OperatorMessage&) = default;
};

class Reporter {
public:
    virtual ~Reporter() = default;
    virtual void report(const OperatorMessage& message) = 0;
};

} // namespace obr9
