#include "shell/FromSkins.h"

#include "icon/cFileIcon.h"
#include "widgets/Fonts.h"

#include <QGuiApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QScreen>

#include <stdexcept>

namespace tarrowin {

const std::array<const char*, 5> FromSkins::kRowCaptions = {"Custom Folder Icons...", "Custom Desktop Icons...",
                                                             "Create XP Icons...", "Protect Folders...",
                                                             "Original Icon Collections..."};

namespace {
constexpr int kRowBgY[5] = {51, 92, 133, 173, 213};
constexpr int kRowPicY[5] = {59, 99, 139, 179, 219};
constexpr int kRowCapY[5] = {64, 104, 144, 184, 224};
const QString kGrey = QStringLiteral("color: #808080; background: transparent;");

PictureArea* pictureButton(QWidget* parent, const QRect& r, const QString& picture, const QString& tip) {
    auto* area = new PictureArea(parent, r);
    area->setPixmap(artPicture(picture));
    area->setToolTip(tip);
    area->setCursor(Qt::PointingHandCursor);
    return area;
}
} // namespace

FromSkins::FromSkins(QWidget* parent) : SkinnedWindow(parent) {
    setWindowTitle(QStringLiteral("Tarrowin"));
    for (int n = 0; n < kSkinCount; ++n) {
        m_bars[static_cast<std::size_t>(n)] = artPicture(QStringLiteral("menu_bar_%1.png").arg(n));
        m_skinDots[static_cast<std::size_t>(n)] = artPicture(QStringLiteral("menu_skin_%1.png").arg(n));
    }

    auto* title = new QLabel(this);
    title->setGeometry(12, 5, 24, 24);
    title->setPixmap(artPicture(QStringLiteral("title.png")));
    title->setToolTip(QStringLiteral("Tarrowin"));
    auto* label1 = new QLabel(QStringLiteral("Tarrowin"), this);
    label1->setFont(uiFont(8.25, true));
    label1->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    label1->move(40, 10);
    label1->adjustSize();
    // Dragging the name moves the window, as dragging the background does.
    new WindowMover(this, label1);

    // The about button's tip would be "Min" as the minimise button's; it says what it does instead.
    m_about = pictureButton(this, QRect(176, 9, 15, 15), QStringLiteral("button_about.png"), QStringLiteral("About"));
    m_min = pictureButton(this, QRect(195, 8, 16, 16), QStringLiteral("button_min.png"), QStringLiteral("Min"));
    m_close = pictureButton(this, QRect(216, 8, 16, 16), QStringLiteral("button_close.png"), QStringLiteral("Close"));
    connect(m_about, &PictureArea::clicked, this, &FromSkins::aboutClicked);
    connect(m_min, &PictureArea::clicked, this, &FromSkins::minimise);
    connect(m_close, &PictureArea::clicked, this, &FromSkins::closeClicked);

    for (int i = 0; i < 5; ++i) {
        const auto k = static_cast<std::size_t>(i);
        m_rowBg[k] = new PictureArea(this, QRect(16, kRowBgY[i], i == 0 ? 217 : 216, 38));
        m_rowPic[k] = new QLabel(this);
        m_rowPic[k]->setGeometry(24, kRowPicY[i], 25, 25);
        m_rowCap[k] = new QLabel(QString::fromLatin1(kRowCaptions[k]), this);
        m_rowCap[k]->setGeometry(64, kRowCapY[i], 153, 17);
        m_rowCap[k]->setStyleSheet(kGrey);
        // Only the row backgrounds follow the mouse; a click anywhere on a row runs it.
        m_rowPic[k]->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_rowCap[k]->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_rowBg[k]->setCursor(Qt::PointingHandCursor);
        connect(m_rowBg[k], &PictureArea::moved, this, [this, i] { highlightRow(i); });
        connect(m_rowBg[k], &PictureArea::clicked, this, [this, i] { emit rowClicked(i); });
    }

    auto* label2 = new QLabel(QStringLiteral("Latest Info:"), this);
    label2->setStyleSheet(kGrey);
    label2->move(24, 275);
    label2->adjustSize();
    auto* frame = new QWidget(this);
    frame->setGeometry(24, 296, 201, 65);
    frame->setStyleSheet(QStringLiteral("background: white;"));
    frame->setAttribute(Qt::WA_StyledBackground);
    m_info = new QTextBrowser(frame);
    // The view overlaps its frame by two pixels on every side, hiding its own border.
    m_info->setGeometry(-2, -2, 205, 69);
    m_info->setOpenExternalLinks(true);
    m_info->setFont(uiFont(7.5));
    m_info->setStyleSheet(QStringLiteral("QTextBrowser { border: 1px solid white; background: white; color: #404040; }"));

    m_changeSkin = new PictureArea(this, QRect(192, 370, 32, 8));
    m_changeSkin->setToolTip(QStringLiteral("Change Skin"));
    m_changeSkin->setCursor(Qt::PointingHandCursor);
    connect(m_changeSkin, &PictureArea::clicked, this, &FromSkins::changeSkinClicked);

    m_toolbar = new UserControl1(this);
    m_toolbar->hide();
    m_tray = new TrayIcon(this);
    m_tray->SetScreenTip(QStringLiteral("Tarrowin"));
    connect(m_tray, &TrayIcon::Click, this, &FromSkins::restore);

    SetPicture(skinPicture(SkinWindow::Menu, 0));
    showSkinNumber(0);
}

void FromSkins::placeAtRightEdge() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect s = screen->geometry();
    move(s.left() + s.width() - width(), s.top() + s.height() / 4);
}

