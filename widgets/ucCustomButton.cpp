#include "widgets/ucCustomButton.h"

#include "widgets/Fonts.h"
#include "widgets/OleColor.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace tarrowin {

short mouseButtonCode(Qt::MouseButtons buttons) {
    short code = 0;
    if (buttons & Qt::LeftButton) code |= 1;
    if (buttons & Qt::RightButton) code |= 2;
    if (buttons & Qt::MiddleButton) code |= 4;
    return code;
}

short shiftCode(Qt::KeyboardModifiers modifiers) {
    short code = 0;
    if (modifiers & Qt::ShiftModifier) code |= 1;
    if (modifiers & Qt::ControlModifier) code |= 2;
    if (modifiers & Qt::AltModifier) code |= 4;
    return code;
}

ucCustomButton::ucCustomButton(QWidget* parent)
    : QWidget(parent), m_backColor(oleColor(kSysButtonFace)), m_foreColor(oleColor(kSysButtonText)) {
    // A new button takes its window's font; the windows use Tahoma 8.25.
    m_font = parent ? parent->font() : uiFont(8.25);
    if (m_font.pixelSize() <= 0) m_font.setPixelSize(pointsToPixels(8.25));
    m_fontPoints = m_font.pointSizeF() > 0 ? m_font.pointSizeF() : m_font.pixelSize() * 72.0 / 96.0;
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    resize(78, 25);
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, &ucCustomButton::tick);
    m_timer.start();
}

void ucCustomButton::SetEnabled(bool value) {
    m_enabled = value;
    emit PropertyChanged(QStringLiteral("Enabled"));
    if (value) {
        showFace(m_pictureUp);
        QWidget::setEnabled(true);
        m_foreColor = QColor(0, 0, 0);
    } else {
        showFace(m_pictureDisabled);
        // A disabled control takes no mouse input, so it raises no events.
        QWidget::setEnabled(false);
        m_foreColor = QColor::fromRgb(kDisabledCaption);
        m_pressed = false;
    }
    emit PropertyChanged(QStringLiteral("ForeColor"));
    update();
}

void ucCustomButton::SetCaption(const QString& value) {
    m_caption = value;
    emit PropertyChanged(QStringLiteral("Caption"));
    update();
}

void ucCustomButton::SetFont(const QString& family, double points, bool bold, bool italic) {
    m_font = QFont(family);
    m_font.setPixelSize(pointsToPixels(points));
    m_font.setBold(bold);
    m_font.setItalic(italic);
    m_fontPoints = points;
    for (const char* key : {"FontSize", "FontItalic", "FontBold", "Font"})
        emit PropertyChanged(QString::fromLatin1(key));
    update();
}

void ucCustomButton::SetBackColor(const QColor& value) {
    m_backColor = value;
    emit PropertyChanged(QStringLiteral("BackColor"));
    update();
}

void ucCustomButton::SetForeColor(const QColor& value) {
    m_foreColor = value;
    emit PropertyChanged(QStringLiteral("ForeColor"));
    update();
}

void ucCustomButton::SetMousePointer(int value) {
    m_mousePointer = value;
    emit PropertyChanged(QStringLiteral("MousePointer"));
    applyPointer();
}

void ucCustomButton::SetMouseIcon(const QPixmap& value) {
    m_mouseIcon = value;
    emit PropertyChanged(QStringLiteral("MouseIcon"));
    applyPointer();
}

void ucCustomButton::SetPictureUp(const QPixmap& value) {
    m_pictureUp = value;
    showFace(value);
    if (!value.isNull()) resize(value.size());
    emit PropertyChanged(QStringLiteral("PICN"));
}

void ucCustomButton::SetPictureOver(const QPixmap& value) {
    m_pictureOver = value;
    emit PropertyChanged(QStringLiteral("PICO"));
}

void ucCustomButton::SetPictureDown(const QPixmap& value) {
    m_pictureDown = value;
    emit PropertyChanged(QStringLiteral("PICD"));
}

void ucCustomButton::SetPictureDisabled(const QPixmap& value) {
    m_pictureDisabled = value;
    emit PropertyChanged(QStringLiteral("PICDIS"));
}

