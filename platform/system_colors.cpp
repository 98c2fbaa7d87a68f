#include "system_colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace platform {

namespace {

// The classic Windows desktop: no palette role stands for it.
const QColor kDesktop(0x00, 0x80, 0x80);

QColor systemColor(uint32_t index) {
    const QPalette palette = QGuiApplication::palette();
    switch (index) {
    case 1:
        return kDesktop;
    case 2:  // active caption
    case 13: // highlight
        return palette.color(QPalette::Highlight);
    case 5: // window
        return palette.color(QPalette::Base);
    case 7: // menu text
    case 8: // window text
        return palette.color(QPalette::Text);
    case 9:  // caption text
    case 14: // highlight text
        return palette.color(QPalette::HighlightedText);
    case 4:  // menu
    case 15: // button face
        return palette.color(QPalette::Button);
    case 16: // button shadow
        return palette.color(QPalette::Dark);
    case 17: // grey text
        return palette.color(QPalette::Disabled, QPalette::Text);
    case 18: // button text
        return palette.color(QPalette::ButtonText);
    case 20: // 3D highlight
        return palette.color(QPalette::Light);
    case 21: // 3D dark shadow
        return palette.color(QPalette::Shadow);
    case 22: // 3D light
        return palette.color(QPalette::Midlight);
    case 23: // tooltip text
        return palette.color(QPalette::ToolTipText);
    case 24: // tooltip background
        return palette.color(QPalette::ToolTipBase);
    default:
        return palette.color(QPalette::Window);
    }
}

} // namespace

QColor colorFromColorref(uint32_t colorref) {
    if (colorref & kSystemColorFlag)
        return systemColor(colorref & 0xFFu);
    return QColor(colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF);
}

uint32_t colorrefFromColor(const QColor& color) {
    return RGB(color.red(), color.green(), color.blue());
}

} // namespace platform