void FromSkins::shape() {
    Transparent1()->SetMaskPicture(picture());
}

void FromSkins::loadRowIcons(const std::string& dataIcoPath) {
    m_toolbar->Clear();
    cFileIcon icon;
    if (!icon.LoadIcon(dataIcoPath)) throw std::runtime_error("cannot read " + dataIcoPath);
    m_toolbar->Init(icon);
    if (m_toolbar->ItemCount() < 5) throw std::runtime_error(dataIcoPath + " holds fewer than five images");
}

void FromSkins::drawRowIcons() {
    for (int i = 0; i < 5; ++i) {
        QPixmap box(25, 25);
        box.fill(Qt::transparent);
        m_toolbar->Ex_toolbar(box, 5 - i);
        m_rowPic[static_cast<std::size_t>(i)]->setPixmap(box);
    }
}

void FromSkins::navigateInfo(const QString& address) {
    if (!m_network) m_network = new QNetworkAccessManager(this);
    QNetworkReply* reply = m_network->get(QNetworkRequest(QUrl(address)));
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        reply->deleteLater();
        if (reply->error() == QNetworkReply::NoError) m_info->setHtml(QString::fromUtf8(reply->readAll()));
    });
}

void FromSkins::highlightRow(int i) {
    m_rowBg[static_cast<std::size_t>(m_hoverRow)]->clear();
    m_rowBg[static_cast<std::size_t>(i)]->setPixmap(m_bars[static_cast<std::size_t>(m_skin)]);
    // The icon boxes are drawn afresh, as replacing a box's background erases its icon.
    drawRowIcons();
    m_hoverRow = static_cast<std::int16_t>(i);
}

void FromSkins::showSkinNumber(int n) {
    if (n < 0 || n >= kSkinCount) return;
    m_skin = n;
    m_changeSkin->setPixmap(m_skinDots[static_cast<std::size_t>(n)]);
    if (m_rowBg[static_cast<std::size_t>(m_hoverRow)]->pixmap().isNull()) return;
    m_rowBg[static_cast<std::size_t>(m_hoverRow)]->setPixmap(m_bars[static_cast<std::size_t>(n)]);
}

void FromSkins::minimise() {
    if (TrayIcon::available()) {
        hide();
        m_tray->Add(QIcon(artPicture(QStringLiteral("tray.png"))));
        return;
    }
    // No notification area: hiding would leave no way back, so the menu goes to
    // the task bar as an ordinary window instead.
    m_inTaskBar = true;
    setWindowFlag(Qt::Tool, false);
    showMinimized();
}

void FromSkins::restore() {
    m_tray->Remove();
    if (m_inTaskBar) {
        m_inTaskBar = false;
        setWindowFlag(Qt::Tool, true);
    }
    showNormal();
    raise();
    activateWindow();
}

} // namespace tarrowin
