#pragma once

#include <QPlainTextEdit>

// The scene grid's text box. Typed characters pass the key filter; text the
// program sets, and text pasted through the box's own menu, do not.
class GridTextBox final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit GridTextBox(QWidget* parent = nullptr);

    // The text with CR LF at every line break, whatever the widget keeps.
    QString GridText() const;
    void SetGridText(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FitGridLine();
};
