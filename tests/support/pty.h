// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "platform/serial_link.h"

#include <QByteArray>
#include <QString>
#include <QTest>

// A pseudo-terminal pair: the program opens the slave by its path as a
// serial port; the test plays the device on the master, running the event
// loop whenever it waits so that the program goes on meanwhile.
class Pty {
public:
    Pty();
    ~Pty();
    Q_DISABLE_COPY_MOVE(Pty)

    bool IsOpen() const { return master_ >= 0; }
    int MasterFd() const { return master_; }
    // The slave as port 1 of a port list.
    PortDevice AsPort() const { return {1, slavePath_, slavePath_.mid(5), QStringLiteral("pseudo-terminal")}; }
    // Writes to the program as fast as it reads; gives up when it has read
    // nothing for a second.
    void Write(const QByteArray& bytes);
    // The line settings the program put on the port, as "38400,n,8,1".
    QString LineSettings() const;
    // The device end goes away: the program sees the line hang up.
    void HangUp();
    // How many times the program has opened the port so far, where the
    // system tells (inotify, on Linux); -1 elsewhere.
    int Opens();

private:
    int master_ = -1;
    int slave_ = -1;
    int watch_ = -1;  // inotify: opens of the slave
    int opens_ = 0;
    QString slavePath_;
};

// Compares how often the program opened the port, where that can be told.
#define COMPARE_OPENS(pty, expected)                                                                                   \
    do {                                                                                                               \
        if ((pty).Opens() >= 0)                                                                                        \
            QCOMPARE((pty).Opens(), (expected));                                                                       \
    } while (false)
