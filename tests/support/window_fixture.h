// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "app/form1.h"
#include "platform/clock.h"
#include "support/fake_dialog_service.h"
#include "support/fake_serial_link.h"
#include "support/modal.h"

// A clock the test moves by hand.
struct ManualClock final : Clock {
    double Seconds = 100.0;
    double Now() override { return Seconds; }
};

// The window on test doubles: dialogs answered from a queue, a port in
// memory and a clock moved by hand. Reset() gives a fresh one.
struct WindowFixture {
    FakeDialogService Dialogs;
    std::optional<FakeSerialLink> Serial;  // made afresh by Reset()
    ManualClock Clock;
    std::unique_ptr<Form1> Form;

    void Reset()
    {
        Form.reset();
        Dialogs = FakeDialogService{};
        Serial.emplace();
        Form = std::make_unique<Form1>(Dialogs, *Serial, Clock);
    }

    // The device sends bytes; OnComm reaches the window queued.
    void Deliver(const QByteArray& bytes)
    {
        Serial->Deliver(bytes);
        QCoreApplication::processEvents();
    }

    // Time passes: Timer1 ticks, a request held for the line to fall quiet
    // goes, and a port held for that quiet is given back.
    void Tick(double seconds)
    {
        Clock.Seconds += seconds;
        Form->Session->OnTick();
        Form->Session->Pacer().OnQuiet();
        Form->Session->Hold().OnQuietPassed();
    }

    // The send or job in flight has ended, time passing for the line to fall
    // quiet wherever a frame waits for it.
    void Settle() { QTRY_VERIFY_WITH_TIMEOUT(Quiet(), 2000); }
    bool Quiet()
    {
        DeviceSession& session = *Form->Session;
        // Waiting for the gap, or for the frame to cross the line.
        FramePacer& pacer = session.Pacer();
        const double wait = pacer.Wait() - (pacer.Holding() ? 0 : pacer.Gap());
        if (session.Busy() && wait > 0)
            Tick(wait + 1e-9);
        return !session.Busy();
    }
};

// Clicks a command button with the dialogs' answers given in order, and
// lets a send drain. A Failure the command lets escape fails the test.
#define CLICK(fixture, button, ...)                                                                                    \
    do {                                                                                                               \
        (fixture).Dialogs.Answers = QStringList{__VA_ARGS__};                                                          \
        NO_FAILURE((fixture).Form->button->click());                                                                   \
        (fixture).Settle();                                                                                            \
    } while (0)
