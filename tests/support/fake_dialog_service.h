// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "platform/dialog_service.h"
#include "platform/failure.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

// Answers dialogs from queues and records every message shown.
class FakeDialogService final : public DialogService {
public:
    using Answers = QList<std::optional<QString>>;  // nullopt: cancelled

    QStringList Said;          // every message as "title|text|style"; "-" for the application's title
    QList<int> MsgBoxAnswers;  // next answers; when none, Yes or OK
    QStringList InputAnswers;  // next answers; when none, "" (cancelled)
    QStringList InputPrompts;  // "title: prompt" of every input box
    Answers OpenAnswers, SaveAnswers;
    QStringList FolderAnswers;   // next answers; when none, "" (cancelled)
    int StepsBeforeCancel = -1;  // RunSteps: Cancel pressed after this many steps
    QStringList StepStatus;      // the status shown before each step
    int FileDialogsShown = 0;
    // Finished runs the event loop until done() reaches total or the time is
    // up; Cancelled presses Cancel at once.
    ProgressOutcome ProgressAnswer = ProgressOutcome::Finished;
    QStringList ProgressShown;            // "title: text" of every progress dialog
    std::function<void()> WhileProgress;  // runs once while a progress dialog is up

    // Whether the messages so far are exactly these, one each, where * in a
    // pattern stands for any text.
    bool SaidLike(const QStringList& patterns) const
    {
        const QStringList& said = Said;
        for (qsizetype i = 0; i < said.size(); ++i) {
            const QStringList pieces = patterns.value(i).split(u'*');
            qsizetype at = pieces.first().size();
            for (qsizetype p = 1; p + 1 < pieces.size() && at >= 0; ++p)
                at = said[i].indexOf(pieces[p], at) < 0 ? -1 : said[i].indexOf(pieces[p], at) + pieces[p].size();
            const bool whole = pieces.size() == 1 ? said[i] == pieces[0]
                                                  : said[i].startsWith(pieces.first()) && at >= 0 &&
                    at <= said[i].size() - pieces.last().size() && said[i].endsWith(pieces.last());
            if (!whole)
                return false;
        }
        return said.size() == patterns.size();
    }

    int MsgBox(const QString& text, int style, const std::optional<QString>& title = std::nullopt) override
    {
        Said << QStringLiteral("%1|%2|%3").arg(title.value_or(QStringLiteral("-")), text).arg(style);
        if (!MsgBoxAnswers.isEmpty())
            return MsgBoxAnswers.takeFirst();
        return (style & MsgBoxStyle::ButtonsMask) >= MsgBoxStyle::YesNoCancel ? MsgBoxResult::Yes : MsgBoxResult::Ok;
    }
    QString InputBox(const QString& prompt, const QString& title, const QString& defaultAnswer = {}) override
    {
        InputPrompts.append(title + QStringLiteral(": ") + prompt +
                            (defaultAnswer.isEmpty() ? QString() : QStringLiteral(" [") + defaultAnswer + u']'));
        return InputAnswers.isEmpty() ? QString() : InputAnswers.takeFirst();
    }
    QString ShowOpen(const QString&, bool cancelError) override { return Answer(OpenAnswers, cancelError); }
    QString ShowSave(const QString&, bool cancelError) override { return Answer(SaveAnswers, cancelError); }
    ProgressOutcome ShowProgress(const QString& text, const QString& title, qint64 total,
                                 const std::function<qint64()>& done, int timeoutMs) override
    {
        ProgressShown.append(title + QStringLiteral(": ") + text);
        if (WhileProgress)
            std::exchange(WhileProgress, {})();
        for (const QDeadlineTimer deadline(timeoutMs); ProgressAnswer == ProgressOutcome::Finished && done() < total;) {
            if (deadline.hasExpired())
                return ProgressOutcome::TimedOut;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return ProgressAnswer;
    }
    QString ShowFolder(const QString&) override
    {
        return FolderAnswers.isEmpty() ? QString() : FolderAnswers.takeFirst();
    }
    bool RunSteps(const QString&, int, const std::function<bool()>& step,
                  const std::function<QString()>& status) override
    {
        for (int done = 0; done != StepsBeforeCancel; ++done) {
            StepStatus << status();
            if (!step())
                return true;
        }
        return false;
    }
    bool FileExists(const QString& path) override { return !path.isEmpty() && QFileInfo::exists(path); }

private:
    QString Answer(Answers& answers, bool cancelError)
    {
        ++FileDialogsShown;
        const std::optional<QString> answer = answers.isEmpty() ? std::nullopt : answers.takeFirst();
        if (!answer && cancelError)
            throw Failure{FailureNumber::CancelSelected, QStringLiteral("Cancel was selected.")};
        return answer.value_or(QString());
    }
};

// Fails unless the messages so far match the patterns (see SaidLike).
#define VERIFY_SAID(dialogs, ...)                                                                                      \
    QVERIFY2((dialogs).SaidLike(QStringList{__VA_ARGS__}), qPrintable((dialogs).Said.join(u"\n")))
