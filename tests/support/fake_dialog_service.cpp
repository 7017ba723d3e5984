#include "support/fake_dialog_service.h"

#include "platform/failure.h"

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
