// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTimer>

class QMimeData;

// The first local file among what is being dropped, or empty text.
QString DroppedFile(const QMimeData* data);

// The scene grid's text box. Typed characters pass the key filter; text the
// program sets, and text pasted through the box's own menu, do not.
class GridTextBox final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit GridTextBox(QWidget* parent = nullptr);
    ~GridTextBox() override;

    // The text with CR LF at every line break, whatever the widget keeps.
    QString GridText() const;
    // Replaces the whole text as one step of the undo history, which Undo
    // takes back and Redo applies again.
    void SetGridText(const QString& text);
    // Sets the text with no history before it (the start-up grid).
    void ResetGridText(const QString& text);
    // Actions added below the standard editing actions of the box's menu.
    void SetMenuActions(const QList<QAction*>& actions) { menuActions_ = actions; }

    // What a hover over position (in the document) shows: "Byte 37: 255
    // (100 %)", counted from 1, with the value as a share of 255; for an
    // entry marked as differing the other copy's value too ("…, device 128",
    // "…, the device has no byte 40"); empty between entries.
    QString EntryAt(int position) const;
    // The entries on screen now marked as bad, or as differing, as (start,
    // length) in the document.
    QList<std::pair<int, int>> MarkedEntries(bool differing = false) const;
    // Marks the entries at (start, length) as differing from the copy
    // theirs ("device", "file") until the text next changes.
    void ShowDifferences(const QList<std::pair<qsizetype, qsizetype>>& entries, const QByteArray& theirs,
                         const QString& theirName);

Q_SIGNALS:
    // A file was dropped on the box; its path is not typed into the grid.
    void FileDropped(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;
    bool viewportEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void FitGridLine();
    void MarkBadEntries();
    void SetCaretBlinking();
    void SeparateNextEdit();
    void PassKey(QKeyEvent* event);
    void MakeRoom(qsizetype characters);
    void ReplaceText(const QString& text, bool asStep);
    void BreakAnywhere(bool anywhere);

    // Qt breaks a line at the end of a word where it can; in a word longer
    // than a line it looks for that end again at every line, which grows
    // with the square of the word (a pasted megabyte with no space took half
    // a minute). A word longer than this is broken anywhere instead.
    static constexpr int LongestWrappedWord = 16 * 1024;

    QList<QAction*> menuActions_;
    // Marks are set a moment after the text or the view changes, and only
    // over what is shown, so that typing stays instant in a huge grid.
    QTimer markTimer_;
    bool replacing_ = false;       // the whole text is being replaced
    QElapsedTimer doubleClicked_;  // since the last double click, for a third
    QPoint doubleClickAt_;
    int flashTime_ = -1;           // the caret's flash time, while it is held still
    qsizetype replacedBytes_ = 0;  // what the undo history holds of replacements and pastes
    // The entries that differ from another copy, in order, and that copy.
    QList<std::pair<qsizetype, qsizetype>> differing_;
    QByteArray theirs_;
    QString theirName_;
};
