#pragma once

// The push button of every window: one of four face pictures chosen by state
// (up, over, down, disabled) with the caption drawn centred on top. The face
// follows the mouse by polling its position every 50 ms, so leaving the button
// is noticed even when no leave event arrives (a grab, a window that vanished).

#include "widgets/PropertyBag.h"

#include <QFont>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace tarrowin {

class ucCustomButton : public QWidget {
    Q_OBJECT
public:
    // The caption of a disabled button, RGB(196, 195, 191).
    static constexpr QRgb kDisabledCaption = 0xFFC4C3BF;
    static constexpr int kPollMs = 50;

    explicit ucCustomButton(QWidget* parent = nullptr);

    // Properties. Setting a picture by reference copies the implicitly shared pixmap.
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);
    const QString& Caption() const { return m_caption; }
    void SetCaption(const QString& value);
    const QFont& Font() const { return m_font; }
    double FontSize() const { return m_fontPoints; }
    // The caption font: family, size in points (drawn at its 96-dpi pixel height), bold, italic.
    void SetFont(const QString& family, double points, bool bold = false, bool italic = false);
    QColor BackColor() const { return m_backColor; }
    void SetBackColor(const QColor& value);
    QColor ForeColor() const { return m_foreColor; }
    void SetForeColor(const QColor& value);
    int MousePointer() const { return m_mousePointer; }
    void SetMousePointer(int value);
    const QPixmap& MouseIcon() const { return m_mouseIcon; }
    void SetMouseIcon(const QPixmap& value);
    const QPixmap& PictureUp() const { return m_pictureUp; }
    void SetPictureUp(const QPixmap& value);
    const QPixmap& PictureOver() const { return m_pictureOver; }
    void SetPictureOver(const QPixmap& value);
    const QPixmap& PictureDown() const { return m_pictureDown; }
    void SetPictureDown(const QPixmap& value);
    const QPixmap& PictureDisabled() const { return m_pictureDisabled; }
    void SetPictureDisabled(const QPixmap& value);

    void Refresh() {}

    // The property store, in the order the control reads and writes it.
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    // What is shown now: the face, and the top row of the caption rectangle.
    const QPixmap& face() const { return m_face; }
    int captionTop() const;
    bool pressed() const { return m_pressed; }

    // One poll of the mouse; the timer calls it every 50 ms.
    void tick();

signals:
    void Click();
    void MouseDown(short button, short shift, float x, float y);
    void MouseMove(short button, short shift, float x, float y);
    void MouseUp(short button, short shift, float x, float y);
    // A key of the property store changed ("PICN", "Enabled", ...).
    void PropertyChanged(const QString& key);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showFace(const QPixmap& picture);
    void applyPointer();
    bool mouseIsOverMe() const;

    bool m_enabled = true;
    bool m_pressed = false;
    QString m_caption = QStringLiteral("Caption");
    QFont m_font;
    double m_fontPoints = 8.25;
    QColor m_backColor;
    QColor m_foreColor;
    int m_mousePointer = 0;
    QPixmap m_mouseIcon;
    QPixmap m_pictureUp, m_pictureOver, m_pictureDown, m_pictureDisabled;
    QPixmap m_face;
    QTimer m_timer;
};

// Mouse arguments as the events carry them: button 1 left, 2 right, 4 middle;
// shift 1 Shift, 2 Ctrl, 4 Alt.
short mouseButtonCode(Qt::MouseButtons buttons);
short shiftCode(Qt::KeyboardModifiers modifiers);

} // namespace tarrowin
