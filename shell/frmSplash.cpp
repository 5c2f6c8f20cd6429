#include "shell/frmSplash.h"

#include "widgets/Art.h"
#include "widgets/Fonts.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace tarrowin {

frmSplash::frmSplash(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint | Qt::Tool), m_picture(artPicture(QStringLiteral("splash.png"))) {
    setWindowTitle(QStringLiteral("Tarrowin"));
    setFont(uiFont(8.25));
    setFixedSize(449, 300); // 6735 x 4500 twips
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - QPoint(width() / 2, height() / 2));

    m_loading = new QLabel(QStringLiteral("Loading..."), this);
    m_loading->move(8, 264);
    m_loading->setFont(uiFont(8.25));
    m_loading->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    m_loading->resize(200, 16);

    m_continue = new ucCustomButton(this);
    m_continue->SetPictureUp(artPicture(QStringLiteral("face_up.png")));
    m_continue->SetPictureOver(artPicture(QStringLiteral("face_over.png")));
    m_continue->SetPictureDown(artPicture(QStringLiteral("face_down.png")));
    m_continue->SetPictureDisabled(artPicture(QStringLiteral("face_disabled.png")));
    m_continue->SetFont(QString::fromLatin1(kUiFontFamily), 8.25);
    m_continue->SetCaption(QStringLiteral("&Continue"));
    m_continue->SetForeColor(QColor(0, 0, 0));
    m_continue->SetBackColor(QColor(0x10, 0x24, 0x50));
    m_continue->move(362, 263);
    m_continue->hide();
    connect(m_continue, &ucCustomButton::Click, this, &frmSplash::continueClicked);
}

void frmSplash::showAsAbout() {
    m_loading->setText(QString());
    m_continue->show();
}

void frmSplash::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}

} // namespace tarrowin
