#include "base/WholeFile.h"

#include <QSaveFile>

namespace obr9 {

WholeFileResult writeWholeFile(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {WholeFileResult::Open, file.errorString()};
    if (!write(file)) {
        const QString why = file.errorString();
        file.cancelWriting();
        return {WholeFileResult::Write, why};
    }
    if (!file.commit())
        return {WholeFileResult::Commit, file.errorString()};
    return {};
}

} // namespace obr9
