// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QPlainTextEdit>

class QMimeData;

// The first local file among what is being dropped, or empty text.
QString DroppedFile(const QMimeData* data);

// The scene grid's text box. Typed characters pass the key filter; text the
// program sets, and text pasted through the box's own menu, do not.
class GridTextBox final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit GridTextBox(QWidget* parent = nullptr);

    // The text with CR LF at every line break, whatever the widget keeps.
    QString GridText() const;
    void SetGridText(const QString& text);
    // Actions added below the standard editing actions of the box's menu.
    void SetMenuActions(const QList<QAction*>& actions) { menuActions_ = actions; }

Q_SIGNALS:
    // A file was dropped on the box; its path is not typed into the grid.
    void FileDropped(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void FitGridLine();

    QList<QAction*> menuActions_;
};
