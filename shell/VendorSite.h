#pragma once

#include <QString>

namespace tarrowin {

// The vendor's web site without a trailing "/": TARROWIN_SITE from the environment,
// else the address the program was built with.
QString vendorSite();

} // namespace tarrowin
