// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "platform/dialog_service.h"
#include "platform/failure.h"
#include "platform/work_progress.h"

#include <QtTest>

// Answers dialogs from one queue and records every dialog shown.
class FakeDialogService final : public DialogService {
public:
    explicit FakeDialogService(QStringList answers = {}) : Answers(std::move(answers)) { }

    // Answers to whatever asks, in order: the text typed, the file or folder
    // chosen, "No" or "Cancel" to a question; a null string cancels. With none
    // left a question gets Yes and anything else is cancelled. A message with
    // OK alone takes no answer.
    QStringList Answers;
    // Every message as "title|text|style"; "-" for the application's title.
    QStringList Said;
    // Every other dialog: "title: prompt [default]", "open", "save", "folder",
    // "title: first line of a progress dialog", "check box [on|off]".
    QStringList Asked;
    QStringList Details;                  // the details area of every message that had one
    QList<bool> Checks;                   // how the user leaves each check box, in order; else as shown
    QStringList Progress;                 // every text a progress dialog showed, in order
    int CancelAt = -1;                    // Cancel is pressed once the work shows this much done
    std::function<void()> WhileProgress;  // runs once, as soon as a progress dialog is up

    // Whether the messages so far are exactly these, one each, where * in a
    // pattern stands for any text.
    bool SaidLike(const QStringList& patterns) const
    {
        QStringList regexes;  // the messages are matched together, separated by RS
        for (const QString& pattern : patterns)
            regexes << QRegularExpression::escape(pattern).replace(QStringLiteral("\\*"), QStringLiteral("[^\x1e]*"));
        const QRegularExpression all(QRegularExpression::anchoredPattern(regexes.join(u'\x1e')));
        return all.match(Said.join(u'\x1e')).hasMatch();
    }

    int MsgBox(const QString& text, int style, const std::optional<QString>& title = std::nullopt) override
    {
        Said << QStringLiteral("%1|%2|%3").arg(title.value_or(QStringLiteral("-")), text).arg(style);
        if ((style & MsgBoxStyle::ButtonsMask) == MsgBoxStyle::OkOnly)
            return MsgBoxResult::Ok;
        const QString answer = Answers.isEmpty() ? QString() : Answers.takeFirst();
        return answer == u"No" ? MsgBoxResult::No : answer == u"Cancel" ? MsgBoxResult::Cancel : MsgBoxResult::Yes;
    }
    int MsgBoxWith(const QString& text, int style, const QString& title, MsgBoxExtras& extras) override
    {
        if (!extras.Details.isEmpty())
            Details << extras.Details;
        if (!extras.CheckText.isEmpty()) {
            Asked << extras.CheckText + (extras.Checked ? QStringLiteral(" [on]") : QStringLiteral(" [off]"));
            if (!Checks.isEmpty())
                extras.Checked = Checks.takeFirst();
        }
        return MsgBox(text, style, title);
    }
    QString InputBox(const QString& prompt, const QString& title, const QString& defaultAnswer = {}) override
    {
        return Answer(title + QStringLiteral(": ") + prompt +
                      (defaultAnswer.isEmpty() ? QString() : QStringLiteral(" [") + defaultAnswer + u']'));
    }
    QString ShowOpen(const QString&, bool cancelError) override { return File(QStringLiteral("open"), cancelError); }
    QString ShowSave(const QString&, bool cancelError) override { return File(QStringLiteral("save"), cancelError); }
    QString ShowFolder(const QString&) override { return Answer(QStringLiteral("folder")); }
    // Stands for a user who watches the dialog until the work is over, and
    // is then told what came of it: returns only then. Cancel only asks the
    // work to stop. A dialog still up after 30 s fails the test.
    void ShowProgress(const QString& title, WorkProgress& work) override
    {
        if (work.Over)
            return;
        Asked << title + QStringLiteral(": ") + work.Text.section(u'\n', 0, 0);
        const auto seen = [&] {
            if (!work.Over && Progress.value(Progress.size() - 1) != work.Text)
                Progress << work.Text;
        };
        const QMetaObject::Connection following = QObject::connect(&work, &WorkProgress::Changed, seen);
        seen();
        if (WhileProgress)
            std::exchange(WhileProgress, {})();
        for (const QDeadlineTimer deadline(30000); !work.Over && !deadline.hasExpired();) {
            if (CancelAt >= 0 && work.Done >= CancelAt)
                work.AskToStop();
            QTest::qWait(1);
        }
        QObject::disconnect(following);
        if (!work.Over)
            QTest::qFail("the progress dialog never ended", __FILE__, __LINE__);
        QCoreApplication::processEvents();  // what the work reports once it is over
    }
    bool FileExists(const QString& path) override { return !path.isEmpty() && QFileInfo::exists(path); }

private:
    QString Answer(const QString& asked)
    {
        Asked << asked;
        return Answers.isEmpty() ? QString() : Answers.takeFirst();
    }
    QString File(const QString& asked, bool cancelError)
    {
        const QString answer = Answer(asked);
        if (answer.isNull() && cancelError)
            throw Failure{FailureNumber::CancelSelected, QStringLiteral("Cancel was selected.")};
        return answer;
    }
};

// Fails unless the messages so far match the patterns (see SaidLike).
#define VERIFY_SAID(dialogs, ...)                                                                                      \
    QVERIFY2((dialogs).SaidLike(QStringList{__VA_ARGS__}), qPrintable((dialogs).Said.join(u"\n")))
