#pragma once

// The main menu: a narrow shaped window at the right edge of the screen with the
// five tasks as rows, the latest information from the vendor's site, and buttons
// for about, minimise to the notification area and close.

#include "shell/PictureArea.h"
#include "widgets/SkinnedWindow.h"
#include "widgets/TrayIcon.h"
#include "widgets/UserControl1.h"

#include <QTextBrowser>
#include <array>
#include <cstdint>

class QNetworkAccessManager;

namespace tarrowin {

class FromSkins : public SkinnedWindow {
    Q_OBJECT
public:
    static const std::array<const char*, 5> kRowCaptions;

    explicit FromSkins(QWidget* parent = nullptr);

    // Load steps, in the order start-up runs them.
    void placeAtRightEdge();
    void shape();
    // Reads the row icons from an icon file; throws std::runtime_error when it
    // cannot be read or holds fewer than five images.
    void loadRowIcons(const std::string& dataIcoPath);
    void drawRowIcons();
    // Fetches the latest-information page into OnlineInfo.
    void navigateInfo(const QString& address);

    void highlightRow(int i);
    std::int16_t HoverRow() const { return m_hoverRow; }
    // The skin control shows which skin is in force.
    void showSkinNumber(int n);

    // Minimise: into the notification area, or, on a desktop without one, to the
    // task bar, so the menu can always be brought back.
    void minimise();
    // Back from the notification area or the task bar.
    void restore();
    bool inTray() const { return m_tray->isShown(); }
    TrayIcon* TrayIcon1() const { return m_tray; }
    void removeTrayIcon() { m_tray->Remove(); }

    PictureArea* MenuButton_moveBg(int i) const { return m_rowBg.at(static_cast<std::size_t>(i)); }
    QLabel* MenuButton_pic(int i) const { return m_rowPic.at(static_cast<std::size_t>(i)); }
    QLabel* MenuButton_cap(int i) const { return m_rowCap.at(static_cast<std::size_t>(i)); }
    QTextBrowser* OnlineInfo() const { return m_info; }
    PictureArea* ChangeSkin() const { return m_changeSkin; }
    PictureArea* AboutButton() const { return m_about; }
    PictureArea* MinButton() const { return m_min; }
    PictureArea* CloseButton() const { return m_close; }
    UserControl1* Trb_toolBar() const { return m_toolbar; }

signals:
    void rowClicked(int i);
    void aboutClicked();
    void closeClicked();
    void changeSkinClicked();

private:
    std::array<PictureArea*, 5> m_rowBg{};
    std::array<QLabel*, 5> m_rowPic{};
    std::array<QLabel*, 5> m_rowCap{};
    std::array<QPixmap, kSkinCount> m_bars, m_skinDots;
    int m_skin = 0;
    PictureArea* m_about;
    PictureArea* m_min;
    PictureArea* m_close;
    PictureArea* m_changeSkin;
    QTextBrowser* m_info;
    UserControl1* m_toolbar;
    TrayIcon* m_tray;
    QNetworkAccessManager* m_network = nullptr;
    std::int16_t m_hoverRow = 0;
    bool m_inTaskBar = false;
};

} // namespace tarrowin
