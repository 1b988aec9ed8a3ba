#include "base/Reporter.h"

namespace obr9 {

void OnePerCauseReporter::report(const OperatorMessage& message)
{
    if (!inner_)
        return;
    if (message.cause.isEmpty()) {
        inner_->report(message);
        return;
    }
    if (open_.contains(message.cause)) {
        if (memo_)
            memo_(memoLine(message));
        return;
    }
    open_.insert(message.cause);
    // Removed on every way out, so that a later message opens a box again.
    struct Closed {
        QSet<QString>& open;
        QString cause;
        ~Closed() { open.remove(cause); }
    } closed{open_, message.cause};
    inner_->report(message);
}

QString OnePerCauseReporter::memoLine(const OperatorMessage& message)
{
    QString line = message.caption.isEmpty() ? message.text : message.caption + QStringLiteral(": ") + message.text;
    line.replace(u'\n', u' ');
    return line;
}

} // namespace obr9
