// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QObject>

#include <cstdio>

// What a command-line program needs of the console it runs in.

// Whether the stream is a terminal someone watches, rather than a file or a
// pipe.
bool IsTerminal(std::FILE* stream);

// Makes the stream carry bytes as they are (no line-ending translation).
void UseBinaryMode(std::FILE* stream);

// Turns an interrupt (Ctrl+C, SIGINT, SIGTERM; a console close on Windows)
// into a signal delivered in the event loop, so that work in flight can end
// cleanly instead of the process dying mid-frame. Only one may be armed at a
// time; until Arm() the system's own handling stays.
class InterruptWatcher final : public QObject {
    Q_OBJECT
public:
    explicit InterruptWatcher(QObject* parent = nullptr);
    ~InterruptWatcher() override;

    void Arm();
    // The signal number (SIGINT, SIGTERM…) of the first interrupt.
    int Received() const { return received_; }

    // An interrupt has come; runs in the event loop.
    void Deliver(int signal);

Q_SIGNALS:
    void Interrupted();

private:
    int received_ = 0;
    bool armed_ = false;
#ifdef Q_OS_UNIX
    int pipe_[2] = {-1, -1};
    class QSocketNotifier* notifier_ = nullptr;
#endif
};
