// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QComboBox>

// A drop-down list that says when it is about to open, so that what it
// shows about each item can be brought up to date first.
class PortComboBox final : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    void showPopup() override;

Q_SIGNALS:
    void AboutToShowPopup();
};
