// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QObject>
#include <QTimer>

class FramePacer;
class SerialLink;

// Opening and giving back the device session's port. After a store frame the
// port is kept open until the quiet after it has passed: another program
// that opened it the moment this one let go could write into that quiet,
// and the device would take both frames as one.
class PortHold final : public QObject {
    Q_OBJECT
public:
    PortHold(SerialLink& port, FramePacer& pacer);

    // The port is open only to keep the quiet.
    bool Holding() const { return holding_; }
    // Milliseconds until the port is given back (0: it is not held).
    int MsLeft() const;

    // A request takes the port: the one held stays open, another is opened.
    // Throws Failure when it cannot be opened.
    void Take();
    // Keeps the port held for a command on the same port number; any other
    // is closed, to be set up anew. Says whether it was kept.
    bool KeepFor(int commPort);
    // Done with the port: closed now, or once the quiet has passed. discard
    // drops what is still queued.
    void GiveBack(bool discard);
    // Closes the port now, without a word.
    void Close(bool discard = false);
    // What arrives while the port is only held answers nothing and is
    // dropped; a lost port ends the hold.
    void Arrived();
    // The timer's own: gives the port back once the quiet has passed.
    void OnQuietPassed();

private:
    SerialLink& port_;
    FramePacer& pacer_;
    QTimer timer_;
    bool holding_ = false;
};
