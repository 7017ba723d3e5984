#include "app/port_combo_box.h"

void PortComboBox::showPopup()
{
    Q_EMIT AboutToShowPopup();
    QComboBox::showPopup();
}
