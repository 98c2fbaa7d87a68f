#include "visualization.h"

#include <QString>

namespace visual {

namespace {
QString nameOf(ViewMode viewMode) {
    switch (viewMode) {
    case ViewMode::Waveform:
        return QStringLiteral("Waveform");
    case ViewMode::BarsEveryIndex:
        return QStringLiteral("Spectrum, bars 1 pixel wide");
    case ViewMode::BarsEverySecond:
        return QStringLiteral("Spectrum, bars 2 pixels wide");
    case ViewMode::BarsEveryThird:
        return QStringLiteral("Spectrum, bars 2 pixels wide, 1 apart");
    case ViewMode::BarsEveryFourth:
        return QStringLiteral("Spectrum, bars 2 pixels wide, 2 apart");
    case ViewMode::PeaksOnly:
        return QStringLiteral("Spectrum peaks only");
    case ViewMode::NotSet:
        break;
    }
    return {};
}
} // namespace

void describeViewMode(ViewMode viewMode, platform::PictureBox& picWave) {
    picWave.setAccessibleDescription(nameOf(viewMode));
}

} // namespace visual
