#include "app/UserInterface.h"

UserInterface::~UserInterface() = default;

BusyCursor::BusyCursor(UserInterface &ui) : m_ui(ui)
{
    m_ui.setBusy(true);
}

BusyCursor::~BusyCursor()
{
    restore();
}

void BusyCursor::restore()
{
    if (m_active) {
        m_active = false;
        m_ui.setBusy(false);
    }
}
