#include "support/fake_dialog_service.h"

#include "platform/failure.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>

int FakeDialogService::MsgBox(const QString& text, int style, const std::optional<QString>& title)
{
    Messages.append({text, style, title});
    if (!MsgBoxAnswers.isEmpty())
        return MsgBoxAnswers.takeFirst();
    switch (style & MsgBoxStyle::ButtonsMask) {
    case MsgBoxStyle::YesNo:
    case MsgBoxStyle::YesNoCancel: return MsgBoxResult::Yes;
    default: return MsgBoxResult::Ok;
    }
}

QString FakeDialogService::InputBox(const QString& prompt, const QString& title)
{
    InputPrompts.append(title + QStringLiteral(": ") + prompt);
    return InputAnswers.isEmpty() ? QString() : InputAnswers.takeFirst();
}

QString FakeDialogService::ShowOpen(const QString&, bool cancelError)
{
    return Answer(OpenAnswers, cancelError);
}

QString FakeDialogService::ShowSave(const QString&, bool cancelError)
{
    return Answer(SaveAnswers, cancelError);
}

ProgressOutcome FakeDialogService::ShowProgress(const QString& text, const QString& title, qint64 total,
                                                const std::function<qint64()>& done, int timeoutMs)
{
    ProgressShown.append(title + QStringLiteral(": ") + text);
    if (ProgressAnswer == ProgressOutcome::Cancelled) {
        done();
        return ProgressOutcome::Cancelled;
    }
    const QDeadlineTimer deadline(timeoutMs);
    while (done() < total) {
        if (deadline.hasExpired())
            return ProgressOutcome::TimedOut;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return ProgressOutcome::Finished;
}

bool FakeDialogService::FileExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

QString FakeDialogService::Answer(QList<std::optional<QString>>& answers, bool cancelError)
{
    ++FileDialogsShown;
    const std::optional<QString> answer = answers.isEmpty() ? std::nullopt : answers.takeFirst();
    if (answer)
        return *answer;
    if (cancelError)
        throw Failure{FailureNumber::CancelSelected, QStringLiteral("Cancel was selected.")};
    return QString();
}
