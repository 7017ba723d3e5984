// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "platform/qt_progress_dialog.h"

#include "platform/work_progress.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// A bar counts in int; a thousand steps are plenty to watch.
constexpr int BarSteps = 1000;

}  // namespace

QtProgressDialog::QtProgressDialog(WorkProgress& work, const QString& title, QWidget* parent)
    : QDialog(parent),
      work_(work),
      label_(new QLabel(this)),
      bar_(new QProgressBar(this)),
      cancel_(new QPushButton(u"Cancel"_s, this))
{
    setObjectName(u"WorkProgressDialog"_s);
    setWindowTitle(title);
    setMinimumWidth(360);
    bar_->setRange(0, BarSteps);
    cancel_->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(bar_);
    layout->addLayout(buttons);
    connect(cancel_, &QPushButton::clicked, &work_, &WorkProgress::AskToStop);
    connect(&work_, &WorkProgress::Changed, this, &QtProgressDialog::Update);
    Update();
}

void QtProgressDialog::reject()
{
    work_.AskToStop();
}

void QtProgressDialog::closeEvent(QCloseEvent* event)
{
    work_.AskToStop();
    event->ignore();
}

void QtProgressDialog::Update()
{
    if (work_.Over) {
        accept();
        deleteLater();
        return;
    }
    label_->setText(work_.Text);
    bar_->setValue(work_.Total > 0
                       ? static_cast<int>(std::clamp<qint64>(work_.Done, 0, work_.Total) * BarSteps / work_.Total)
                       : 0);
    cancel_->setEnabled(!work_.StopAsked);
}
