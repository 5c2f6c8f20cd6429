#include "widgets/UserControl1.h"

#include "platform/IconPainter.h"
#include "widgets/Fonts.h"
#include "widgets/ucCustomButton.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tarrowin {

UserControl1::UserControl1(QWidget* parent) : QWidget(parent) {
    setFont(uiFont(8.25));
    setFocusPolicy(Qt::StrongFocus);
    m_bar = new QScrollBar(Qt::Vertical, this);
    m_bar->setMinimum(0);
    m_bar->setSingleStep(kLineStep);
    m_bar->hide();
    // The position only notifies when it really changed; both kinds repaint.
    connect(m_bar, &QScrollBar::valueChanged, this, [this] { update(); });
    m_textHeight = QFontMetrics(font()).boundingRect(QStringLiteral("Xg")).height();
}

UserControl1::~UserControl1() {
    Clear();
}

QString UserControl1::captionFor(int width, int height, double colourCount) {
    QString text = QString::number(width) + QStringLiteral(" x ") + QString::number(height);
    if (colourCount > 256) return text + QStringLiteral("- colours");
    return text + QStringLiteral(", ") + QString::number(static_cast<qint64>(colourCount)) + QStringLiteral(" colours");
}

void UserControl1::Init(const cFileIcon& icon) {
    Clear();
    if (icon.ImageCount() <= 0) return;
    const int count = icon.ImageCount();
    m_items.reserve(static_cast<std::size_t>(count));
    for (int n = 1; n <= count; ++n) {
        Cell c;
        c.image = IconHandle(icon, n);
        c.colourCount = icon.ImageColourCount(n);
        c.width = icon.ImageWidth(n);
        c.height = icon.ImageHeight(n);
        m_items.push_back(std::move(c));
    }
    // A focus left behind by an icon with more images would name a cell that
    // does not exist; keyboard moves start afresh instead.
    if (m_focused > ItemCount()) m_focused = 0;
    Draw();
}

void UserControl1::Clear() {
    m_items.clear();
}

int UserControl1::clientWidth() const {
    return width() - (barShown() ? m_bar->width() : 0);
}

void UserControl1::layoutCells() {
    int top = 0;
    for (Cell& c : m_items) {
        c.top = top;
        top += cellHeight(c);
    }
    m_totalHeight = top;
    const int h = clientHeight();
    const int t = m_totalHeight;
    const bool needBar = h < t;
    if (needBar) {
        // The page is made large enough that the thumb stays usable; the
        // largest position is what stays hidden below.
        m_bar->setMaximum(t - h);
        m_bar->setPageStep((t / (t - h) + 1) * h);
    }
    if (needBar != barShown()) m_bar->setVisible(needBar);
    m_bar->setGeometry(width() - m_bar->sizeHint().width(), 0, m_bar->sizeHint().width(), height());
}

void UserControl1::Draw() {
    ++m_drawCount;
    layoutCells();
    update();
}

bool UserControl1::Selected(int nIndex) const {
    return exists(nIndex) && cell(nIndex).selected;
}

void UserControl1::SetSelected(int nIndex, bool value) {
    if (!exists(nIndex)) return;
    at(nIndex).selected = value;
    m_focused = nIndex;
    Draw();
}

bool UserControl1::EnsureVisible(int nIndex) {
    if (!barShown() || !exists(nIndex)) return false;
    const Cell& c = cell(nIndex);
    const int off = offset();
    const int bottom = off + c.top + c.height + m_textHeight + 6;
    if (bottom > clientHeight())
        m_bar->setValue(m_bar->value() + (bottom - clientHeight()));
    else if (off + c.top < 0)
        m_bar->setValue(c.top);
    return false;
}

void UserControl1::Ex_toolbar(QPaintDevice& pictureBox, int n) const {
    if (!exists(n) || cell(n).image.isNull()) return;
    QPainter painter(&pictureBox);
    const Cell& c = cell(n);
    painter.drawImage(QRect(0, 0, c.width, c.height), c.image);
}

