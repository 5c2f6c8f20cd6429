#pragma once

// One icon in the notification area with a tip, reporting the mouse on it as
// Click (left press), DblClick (left double click) and RightClick (right button).

#include "widgets/PropertyBag.h"

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>

namespace tarrowin {

class TrayIcon : public QObject {
    Q_OBJECT
public:
    // The tip travels in a 64-character field that ends in a NUL.
    static constexpr int kTipChars = 63;

    explicit TrayIcon(QObject* parent = nullptr);

    const QString& ScreenTip() const { return m_screenTip; }
    // Takes effect at the next Add.
    void SetScreenTip(const QString& tip);

    // Shows the icon; a second Add while it is shown is refused, as the
    // notification area refuses a second icon with the same owner and number.
    bool Add(const QIcon& icon);
    // Removes the icon; without one shown it does nothing.
    void Remove();
    bool isShown() const { return m_shown; }
    // The tip as the notification area shows it.
    QString shownTip() const;

    // Whether the desktop has a notification area at all.
    static bool available();

    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    // Turns what the notification area reported into the control's events.
    void activate(QSystemTrayIcon::ActivationReason reason);

signals:
    void Click();
    void DblClick();
    void RightClick();
    void PropertyChanged(const QString& key);

private:
    QString m_screenTip = QStringLiteral(" ");
    QSystemTrayIcon* m_icon = nullptr;
    bool m_shown = false;
};

} // namespace tarrowin
