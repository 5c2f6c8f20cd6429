#include "shell/VendorSite.h"

namespace tarrowin {

QString vendorSite() {
    QString site = qEnvironmentVariable("TARROWIN_SITE");
    if (site.isEmpty()) site = QStringLiteral(TARROWIN_SITE_DEFAULT);
    while (site.endsWith(u'/')) site.chop(1);
    return site;
}

} // namespace tarrowin
