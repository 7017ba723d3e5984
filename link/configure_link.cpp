// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/configure_link.h"

#include "link/device_session.h"
#include "link/link_window.h"

#include <optional>

using namespace Qt::StringLiterals;

QString SettingsForSpeedOption(int option)
{
    switch (option) {
    case 2: return u"9600,n,8,1"_s;
    case 3: return u"19200,n,8,1"_s;
    case 4: return u"38400,n,8,1"_s;
    default: return {};
    }
}

void ConfigureLink(LinkWindow& window)
{
    std::optional<QString> settings;
    for (int option : {2, 3, 4}) {
        if (window.SpeedChosen(option)) {
            settings = SettingsForSpeedOption(option);
            break;
        }
    }
    window.LinkSession().Configure(window.PortChoice().toInt(), settings);
}
