// A file written whole or not at all: the bytes go to a temporary file that
// replaces the old one only once everything was written, so a failure at any
// step leaves what was there before.
#pragma once

#include <QIODevice>
#include <QString>

#include <functional>

namespace obr9 {

struct WholeFileResult {
    enum Step { Done, Open, Write, Commit };
    Step failedAt = Done;
    QString fileError; // the file's errorString() after the failing step
    bool ok() const { return failedAt == Done; }
};

// `write` fills the file and says whether it could.
WholeFileResult writeWholeFile(const QString& path, const std::function<bool(QIODevice&)>& write);

} // namespace obr9
