// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "platform/console.h"

#include <QMetaObject>

#include <csignal>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace {

InterruptWatcher* armed = nullptr;  // the one watcher a handler reaches

#ifdef Q_OS_UNIX
int wakeFd = -1;

// Only what is safe in a signal handler: one write to a pipe.
void OnSignal(int signal)
{
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(wakeFd, &byte, 1);
}
#endif

#ifdef Q_OS_WIN
// Runs on a thread of its own; the watcher hears of it in its event loop.
BOOL WINAPI OnConsoleEvent(DWORD event)
{
    if (armed == nullptr)
        return FALSE;
    const int signal = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
    QMetaObject::invokeMethod(
        armed, [watcher = armed, signal] { watcher->Deliver(signal); }, Qt::QueuedConnection);
    return TRUE;
}
#endif

}  // namespace

bool IsTerminal(std::FILE* stream)
{
#if defined(Q_OS_UNIX)
    return ::isatty(::fileno(stream)) == 1;
#elif defined(Q_OS_WIN)
    return ::_isatty(::_fileno(stream)) != 0;
#else
    Q_UNUSED(stream);
    return false;
#endif
}

void UseBinaryMode(std::FILE* stream)
{
#ifdef Q_OS_WIN
    ::_setmode(::_fileno(stream), _O_BINARY);
#else
    Q_UNUSED(stream);  // bytes pass as they are
#endif
}

InterruptWatcher::InterruptWatcher(QObject* parent) : QObject(parent)
{
}

InterruptWatcher::~InterruptWatcher()
{
    if (!armed_)
        return;
    armed = nullptr;
#ifdef Q_OS_UNIX
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    wakeFd = -1;
    ::close(pipe_[0]);
    ::close(pipe_[1]);
#endif
#ifdef Q_OS_WIN
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
#endif
}

void InterruptWatcher::Arm()
{
    if (armed_ || armed != nullptr)
        return;
    armed_ = true;
    armed = this;
#ifdef Q_OS_UNIX
    if (::pipe(pipe_) != 0)
        return;
    for (const int fd : pipe_)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(pipe_[1], F_SETFL, O_NONBLOCK);
    wakeFd = pipe_[1];
    notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        if (::read(pipe_[0], &byte, 1) == 1)
            Deliver(byte);
    });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
#endif
#ifdef Q_OS_WIN
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#endif
}

void InterruptWatcher::Deliver(int signal)
{
    if (received_ == 0)
        received_ = signal;
    Q_EMIT Interrupted();
}
