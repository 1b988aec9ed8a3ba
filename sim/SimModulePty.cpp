#include "sim/SimModulePty.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace obr9::sim {

SimModulePty::SimModulePty(QObject* parent)
    : QObject(parent)
{
}

SimModulePty::~SimModulePty()
{
    delete notifier_;
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
}

bool SimModulePty::open()
{
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (::openpty(&master_, &slave_, name, &raw, nullptr) != 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    path_ = QString::fromLocal8Bit(name);
    notifier_ = new QSocketNotifier(master_, QSocketNotifier::Read);
    connect(notifier_, &QSocketNotifier::activated, this, &SimModulePty::readMaster);
    return true;
}

void SimModulePty::write(const QByteArray& bytes)
{
    if (master_ < 0)
        return;
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(master_, data, std::size_t(left));
        if (n <= 0)
            return;
        data += n;
        left -= n;
    }
}

void SimModulePty::readMaster()
{
    char buffer[4096];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n > 0)
        emit received(QByteArray(buffer, qsizetype(n)));
}

} // namespace obr9::sim
