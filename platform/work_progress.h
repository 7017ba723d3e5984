// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QObject>
#include <QString>

#include <utility>

// Work going on in the event loop, as a progress dialog shows it: whoever
// does the work reports on it here, and the dialog asks it to stop. The work
// alone decides when it can stop; until it says it is over, it goes on.
class WorkProgress final : public QObject {
    Q_OBJECT
public:
    qint64 Done = 0;
    qint64 Total = 0;
    QString Text;  // what is being done now, for the user
    bool Over = true;
    bool StopAsked = false;

    void Begin(qint64 total, const QString& text)
    {
        Done = 0, Total = total, Text = text, Over = false, StopAsked = false;
        Q_EMIT Changed();
    }
    void Show(qint64 done, const QString& text)
    {
        Done = done, Text = text;
        Q_EMIT Changed();
    }
    void End()
    {
        if (!std::exchange(Over, true))
            Q_EMIT Changed();
    }
    // Cancel, Escape or the dialog's close button.
    void AskToStop()
    {
        if (Over || std::exchange(StopAsked, true))
            return;
        Q_EMIT StopWanted();
        Q_EMIT Changed();
    }

Q_SIGNALS:
    void Changed();
    void StopWanted();
};
