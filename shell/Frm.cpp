#include "shell/Frm.h"

#include "widgets/Fonts.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

namespace tarrowin {

const std::array<const char*, 5> Frm::kTaskTitles = {"Change Desktop Icons", "Change Folder Icons",
                                                      "Create XP Icons...", "Protect Folder",
                                                      "Extract Icons, Original icons collection."};

namespace {
// Places in pixels (the layout was made in twips, 15 to a pixel).
constexpr int kTaskX[5] = {153, 216, 288, 353, 413};
constexpr int kRoundX[4] = {433, 390, 348, 300};
const char* const kRoundTips[4] = {"Exit", "Icon Resource(Web)", "Change Skin", "Web Site"};
const char* const kGuidance[3] = {"First, choose you category", "Then, pick a task", "And click to get started"};

QLabel* whiteLabel(QWidget* parent, const QString& text, const QFont& font, QPoint at) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    label->move(at);
    label->adjustSize();
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}
} // namespace

Frm::Frm(QWidget* parent) : SkinnedWindow(parent) {
    setWindowTitle(QStringLiteral("Tarrowin 6.1"));
    setMouseTracking(true);
    for (int i = 0; i < 5; ++i) {
        auto* area = new PictureArea(this, QRect(kTaskX[i], 46, 58, 62));
        area->setCursor(Qt::PointingHandCursor);
        m_taskHover[static_cast<std::size_t>(i)] = artPicture(QStringLiteral("welcome_task_%1.png").arg(i));
        connect(area, &PictureArea::moved, this, [this, i] { taskMove(i); });
        connect(area, &PictureArea::pressed, this, [this] { taskDown(); });
        connect(area, &PictureArea::released, this, [this, i](int button) {
            if (button == 1) emit taskReleased(i);
        });
        m_tasks[static_cast<std::size_t>(i)] = area;
    }
    for (int i = 0; i < 4; ++i) {
        auto* area = new PictureArea(this, QRect(kRoundX[i], 356, 39, 39));
        area->setToolTip(QString::fromLatin1(kRoundTips[i]));
        if (i == 3) area->setCursor(Qt::PointingHandCursor);
        m_roundHover[static_cast<std::size_t>(i)] = artPicture(QStringLiteral("welcome_round_%1.png").arg(i));
        connect(area, &PictureArea::moved, this, [this, i] { roundMove(i); });
        connect(area, &PictureArea::pressed, this, [this, i] { emit roundPressed(i); });
        m_rounds[static_cast<std::size_t>(i)] = area;
    }
    const QFont guidance = uiFont(9.75, true);
    for (int i = 0; i < 3; ++i)
        m_options[static_cast<std::size_t>(i)] =
            whiteLabel(this, QString::fromLatin1(kGuidance[i]), guidance, QPoint(160, 200 + 24 * i));
    m_options[3] = whiteLabel(this, QString::fromLatin1(kWelcome), uiFont(12, true), QPoint(120, 152));
    // The title line keeps inside the picture even for the longest task title.
    m_options[3]->setFixedWidth(500 - 120 - 8);

    SetPicture(artPicture(QStringLiteral("welcome.png")));
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - QPoint(width() / 2, height() / 2));
}

void Frm::shape() {
    Transparent1()->SetMaskPicture(picture());
}

void Frm::taskMove(int i) {
    m_tasks[static_cast<std::size_t>(m_hoverTask)]->clear();
    m_tasks[static_cast<std::size_t>(i)]->setPixmap(m_taskHover[static_cast<std::size_t>(i)]);
    m_options[3]->setText(QString::fromLatin1(kTaskTitles[static_cast<std::size_t>(i)]));
    m_hoverTask = static_cast<std::int16_t>(i);
}

void Frm::taskDown() {
    m_tasks[static_cast<std::size_t>(m_hoverTask)]->clear();
}

void Frm::roundMove(int i) {
    m_rounds[static_cast<std::size_t>(m_hoverRound)]->clear();
    m_rounds[static_cast<std::size_t>(i)]->setPixmap(m_roundHover[static_cast<std::size_t>(i)]);
    m_hoverRound = static_cast<std::int16_t>(i);
}

void Frm::clearRoundHover() {
    m_rounds[static_cast<std::size_t>(m_hoverRound)]->clear();
}

void Frm::backgroundMove() {
    m_tasks[static_cast<std::size_t>(m_hoverTask)]->clear();
    m_rounds[static_cast<std::size_t>(m_hoverRound)]->clear();
    m_options[3]->setText(QString::fromLatin1(kWelcome));
    for (int i = 0; i < 3; ++i) m_options[static_cast<std::size_t>(i)]->setVisible(true);
}

void Frm::mouseMoveEvent(QMouseEvent* event) {
    backgroundMove();
    SkinnedWindow::mouseMoveEvent(event);
}

} // namespace tarrowin
