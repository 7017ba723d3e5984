// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "platform/dialog_service.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

// "TOVRAK bin Files (*.bin)|*.bin" to Qt's name filters: one entry per
// description and pattern pair; several patterns (";"-separated) become one
// entry. A description that already shows its pattern is kept as it is.
QStringList QtNameFilters(const QString& filter);

// DialogService on Qt's message box, input dialog and file dialogs, all
// modal over the parent window.
class QtDialogService final : public DialogService {
public:
    explicit QtDialogService(QWidget* parent = nullptr);

    void SetParent(QWidget* parent);

    int MsgBox(const QString& text, int style, const std::optional<QString>& title = std::nullopt) override;
    int MsgBoxWith(const QString& text, int style, const QString& title, MsgBoxExtras& extras) override;
    QString InputBox(const QString& prompt, const QString& title, const QString& defaultAnswer = {}) override;
    QString ShowFolder(const QString& title) override;
    QString ShowOpen(const QString& filter, bool cancelError) override;
    QString ShowSave(const QString& filter, bool cancelError) override;
    void ShowProgress(const QString& title, WorkProgress& work) override;
    bool FileExists(const QString& path) override;

private:
    QString ShowFileDialog(bool save, const QString& filter, bool cancelError);

    QPointer<QWidget> parent_;
    // Each dialog opens where it was last used in this run; the first time,
    // in the user's home folder.
    QString openFolder_;
    QString saveFolder_;
    QString folder_;
};
