// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QFont>
#include <QString>

// Maps the window's fonts, where a system lacks them, to fonts with close
// metrics (Courier New to Liberation Mono, which has the same advance
// width). Safe to call more than once.
void InstallFontSubstitutes();

// family at pointSize, bold or not.
QFont MakeFont(const QString& family, qreal pointSize, bool bold);
