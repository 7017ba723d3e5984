// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "app/grid_text_box.h"

#include "app/key_filter.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFontMetricsF>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextBlock>

#include <cmath>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A grid line is 16 entries of 4 characters; its trailing space may hang
// past the edge, so 63 must fit.
constexpr int VisibleGridLineChars = 63;
constexpr qreal DefaultDocumentMargin = 4;

}  // namespace

QString DroppedFile(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    for (const QUrl& url : urls) {
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    return {};
}

GridTextBox::GridTextBox(QWidget* parent) : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Tab moves on to the next control, as in any form, instead of typing.
    setTabChangesFocus(true);
    setUndoRedoEnabled(true);
}

QString GridTextBox::GridText() const
{
    QString text = toPlainText();
    text.replace(u'\n', u"\r\n"_s);
    return text;
}

void GridTextBox::SetGridText(const QString& text)
{
    setPlainText(text);
}

void GridTextBox::keyPressEvent(QKeyEvent* event)
{
    // The menu key and Shift+F10 open the box's menu at the text cursor.
    if (event->key() == Qt::Key_Menu || (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        const QPoint at = cursorRect().center();
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, viewport()->mapToGlobal(at));
        contextMenuEvent(&menu);
        event->accept();
        return;
    }
    const QString text = event->text();
    // Keys that type nothing (cursor keys, Home, Delete…) move and delete as
    // usual; Delete's text is DEL (127), which is no typed character.
    if (text.isEmpty() || event->key() == Qt::Key_Delete) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    const QString kept = FilterTypedText(text, true);
    if (kept == text) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    if (!kept.isEmpty()) {
        QKeyEvent filtered(event->type(), event->key(), event->modifiers(), kept, event->isAutoRepeat(),
                           static_cast<quint16>(event->count()));
        QPlainTextEdit::keyPressEvent(&filtered);
    }
    event->accept();
}

void GridTextBox::inputMethodEvent(QInputMethodEvent* event)
{
    const QString commit = event->commitString();
    const QString kept = FilterTypedText(commit, false);
    if (kept == commit) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&filtered);
    event->accept();
}

void GridTextBox::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    FitGridLine();
}

void GridTextBox::changeEvent(QEvent* event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        FitGridLine();
}

void GridTextBox::dragEnterEvent(QDragEnterEvent* event)
{
    if (DroppedFile(event->mimeData()).isEmpty())
        QPlainTextEdit::dragEnterEvent(event);
    else
        event->acceptProposedAction();
}

void GridTextBox::dragMoveEvent(QDragMoveEvent* event)
{
    if (DroppedFile(event->mimeData()).isEmpty())
        QPlainTextEdit::dragMoveEvent(event);
    else
        event->acceptProposedAction();
}

void GridTextBox::dropEvent(QDropEvent* event)
{
    const QString file = DroppedFile(event->mimeData());
    if (file.isEmpty()) {
        QPlainTextEdit::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    Q_EMIT FileDropped(file);
}

void GridTextBox::contextMenuEvent(QContextMenuEvent* event)
{
    std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    if (!menuActions_.isEmpty()) {
        menu->addSeparator();
        menu->addActions(menuActions_);
    }
    menu->exec(event->globalPos());
}

// Keeps the usual document margin unless the font is a hair wider than the
// box was drawn for; then the margin gives way so a grid line stays one line.
void GridTextBox::FitGridLine()
{
    const qreal needed = QFontMetricsF(font()).horizontalAdvance(QString(VisibleGridLineChars, u'0'));
    const qreal room = viewport()->width();
    const qreal margin = std::clamp(std::floor((room - needed) / 2), 0.0, DefaultDocumentMargin);
    if (document()->documentMargin() != margin)
        document()->setDocumentMargin(margin);
}
