// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "platform/qt_dialog_service.h"

#include "platform/failure.h"
#include "platform/qt_progress_dialog.h"
#include "platform/work_progress.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

QStringList QtNameFilters(const QString& filter)
{
    QStringList filters;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns)
            pattern = pattern.trimmed();
        const QString joined = patterns.join(u' ');
        if (description.endsWith(u'(' + joined + u')'))
            filters << description;
        else
            filters << u"%1 (%2)"_s.arg(description, joined);
    }
    return filters;
}

QtDialogService::QtDialogService(QWidget* parent)
    : parent_(parent), openFolder_(QDir::homePath()), saveFolder_(QDir::homePath()), folder_(QDir::homePath())
{
}

void QtDialogService::SetParent(QWidget* parent)
{
    parent_ = parent;
}

int QtDialogService::MsgBox(const QString& text, int style, const std::optional<QString>& title)
{
    MsgBoxExtras none;
    return MsgBoxWith(text, style, title.value_or(ApplicationTitle), none);
}

int QtDialogService::MsgBoxWith(const QString& text, int style, const QString& title, MsgBoxExtras& extras)
{
    QMessageBox box(parent_);
    box.setWindowTitle(title);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);  // device and file texts are never markup
    box.setDetailedText(extras.Details);
    QCheckBox* check = nullptr;
    if (!extras.CheckText.isEmpty()) {
        check = new QCheckBox(extras.CheckText, &box);
        check->setChecked(extras.Checked);
        box.setCheckBox(check);
    }

    switch (style & MsgBoxStyle::IconMask) {
    case MsgBoxStyle::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgBoxStyle::Question: box.setIcon(QMessageBox::Question); break;
    case MsgBoxStyle::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgBoxStyle::Information: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }

    struct Choice {
        QMessageBox::StandardButton button;
        int result;
    };
    QList<Choice> choices;
    switch (style & MsgBoxStyle::ButtonsMask) {
    case MsgBoxStyle::OkCancel:
        choices = {{QMessageBox::Ok, MsgBoxResult::Ok}, {QMessageBox::Cancel, MsgBoxResult::Cancel}};
        break;
    case MsgBoxStyle::YesNoCancel:
        choices = {{QMessageBox::Yes, MsgBoxResult::Yes},
                   {QMessageBox::No, MsgBoxResult::No},
                   {QMessageBox::Cancel, MsgBoxResult::Cancel}};
        break;
    case MsgBoxStyle::YesNo:
        choices = {{QMessageBox::Yes, MsgBoxResult::Yes}, {QMessageBox::No, MsgBoxResult::No}};
        break;
    default: choices = {{QMessageBox::Ok, MsgBoxResult::Ok}}; break;
    }
    QMessageBox::StandardButtons buttons;
    for (const Choice& choice : choices)
        buttons |= choice.button;
    box.setStandardButtons(buttons);
    box.setDefaultButton(choices.first().button);

    box.exec();
    if (check != nullptr)
        extras.Checked = check->isChecked();
    const QMessageBox::StandardButton pressed = box.standardButton(box.clickedButton());
    for (const Choice& choice : choices) {
        if (choice.button == pressed)
            return choice.result;
    }
    // Closed without a button (Escape where there is no Cancel): the last
    // button is the "no" answer.
    return choices.last().result;
}

QString QtDialogService::InputBox(const QString& prompt, const QString& title, const QString& defaultAnswer)
{
    QInputDialog dialog(parent_);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultAnswer);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.textValue();
}

QString QtDialogService::ShowOpen(const QString& filter, bool cancelError)
{
    return ShowFileDialog(false, filter, cancelError);
}

QString QtDialogService::ShowSave(const QString& filter, bool cancelError)
{
    return ShowFileDialog(true, filter, cancelError);
}

void QtDialogService::ShowProgress(const QString& title, WorkProgress& work)
{
    if (work.Over)
        return;
    // Not modal: a modal dialog would keep the window manager's close of
    // the window from ever reaching it, and the window disables what must
    // wait for the work itself.
    auto* dialog = new QtProgressDialog(work, title, parent_);
    dialog->show();
}

QString QtDialogService::ShowFolder(const QString& title)
{
    QFileDialog dialog(parent_, title, folder_);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    folder_ = dialog.selectedFiles().first();
    return folder_;
}

bool QtDialogService::FileExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

QString QtDialogService::ShowFileDialog(bool save, const QString& filter, bool cancelError)
{
    QString& folder = save ? saveFolder_ : openFolder_;
    QFileDialog dialog(parent_, save ? u"Save As"_s : u"Open"_s, folder);
    dialog.setNameFilters(QtNameFilters(filter));
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The save command asks its own question; one is enough.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        if (cancelError)
            throw Failure{FailureNumber::CancelSelected, u"Cancel was selected."_s};
        return QString();
    }
    const QString chosen = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    folder = QFileInfo(dialog.selectedFiles().constFirst()).absolutePath();
    return chosen;
}
