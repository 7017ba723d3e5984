// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "app/fonts.h"

#include <QStringList>

using namespace Qt::StringLiterals;

void InstallFontSubstitutes()
{
    static const bool installed = [] {
        QFont::insertSubstitutions(u"Courier New"_s, {u"Liberation Mono"_s, u"Cousine"_s, u"DejaVu Sans Mono"_s});
        QFont::insertSubstitutions(u"Verdana"_s, {u"DejaVu Sans"_s, u"Liberation Sans"_s});
        QFont::insertSubstitutions(u"Tahoma"_s, {u"DejaVu Sans"_s, u"Liberation Sans"_s});
        return true;
    }();
    Q_UNUSED(installed);
}

QFont MakeFont(const QString& family, qreal pointSize, bool bold)
{
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}
