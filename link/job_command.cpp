// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/job_command.h"

#include "link/configure_link.h"
#include "link/device_session.h"
#include "link/link_window.h"
#include "platform/dialog_service.h"
#include "platform/failure.h"

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Lines a message box shows before the rest go to its details area.
constexpr qsizetype LinesShown = 12;

}  // namespace

void RunJob(LinkWindow& window, const QString& title, DeviceJob job,
            const std::function<void(const JobResult&)>& report)
{
    DeviceSession& session = window.LinkSession();
    try {
        ConfigureLink(window);
        session.Run(std::move(job));
    } catch (const Failure& failure) {
        window.Dialogs().MsgBox(failure.Description, MsgBoxStyle::Exclamation, title);
        return;
    }
    // Closing the window stops a job as Cancel does; then only a failure is
    // worth a word.
    const auto over = [&window, &session, report] {
        if (!(window.Closing() && session.LastJob().Stopped.isEmpty()))
            report(session.LastJob());
    };
    if (!session.JobRunning())
        return over();  // the port could not be opened
    // Told from the event loop, once the session has given the port back.
    auto ended = std::make_shared<QMetaObject::Connection>();
    *ended = QObject::connect(&session, &DeviceSession::BusyChanged, &session, [ended, over, &session](bool busy) {
        if (busy)
            return;
        QObject::disconnect(*ended);
        QMetaObject::invokeMethod(&session, over, Qt::QueuedConnection);
    });
    window.Dialogs().ShowProgress(title, session.Progress());
}

void ShowSummary(DialogService& dialogs, const QString& head, const QStringList& lines, const QString& tail, int style,
                 const QString& title)
{
    MsgBoxExtras extras;
    QStringList shown = lines;
    if (lines.size() > LinesShown) {
        shown = lines.first(LinesShown - 1);
        shown << u"…and %1 more: the whole list is in the details."_s.arg(lines.size() - shown.size());
        extras.Details = lines.join(u'\n');
    }
    QString text = head;
    if (!shown.isEmpty())
        text += u'\n' + shown.join(u'\n');
    dialogs.MsgBoxWith(text + tail, style, title, extras);
}
