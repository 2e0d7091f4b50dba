#pragma once

#include <QColor>
#include <QtGlobal>

namespace ostrivo {

// A colour as templates hold it: an integer with red in the low byte (255 red, 65280 green,
// 16711680 blue), so not a QRgb, whose red is in the third byte. Negative values (and their 32-bit
// unsigned twins) with the high bit set are the old system-colour references
// 0x80000000 | index, shown in the classic desktop scheme (window text and button text black,
// window background white ...). The integer comes in as it stands; it goes to the screen or the
// page only through toQColor().
class TemplateColor {
public:
    constexpr TemplateColor() = default;
    // The template's integer, unchanged (the trace and the file keep it as it was read).
    constexpr TemplateColor(qint64 value) : value_(value) {}

    // The integer of a colour given by its components.
    static constexpr TemplateColor rgb(int red, int green, int blue)
    {
        return TemplateColor(qint64(red & 0xff) | qint64(green & 0xff) << 8 | qint64(blue & 0xff) << 16);
    }

    constexpr qint64 value() const { return value_; }

    // The colour to paint with; anything that names no colour is black.
    QColor toQColor() const;

    friend constexpr bool operator==(TemplateColor, TemplateColor) = default;

private:
    qint64 value_ = 0;
};

}  // namespace ostrivo