void UserControl1::KeyDown(int keyCode, int shift) {
    const bool ctrl = shift & 2;
    const bool shiftOnly = (shift & 1) && !ctrl;
    int target = 0;
    if (keyCode == kKeyUp) {
        if (m_focused < 2 || !exists(m_focused)) return;
        target = m_focused - 1;
    } else if (keyCode == kKeyDown) {
        if (m_focused >= ItemCount()) return;
        target = m_focused + 1;
    } else if (keyCode == kKeySpace) {
        if (!exists(m_focused)) return;
        at(m_focused).selected = !at(m_focused).selected;
        EnsureVisible(m_focused);
        Draw();
        return;
    } else {
        return;
    }
    if (ctrl) {
        // Focus moves; the selection stays.
    } else if (shiftOnly) {
        if (exists(m_focused)) at(m_focused).selected = true;
        at(target).selected = true;
    } else {
        for (Cell& c : m_items) c.selected = false;
        at(target).selected = true;
    }
    m_focused = target;
    EnsureVisible(m_focused);
    Draw();
}

void UserControl1::HandleMouseDown(int button, int shift, float, float y) {
    if (button != 1) return;
    const int py = static_cast<int>(y);
    const int off = offset();
    int hit = 0;
    for (int i = 1; i <= ItemCount(); ++i) {
        const Cell& c = cell(i);
        const int top = off + c.top;
        if (py >= top && py < top + cellHeight(c)) {
            hit = i;
            break;
        }
    }
    if (hit == 0) return;
    const bool ctrl = shift & 2;
    if (ctrl) {
        at(hit).selected = !at(hit).selected;
    } else if (shift & 1) {
        const int from = exists(m_focused) ? m_focused : 1;
        const int lo = std::min(from, hit), hi = std::max(from, hit);
        for (int i = 1; i <= ItemCount(); ++i) at(i).selected = i >= lo && i <= hi;
    } else {
        for (int i = 1; i <= ItemCount(); ++i) at(i).selected = i == hit;
    }
    m_focused = hit;
    Draw();
}

void UserControl1::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& pal = palette();
    const int cw = clientWidth();
    const int ch = clientHeight();
    painter.fillRect(QRect(0, 0, cw, ch), pal.color(QPalette::Base));
    painter.setFont(font());
    const int off = offset();
    for (int i = 1; i <= ItemCount(); ++i) {
        const Cell& c = cell(i);
        const QRect r(0, off + c.top, cw, cellHeight(c));
        if (r.bottom() + 1 <= 0 || r.top() >= ch) continue;
        if (c.selected) painter.fillRect(r, pal.color(QPalette::Highlight));
        if (!c.image.isNull())
            painter.drawImage(QRect((cw - c.width - 6) / 2 + 2, r.top() + 2, c.width, c.height), c.image);
        const QRect captionRect(2, r.top() + c.height + 4, cw - 4, m_textHeight);
        const QString caption =
            painter.fontMetrics().elidedText(captionFor(c.width, c.height, c.colourCount), Qt::ElideRight, captionRect.width());
        if (c.selected) {
            painter.fillRect(captionRect, pal.color(QPalette::Highlight));
            painter.setPen(pal.color(QPalette::HighlightedText));
        } else {
            painter.setPen(pal.color(QPalette::Text));
        }
        painter.drawText(captionRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, caption);
        if (i == m_focused && m_hasFocus) {
            QPen pen(pal.color(QPalette::Text));
            pen.setStyle(Qt::DotLine);
            painter.setPen(pen);
            painter.drawRect(r.adjusted(1, 0, -1, -1));
        }
    }
}

void UserControl1::resizeEvent(QResizeEvent*) {
    Draw();
}

void UserControl1::focusInEvent(QFocusEvent*) {
    m_hasFocus = true;
    Draw();
}

void UserControl1::focusOutEvent(QFocusEvent*) {
    m_hasFocus = false;
    Draw();
}

void UserControl1::keyPressEvent(QKeyEvent* event) {
    int code = 0;
    switch (event->key()) {
    case Qt::Key_Up: code = kKeyUp; break;
    case Qt::Key_Down: code = kKeyDown; break;
    case Qt::Key_Space: code = kKeySpace; break;
    default: QWidget::keyPressEvent(event); return;
    }
    KeyDown(code, shiftCode(event->modifiers()));
}

void UserControl1::mousePressEvent(QMouseEvent* event) {
    const short button = mouseButtonCode(event->button());
    const short shift = shiftCode(event->modifiers());
    const QPointF p = event->position();
    emit MouseDown(button, shift, float(p.x()), float(p.y()));
    if (event->buttons() == event->button()) HandleMouseDown(button, shift, float(p.x()), float(p.y()));
}

} // namespace tarrowin
