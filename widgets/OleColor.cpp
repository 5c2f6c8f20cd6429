#include "widgets/OleColor.h"

#include <QGuiApplication>
#include <QPalette>

namespace tarrowin {

QColor oleColor(std::uint32_t value) {
    if (value & 0x80000000u) {
        const QPalette palette = QGuiApplication::palette();
        switch (value & 0xFFu) {
        case 0x05: return palette.color(QPalette::Base);
        case 0x08: return palette.color(QPalette::Text);
        case 0x0D: return palette.color(QPalette::Highlight);
        case 0x0E: return palette.color(QPalette::HighlightedText);
        case 0x12: return palette.color(QPalette::ButtonText);
        case 0x0F:
        default: return palette.color(QPalette::Button);
        }
    }
    return QColor(static_cast<int>(value & 0xFFu), static_cast<int>((value >> 8) & 0xFFu),
                  static_cast<int>((value >> 16) & 0xFFu));
}

std::uint32_t toOleColor(const QColor& colour) {
    return static_cast<std::uint32_t>(colour.red()) | (static_cast<std::uint32_t>(colour.green()) << 8) |
           (static_cast<std::uint32_t>(colour.blue()) << 16);
}

} // namespace tarrowin
