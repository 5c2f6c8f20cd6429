#include "widgets/TrayIcon.h"

namespace tarrowin {

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {}

void TrayIcon::SetScreenTip(const QString& tip) {
    m_screenTip = tip;
    emit PropertyChanged(QStringLiteral("ScreenTip"));
}

bool TrayIcon::available() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool TrayIcon::Add(const QIcon& icon) {
    if (m_shown) return false;
    if (!m_icon) {
        m_icon = new QSystemTrayIcon(this);
        connect(m_icon, &QSystemTrayIcon::activated, this, &TrayIcon::activate);
    }
    m_icon->setIcon(icon);
    m_icon->setToolTip(m_screenTip.left(kTipChars));
    m_icon->show();
    m_shown = true;
    return true;
}

void TrayIcon::Remove() {
    if (!m_shown) return;
    m_icon->hide();
    m_shown = false;
}

QString TrayIcon::shownTip() const {
    return m_icon && m_shown ? m_icon->toolTip() : QString();
}

void TrayIcon::activate(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger: emit Click(); break;
    case QSystemTrayIcon::DoubleClick: emit DblClick(); break;
    case QSystemTrayIcon::Context: emit RightClick(); break;
    default: break;
    }
}

void TrayIcon::ReadProperties(const PropertyBag& bag) {
    m_screenTip = bag.ReadProperty(QStringLiteral("ScreenTip"), QStringLiteral(" ")).toString();
}

void TrayIcon::WriteProperties(PropertyBag& bag) const {
    bag.WriteProperty(QStringLiteral("ScreenTip"), m_screenTip, QStringLiteral(" "));
}

} // namespace tarrowin
