// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QString>

#include <optional>

// Message box style numbers: buttons plus icon.
namespace MsgBoxStyle {
inline constexpr int OkOnly = 0;
inline constexpr int OkCancel = 1;
inline constexpr int YesNoCancel = 3;
inline constexpr int YesNo = 4;
inline constexpr int Critical = 16;
inline constexpr int Question = 32;
inline constexpr int Exclamation = 48;
inline constexpr int Information = 64;
inline constexpr int ButtonsMask = 0x0F;
inline constexpr int IconMask = 0x70;
}  // namespace MsgBoxStyle

// Which button closed a message box.
namespace MsgBoxResult {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
}  // namespace MsgBoxResult

// The title a message box shows when the caller gives none.
inline const QString ApplicationTitle = QStringLiteral("Brindlewick");

class WorkProgress;

// What a message box may carry beside its text.
struct MsgBoxExtras {
    QString Details;       // a details area holding the whole of a long list, to copy
    QString CheckText;     // a check box under the text, when not empty
    bool Checked = false;  // its state: shown so, and as the user left it
};

// The modal dialogs the commands use. Every call blocks until the user has
// answered.
class DialogService {
public:
    virtual ~DialogService() = default;

    // Shows text with the buttons and icon of style; returns the button
    // pressed (MsgBoxResult). No title: ApplicationTitle.
    virtual int MsgBox(const QString& text, int style, const std::optional<QString>& title = std::nullopt) = 0;
    // The same, with a details area or a check box.
    virtual int MsgBoxWith(const QString& text, int style, const QString& title, MsgBoxExtras& extras) = 0;

    // One line of text, starting from defaultAnswer (none unless given);
    // empty when cancelled.
    virtual QString InputBox(const QString& prompt, const QString& title, const QString& defaultAnswer = {}) = 0;

    // A folder; empty when cancelled. Opens where it was last used in this
    // run.
    virtual QString ShowFolder(const QString& title) = 0;

    // filter is "description|pattern[|description|pattern…]". Returns the
    // full path chosen. On cancel: throws Failure CancelSelected when
    // cancelError is set, else returns empty text. The save dialog never asks
    // about overwriting; the caller does.
    virtual QString ShowOpen(const QString& filter, bool cancelError) = 0;
    virtual QString ShowSave(const QString& filter, bool cancelError) = 0;

    // A progress dialog that follows work going on in the event loop and
    // closes once the work is over (none if it already is); returns at once.
    // Cancel, Escape and the close button ask the work to stop and leave the
    // dialog up, showing what the work says, until the work has ended. It
    // blocks no window: the one it belongs to can still be closed.
    virtual void ShowProgress(const QString& title, WorkProgress& work) = 0;

    // Whether something of that name exists; false for any bad path.
    virtual bool FileExists(const QString& path) = 0;
};
