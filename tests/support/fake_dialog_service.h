#pragma once

#include "platform/dialog_service.h"

#include <QList>
#include <QStringList>

#include <optional>

// Answers dialogs from queues and records every message shown.
class FakeDialogService final : public DialogService {
public:
    struct Message {
        QString Text;
        int Style = 0;
        std::optional<QString> Title;
    };

    QList<Message> Messages;
    QList<int> MsgBoxAnswers;        // next answers; when empty, the first button
    QStringList InputAnswers;        // next answers; when empty, "" (cancelled)
    QStringList InputPrompts;        // "title: prompt" of every input box
    QList<std::optional<QString>> OpenAnswers;  // nullopt: cancelled
    QList<std::optional<QString>> SaveAnswers;
    int FileDialogsShown = 0;
    // Progress dialogs: Finished runs the event loop until done() reaches
    // total or the time is up; Cancelled presses Cancel at once.
    ProgressOutcome ProgressAnswer = ProgressOutcome::Finished;
    QStringList ProgressShown;  // "title: text" of every progress dialog

    int MsgBox(const QString& text, int style, const std::optional<QString>& title = std::nullopt) override;
    QString InputBox(const QString& prompt, const QString& title) override;
    QString ShowOpen(const QString& filter, bool cancelError) override;
    QString ShowSave(const QString& filter, bool cancelError) override;
    ProgressOutcome ShowProgress(const QString& text, const QString& title, qint64 total,
                                 const std::function<qint64()>& done, int timeoutMs) override;
    bool FileExists(const QString& path) override;

private:
    QString Answer(QList<std::optional<QString>>& answers, bool cancelError);
};
