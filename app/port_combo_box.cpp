// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "app/port_combo_box.h"

void PortComboBox::showPopup()
{
    Q_EMIT AboutToShowPopup();
    QComboBox::showPopup();
}
