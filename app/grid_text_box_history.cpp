// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// The grid's whole-text replacements, its pastes and copies, and what the
// undo history keeps of them.
#include "app/grid_paragraphs.h"
#include "app/grid_text_box.h"

#include <QMimeData>
#include <QScrollBar>
#include <QTextDocumentFragment>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// What the undo history may hold of replaced and pasted text.
constexpr qsizetype MaxReplacedBytes = qsizetype(16) << 20;

}  // namespace

void GridTextBox::SetGridText(const QString& text)
{
    MakeRoom(document()->characterCount() + text.size());
    ReplaceText(text, true);
    SeparateNextEdit();
    moveCursor(QTextCursor::Start);
}

// The history keeps both texts of every replacement and paste; past its
// budget the older steps go, all at once, before this one is added. The
// selection and the view stay where they were.
void GridTextBox::MakeRoom(qsizetype characters)
{
    const qsizetype held = characters * qsizetype(sizeof(QChar));
    if (replacedBytes_ + held > MaxReplacedBytes) {
        const QTextCursor was = textCursor();
        const int top = verticalScrollBar()->value();
        // Clearing the history would not free the text it held: Qt's
        // document keeps all it was ever given until it is set anew.
        ReplaceText(GridText(), false);
        const int last = document()->characterCount() - 1;
        QTextCursor now(document());
        now.setPosition(std::min(was.anchor(), last));
        now.setPosition(std::min(was.position(), last), QTextCursor::KeepAnchor);
        setTextCursor(now);
        verticalScrollBar()->setValue(top);
        replacedBytes_ = 0;
    }
    replacedBytes_ += held;
}

// Typing at the end of a replacement would otherwise join its step, and one
// Undo would take back both.
void GridTextBox::SeparateNextEdit()
{
    document()->setModified(false);
}

void GridTextBox::ResetGridText(const QString& text)
{
    ReplaceText(text, false);
    replacedBytes_ = 0;
}

// The whole text, as one step of the history or with no history at all.
// Lines are broken anywhere before Qt lays out a text with a long word, and
// between words again only once the old text, which may hold one, is gone.
void GridTextBox::ReplaceText(const QString& text, bool asStep)
{
    const bool longWords = LongestWord(text) > LongestWrappedWord;
    if (longWords)
        BreakAnywhere(true);
    replacing_ = true;
    if (asStep) {
        QTextCursor cursor(document());
        cursor.beginEditBlock();
        cursor.select(QTextCursor::Document);
        cursor.insertText(GroupedLines(text));
        cursor.endEditBlock();
    } else {
        setPlainText(GroupedLines(text));
    }
    replacing_ = false;
    BreakAnywhere(longWords);
}

void GridTextBox::BreakAnywhere(bool anywhere)
{
    const QTextOption::WrapMode mode = anywhere ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
    if (wordWrapMode() != mode)
        setWordWrapMode(mode);
}

// Plain text alone: the rich formats Qt would add (HTML, OpenDocument) carry
// what the grid does not hold, a tab before every line break among it.
QMimeData* GridTextBox::createMimeDataFromSelection() const
{
    auto* data = new QMimeData;
    data->setText(QTextDocumentFragment(textCursor()).toPlainText());
    return data;
}

// Only text is pasted. An empty clipboard (Windows after start-up, X11 when
// its owner has gone) must not reach Qt 6.4's own paste, which reads the
// first of its formats without looking whether there is one.
void GridTextBox::insertFromMimeData(const QMimeData* source)
{
    if (source == nullptr || !source->hasText())
        return;
    const QString text = source->text();
    const QTextCursor cursor = textCursor();
    const qsizetype replaced = cursor.selectionEnd() - cursor.selectionStart();
    const bool whole = replaced == document()->characterCount() - 1;
    MakeRoom(replaced + text.size());
    // Over the whole grid a paste is a replacement like a load: kept in
    // paragraphs of lines, and ending where a paste ends.
    if (whole) {
        ReplaceText(text, true);
        SeparateNextEdit();
        moveCursor(QTextCursor::End);
        return;
    }
    QPlainTextEdit::insertFromMimeData(source);
}
