// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstdio>

// What a command-line program needs of the console it runs in.

// Whether the stream is a terminal someone watches, rather than a file or a
// pipe.
bool IsTerminal(std::FILE* stream);

// Makes the stream carry bytes as they are (no line-ending translation).
void UseBinaryMode(std::FILE* stream);

// Writes text and flushes it: to a Windows console as characters, whatever
// its code page; elsewhere (a terminal, a file, a pipe) as UTF-8. False
// when the write failed (the reader has gone).
bool WriteText(std::FILE* stream, const QString& text);

// How many characters a line of the terminal holds; 0 when unknown.
int TerminalColumns(std::FILE* stream);

// A write to a pipe whose reader has gone fails, and is reported as such,
// instead of ending the process at once (SIGPIPE), perhaps mid-frame.
void SurviveClosedOutput();

// Everything the stream gives until its end, however its descriptor is set
// (a pipe whose writer pauses, a non-blocking descriptor), but no more than
// most + 1 bytes, so that too much can be told from enough. Error: the
// system's reason when reading failed; empty otherwise.
struct InputRead {
    QByteArray Bytes;
    QString Error;
};
InputRead ReadToEnd(std::FILE* stream, qint64 most);

// Turns an interrupt (Ctrl+C, SIGINT, SIGTERM, SIGHUP from a closed
// terminal; a console close on Windows) into a signal delivered in the event
// loop, so that work in flight can end cleanly instead of the process dying
// mid-frame. Only one may be armed at a time; until Arm() the system's own
// handling stays.
class InterruptWatcher final : public QObject {
    Q_OBJECT
public:
    explicit InterruptWatcher(QObject* parent = nullptr);
    ~InterruptWatcher() override;

    void Arm();
    // The signal number (SIGINT, SIGTERM…) of the first interrupt.
    int Received() const { return received_; }
    // The program is about to end: a console close waiting for it (Windows)
    // may let the process go.
    void Done();

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
