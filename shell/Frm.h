#pragma once

// The welcome screen: a shaped 500 x 450 picture with five task buttons, four
// round buttons and a title line that names the task under the mouse.

#include "shell/PictureArea.h"
#include "widgets/SkinnedWindow.h"

#include <QLabel>
#include <array>
#include <cstdint>

namespace tarrowin {

class Frm : public SkinnedWindow {
    Q_OBJECT
public:
    static const std::array<const char*, 5> kTaskTitles;
    static constexpr const char* kWelcome = "Welcome to Tarrowin";

    explicit Frm(QWidget* parent = nullptr);

    // Shapes the window to its picture (the start-up's second step).
    void shape();

    PictureArea* ButtonMove(int i) const { return m_tasks.at(static_cast<std::size_t>(i)); }
    PictureArea* RbButton(int i) const { return m_rounds.at(static_cast<std::size_t>(i)); }
    QLabel* Options1(int i) const { return m_options.at(static_cast<std::size_t>(i)); }
    std::int16_t HoverTask() const { return m_hoverTask; }
    std::int16_t HoverRound() const { return m_hoverRound; }

    // The mouse handling, as the areas' events drive it.
    void taskMove(int i);
    void taskDown();
    void roundMove(int i);
    void backgroundMove();
    void clearRoundHover();

signals:
    void taskReleased(int i);
    void roundPressed(int i);
    void roundReleased(int i);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    std::array<PictureArea*, 5> m_tasks{};
    std::array<PictureArea*, 4> m_rounds{};
    std::array<QPixmap, 5> m_taskHover;
    std::array<QPixmap, 4> m_roundHover;
    std::array<QLabel*, 4> m_options{};
    std::int16_t m_hoverTask = 0;
    std::int16_t m_hoverRound = 0;
};

} // namespace tarrowin
