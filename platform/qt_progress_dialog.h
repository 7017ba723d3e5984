// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class WorkProgress;

// A dialog that shows work going on until the work says it is over, and
// then goes. Cancel, Escape and the close button only ask the work to stop:
// hiding the dialog then would hide the work still going on.
class QtProgressDialog final : public QDialog {
public:
    QtProgressDialog(WorkProgress& work, const QString& title, QWidget* parent = nullptr);

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Update();

    WorkProgress& work_;
    QLabel* label_;
    QProgressBar* bar_;
    QPushButton* cancel_;
};
