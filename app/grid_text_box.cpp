// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "app/grid_text_box.h"

#include "app/grid_paragraphs.h"
#include "app/key_filter.h"
#include "scene/scene_grid.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextBlock>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A grid line is 16 entries of 4 characters; its trailing space may hang
// past the edge, so 63 must fit.
constexpr int VisibleGridLineChars = 63;
constexpr qreal DefaultDocumentMargin = 4;
// Marks follow the text or the view this long after it changes.
constexpr int MarkDelayMs = 40;
// Past this length a line is laid out too slowly for the caret to blink.
constexpr int LongestBlinkingLine = 16 * 1024;

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
    // Digits and spaces have no direction of their own: left to the text, Qt
    // would look through a whole line for one at every mark and paint, which
    // in a pasted line of megabytes takes seconds.
    QTextOption option = document()->defaultTextOption();
    option.setTextDirection(Qt::LeftToRight);
    document()->setDefaultTextOption(option);

    markTimer_.setSingleShot(true);
    markTimer_.setInterval(MarkDelayMs);
    connect(&markTimer_, &QTimer::timeout, this, &GridTextBox::MarkBadEntries);
    connect(this, &QPlainTextEdit::textChanged, &markTimer_, qOverload<>(&QTimer::start));
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect&, int dy) {
        if (dy != 0)
            markTimer_.start();
    });
    connect(this, &QPlainTextEdit::textChanged, this, &GridTextBox::SetCaretBlinking);
    // Before Qt lays out what changed.
    connect(document(), &QTextDocument::contentsChange, this, [this](int position, int, int added) {
        if (replacing_ || wordWrapMode() == QTextOption::WrapAnywhere)
            return;
        QTextCursor around(document());
        around.setPosition(std::max(0, position - LongestWrappedWord));
        around.setPosition(std::min(document()->characterCount() - 1, position + added + LongestWrappedWord),
                           QTextCursor::KeepAnchor);
        if (LongestWord(around.selectedText()) > LongestWrappedWord)
            BreakAnywhere(true);
    });
    // A comparison holds for the text it was made on.
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        differing_.clear();
        theirs_.clear();
    });
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &GridTextBox::SetCaretBlinking);
}

GridTextBox::~GridTextBox()
{
    if (flashTime_ >= 0)
        QGuiApplication::styleHints()->setCursorFlashTime(flashTime_);
}

// A caret blinking in a line of megabytes lays the whole line out again at
// every blink; there it is held still, so an idle window costs nothing.
void GridTextBox::SetCaretBlinking()
{
    const bool still = hasFocus() && textCursor().block().length() > LongestBlinkingLine;
    QStyleHints* hints = QGuiApplication::styleHints();
    if (still && flashTime_ < 0) {
        flashTime_ = hints->cursorFlashTime();
        hints->setCursorFlashTime(0);
    } else if (!still && flashTime_ >= 0) {
        hints->setCursorFlashTime(std::exchange(flashTime_, -1));
    }
}

bool GridTextBox::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const QPoint at = static_cast<QHelpEvent*>(event)->pos();
        const QTextCursor cursor = cursorForPosition(at);
        // Only over the text itself, not beside the end of a line.
        const QString tip = std::abs(cursorRect(cursor).center().x() - at.x()) <= fontMetrics().averageCharWidth()
            ? EntryAt(cursor.position() > 0 && at.x() < cursorRect(cursor).x() ? cursor.position() - 1
                                                                               : cursor.position())
            : QString();
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, viewport());
        return true;
    }
    if (event->type() == QEvent::Resize)
        markTimer_.start();
    return QPlainTextEdit::viewportEvent(event);
}

void GridTextBox::focusInEvent(QFocusEvent* event)
{
    SetCaretBlinking();
    QPlainTextEdit::focusInEvent(event);
}

void GridTextBox::focusOutEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusOutEvent(event);
    SetCaretBlinking();
}

QString GridTextBox::GridText() const
{
    QString text = toPlainText();
    text.replace(u'\n', u"\r\n"_s);
    return text;
}

void GridTextBox::keyPressEvent(QKeyEvent* event)
{
    // Insert switches between inserting and typing over entries; the caret
    // is a block while it types over.
    if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
        setOverwriteMode(!overwriteMode());
        setCursorWidth(overwriteMode() ? qRound(QFontMetricsF(font()).horizontalAdvance(u'0')) : 1);
        event->accept();
        return;
    }
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
        PassKey(event);
        return;
    }
    const QString kept = FilterTypedText(text, true);
    if (kept == text) {
        PassKey(event);
        return;
    }
    if (!kept.isEmpty()) {
        QKeyEvent filtered(event->type(), event->key(), event->modifiers(), kept, event->isAutoRepeat(),
                           static_cast<quint16>(event->count()));
        PassKey(&filtered);
    }
    event->accept();
}

// Typing over stops at the end of a line, as Qt's own stops at the end of a
// paragraph, rather than typing over the separator that ends the line.
void GridTextBox::PassKey(QKeyEvent* event)
{
    const QTextCursor cursor = textCursor();
    const bool atLineEnd = overwriteMode() && !cursor.hasSelection() && !event->text().isEmpty() &&
        document()->characterAt(cursor.position()) == QChar::LineSeparator;
    setOverwriteMode(overwriteMode() && !atLineEnd);
    QPlainTextEdit::keyPressEvent(event);
    setOverwriteMode(overwriteMode() || atLineEnd);
}

void GridTextBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseDoubleClickEvent(event);
    doubleClickAt_ = event->position().toPoint();
    doubleClicked_.start();
}

// A third click selects the line, not the paragraph of lines it is kept in.
void GridTextBox::mousePressEvent(QMouseEvent* event)
{
    const QStyleHints* hints = QGuiApplication::styleHints();
    const bool third = event->button() == Qt::LeftButton && doubleClicked_.isValid() &&
        doubleClicked_.elapsed() < hints->mouseDoubleClickInterval() &&
        (event->position().toPoint() - doubleClickAt_).manhattanLength() < hints->startDragDistance();
    doubleClicked_.invalidate();
    // Where, before Qt's selection of the paragraph scrolls the view.
    QTextCursor line = cursorForPosition(event->position().toPoint());
    const int top = verticalScrollBar()->value();
    QPlainTextEdit::mousePressEvent(event);
    if (!third)
        return;
    const QTextBlock block = line.block();
    const auto [start, end] = LineAround(block.text(), line.position() - block.position());
    line.setPosition(block.position() + static_cast<int>(start));
    line.setPosition(block.position() + static_cast<int>(end), QTextCursor::KeepAnchor);
    line.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);  // and its line end
    setTextCursor(line);
    verticalScrollBar()->setValue(top);
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
    if (QAction* redo = menu->findChild<QAction*>(u"edit-redo"_s))
        connect(redo, &QAction::triggered, this, &GridTextBox::SeparateNextEdit);
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
    if (document()->documentMargin() == margin)
        return;
    // The margin is a format change the history would record: with no step
    // of the user's there yet, it leaves none.
    const bool clean = !document()->isUndoAvailable() && !document()->isRedoAvailable();
    document()->setDocumentMargin(margin);
    if (clean)
        document()->clearUndoRedoStacks();
}
