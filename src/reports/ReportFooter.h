#pragma once

#include "app/Competition.h"

#include <QString>

// The maker's web address, printed in the footer of every report.
inline constexpr auto MakerWebAddress = "https://www.velunda.ch";

// "Velunda 3.00 - " followed by the maker's web address.
inline QString reportFooterText()
{
    return Competition::applicationTitle() + QStringLiteral(" - ") + QLatin1String(MakerWebAddress);
}