void ucCustomButton::ReadProperties(const PropertyBag& bag) {
    m_enabled = bag.ReadProperty(QStringLiteral("Enabled"), true).toBool();
    QWidget::setEnabled(m_enabled);
    const QVariant font = bag.ReadProperty(QStringLiteral("Font"));
    if (font.canConvert<QFont>()) m_font = font.value<QFont>();
    m_pictureUp = bag.ReadProperty(QStringLiteral("PICN")).value<QPixmap>();
    m_pictureDown = bag.ReadProperty(QStringLiteral("PICD")).value<QPixmap>();
    m_pictureOver = bag.ReadProperty(QStringLiteral("PICO")).value<QPixmap>();
    m_pictureDisabled = bag.ReadProperty(QStringLiteral("PICDIS")).value<QPixmap>();
    m_face = m_enabled ? m_pictureUp : m_pictureDisabled;
    m_caption = bag.ReadProperty(QStringLiteral("Caption"), QStringLiteral("Caption")).toString();
    m_backColor = oleColor(bag.ReadProperty(QStringLiteral("BackColor"), kSysButtonFace).toUInt());
    // Used as stored; the first tick greys the caption of a disabled button.
    m_foreColor = oleColor(bag.ReadProperty(QStringLiteral("ForeColor"), kSysButtonText).toUInt());
    m_mouseIcon = bag.ReadProperty(QStringLiteral("MouseIcon")).value<QPixmap>();
    m_mousePointer = bag.ReadProperty(QStringLiteral("MousePointer"), 0).toInt();
    const double points = bag.ReadProperty(QStringLiteral("FontSize"), 0).toDouble();
    if (points > 0) {
        m_fontPoints = points;
        m_font.setPixelSize(pointsToPixels(points));
    }
    m_font.setItalic(bag.ReadProperty(QStringLiteral("FontItalic"), false).toBool());
    m_font.setBold(bag.ReadProperty(QStringLiteral("FontBold"), false).toBool());
    applyPointer();
    update();
}

void ucCustomButton::WriteProperties(PropertyBag& bag) const {
    bag.WriteProperty(QStringLiteral("Enabled"), m_enabled ? -1 : 0, 1);
    bag.WriteProperty(QStringLiteral("Font"), m_font);
    bag.WriteProperty(QStringLiteral("PICN"), m_pictureUp);
    bag.WriteProperty(QStringLiteral("PICD"), m_pictureDown);
    bag.WriteProperty(QStringLiteral("PICO"), m_pictureOver);
    bag.WriteProperty(QStringLiteral("PICDIS"), m_pictureDisabled);
    bag.WriteProperty(QStringLiteral("Caption"), m_caption, QStringLiteral("Caption"));
    bag.WriteProperty(QStringLiteral("BackColor"), toOleColor(m_backColor), kSysButtonFace);
    bag.WriteProperty(QStringLiteral("ForeColor"), toOleColor(m_foreColor), kSysButtonText);
    bag.WriteProperty(QStringLiteral("MouseIcon"), m_mouseIcon);
    bag.WriteProperty(QStringLiteral("MousePointer"), m_mousePointer, 0);
    bag.WriteProperty(QStringLiteral("FontSize"), m_fontPoints, 0);
    bag.WriteProperty(QStringLiteral("FontItalic"), m_font.italic(), false);
    bag.WriteProperty(QStringLiteral("FontBold"), m_font.bold(), false);
}

int ucCustomButton::captionTop() const {
    // Rounded half to even: a 25-pixel button with an 8.25-point font puts the
    // caption's top at row 5.
    return static_cast<int>(std::nearbyint(height() / 2.0 - m_fontPoints / 2.0 - 3.0));
}

bool ucCustomButton::mouseIsOverMe() const {
    return QApplication::widgetAt(QCursor::pos()) == this;
}

void ucCustomButton::tick() {
    if (m_enabled) {
        m_timer.stop();
        if (mouseIsOverMe())
            showFace(m_pressed ? m_pictureDown : m_pictureOver);
        else
            showFace(m_pictureUp);
        m_timer.start();
    } else {
        showFace(m_pictureDisabled);
        if (m_foreColor.rgb() != kDisabledCaption) {
            m_foreColor = QColor::fromRgb(kDisabledCaption);
            emit PropertyChanged(QStringLiteral("ForeColor"));
        }
    }
    update();
}

void ucCustomButton::showFace(const QPixmap& picture) {
    if (m_face.cacheKey() == picture.cacheKey()) return;
    m_face = picture;
    update();
}

void ucCustomButton::applyPointer() {
    if (m_mousePointer == 99 && !m_mouseIcon.isNull())
        setCursor(QCursor(m_mouseIcon, 0, 0));
    else if (m_mousePointer == 0)
        unsetCursor();
}

void ucCustomButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_backColor);
    if (!m_face.isNull()) painter.drawPixmap(0, 0, m_face);
    painter.setFont(m_font);
    painter.setPen(m_foreColor);
    const QRect text(0, captionTop(), width(), height() - captionTop());
    painter.drawText(text, Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic, m_caption);
}

void ucCustomButton::mousePressEvent(QMouseEvent* event) {
    m_pressed = true;
    const QPointF p = event->position();
    emit MouseDown(mouseButtonCode(event->button()), shiftCode(event->modifiers()), float(p.x()), float(p.y()));
    if (mouseIsOverMe()) showFace(m_pictureDown);
}

void ucCustomButton::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    emit MouseMove(mouseButtonCode(event->buttons()), shiftCode(event->modifiers()), float(p.x()), float(p.y()));
}

void ucCustomButton::mouseReleaseEvent(QMouseEvent* event) {
    m_pressed = false;
    const QPointF p = event->position();
    emit MouseUp(mouseButtonCode(event->button()), shiftCode(event->modifiers()), float(p.x()), float(p.y()));
    // A click is a press and a release of the left button on the button.
    if (event->button() == Qt::LeftButton && rect().contains(p.toPoint())) emit Click();
}

void ucCustomButton::resizeEvent(QResizeEvent*) {
    update();
}

} // namespace tarrowin
