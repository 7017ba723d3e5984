#include "app/key_filter.h"

QString FilterTypedText(QStringView text, bool keepBackspace)
{
    QString kept;
    kept.reserve(text.size());
    for (QChar c : text) {
        if (KeyFilterKeeps(c.unicode()) && (keepBackspace || c != u'\b'))
            kept.append(c);
    }
    return kept;
}
