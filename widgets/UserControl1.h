#pragma once

// The icon grid: the images of one icon as a column of cells, each image at its
// own size, centred, with a caption such as "32 x 32, 256 colours" under it. The
// user selects images with the mouse (Ctrl toggles, Shift selects a range from
// the focused cell) and with the arrow keys and Space. A vertical scroll bar
// appears when the column is taller than the control.

#include "icon/cFileIcon.h"

#include <QImage>
#include <QScrollBar>
#include <QWidget>

#include <vector>

class QPaintDevice;

namespace tarrowin {

class UserControl1 : public QWidget {
    Q_OBJECT
public:
    // Key codes the keyboard handling knows.
    static constexpr int kKeyUp = 38;
    static constexpr int kKeyDown = 40;
    static constexpr int kKeySpace = 32;
    static constexpr int kLineStep = 8;

    struct Cell {
        QImage image; // the image composed with its mask; null when it cannot be decoded
        int width = 0;
        int height = 0;
        int top = 0;
        double colourCount = 0;
        bool selected = false;
    };

    explicit UserControl1(QWidget* parent = nullptr);
    ~UserControl1() override;

    void Init(const cFileIcon& icon);
    void Clear();
    void Draw();
    int ItemCount() const { return static_cast<int>(m_items.size()); }
    // Cells are numbered from 1; a number outside 1..ItemCount reads false and writes nothing.
    bool Selected(int nIndex) const;
    void SetSelected(int nIndex, bool value);
    bool EnsureVisible(int nIndex);
    // Paints cell n's image at the device's (0, 0), at its own size.
    void Ex_toolbar(QPaintDevice& pictureBox, int n) const;

    // The input handling, as the control's own events drive it. shift: 1 Shift, 2 Ctrl.
    void KeyDown(int keyCode, int shift);
    void HandleMouseDown(int button, int shift, float x, float y);

    // What the layout made of the cells, for the screens and for checking.
    const Cell& cell(int nIndex) const { return m_items.at(static_cast<std::size_t>(nIndex - 1)); }
    int textHeight() const { return m_textHeight; }
    int totalHeight() const { return m_totalHeight; }
    int focusedItem() const { return m_focused; }
    int clientWidth() const;
    int clientHeight() const { return height(); }
    QScrollBar* scrollBar() const { return m_bar; }
    bool barShown() const { return !m_bar->isHidden(); }
    // Number of times the control was laid out and painted.
    int drawCount() const { return m_drawCount; }
    // The caption under an image of this size and colour count.
    static QString captionFor(int width, int height, double colourCount);

signals:
    void MouseDown(short button, short shift, float x, float y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void layoutCells();
    int cellHeight(const Cell& c) const { return m_textHeight + c.height + 6; }
    int offset() const { return barShown() ? -m_bar->value() : 0; }
    bool exists(int nIndex) const { return nIndex >= 1 && nIndex <= ItemCount(); }
    Cell& at(int nIndex) { return m_items[static_cast<std::size_t>(nIndex - 1)]; }

    std::vector<Cell> m_items;
    QScrollBar* m_bar = nullptr;
    int m_textHeight = 0;
    int m_totalHeight = 0;
    int m_focused = 0;
    bool m_hasFocus = false;
    int m_drawCount = 0;
};

} // namespace tarrowin
