#pragma once

#include "app/UserInterface.h"
#include "engine/DatabaseError.h"

#include <QString>

#include <exception>

// The general error handler of a user action: an engine error ends the action, the
// operator is shown the engine's text, and the program goes on.
template<typename Action>
bool guarded(UserInterface &ui, Action &&action)
{
    try {
        action();
        return true;
    } catch (const DatabaseError &e) {
        ui.showError(e.message());
    } catch (const std::exception &e) {
        ui.showError(QString::fromLocal8Bit(e.what()));
    }
    return false;
}
