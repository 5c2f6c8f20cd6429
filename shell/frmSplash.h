#pragma once

// The splash: a 450 x 300 picture with "Loading..." while the program starts, and
// the same window as the about window with its continue button.

#include "widgets/ucCustomButton.h"

#include <QLabel>
#include <QWidget>

namespace tarrowin {

class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* owner = nullptr);

    QLabel* Loading_cap() const { return m_loading; }
    ucCustomButton* continueButton() const { return m_continue; }
    // The about look: no loading text, continue button shown.
    void showAsAbout();

signals:
    void continueClicked();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
    QLabel* m_loading;
    ucCustomButton* m_continue;
};

} // namespace tarrowin
