#include "core/TemplateColor.h"

#include <array>
#include <cstdint>

namespace ostrivo {

namespace {

// The classic desktop scheme, by system colour index (QRgb: these are Qt's own values).
constexpr std::array<QRgb, 25> systemColors = {
    0xc0c0c0,  //  0 scroll bar
    0x008080,  //  1 desktop
    0x000080,  //  2 active caption
    0x808080,  //  3 inactive caption
    0xc0c0c0,  //  4 menu background
    0xffffff,  //  5 window background
    0x000000,  //  6 window frame
    0x000000,  //  7 menu text
    0x000000,  //  8 window text
    0xffffff,  //  9 caption text
    0xc0c0c0,  // 10 active border
    0xc0c0c0,  // 11 inactive border
    0x808080,  // 12 application workspace
    0x000080,  // 13 highlight
    0xffffff,  // 14 highlighted text
    0xc0c0c0,  // 15 button face
    0x808080,  // 16 button shadow
    0x808080,  // 17 grey text
    0x000000,  // 18 button text
    0xc0c0c0,  // 19 inactive caption text
    0xffffff,  // 20 button highlight
    0x000000,  // 21 3-D dark shadow
    0xc0c0c0,  // 22 3-D light
    0x000000,  // 23 tooltip text
    0xffffe1,  // 24 tooltip background
};

}  // namespace

QColor TemplateColor::toQColor() const
{
    // The templates' integers are 32-bit; a negative one is the same bits as its unsigned twin.
    qint64 color = value_;
    if (color < 0 && color >= INT32_MIN)
        color += qint64(1) << 32;
    if (color < 0 || color > qint64(UINT32_MAX))
        return Qt::black;
    const auto bits = static_cast<std::uint32_t>(color);
    if (bits & 0x80000000u) {
        const std::uint32_t index = bits & 0x7fffffffu;
        if (index < systemColors.size())
            return QColor::fromRgb(systemColors[index]);
        return Qt::black;
    }
    // A high byte of 1 or 2 was a palette reference whose low three bytes are still the colour.
    return QColor(int(bits & 0xff), int((bits >> 8) & 0xff), int((bits >> 16) & 0xff));
}

}  // namespace ostrivo
