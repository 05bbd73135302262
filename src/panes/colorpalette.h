#pragma once

// The 32 named colours the colour picker's popup offers, and the conversions between the
// picker's colour values and QColor. A colour value is laid out 0x00BBGGRR: bits 0-7 red,
// 8-15 green, 16-23 blue; 0xFF000000 stands for transparent (no colour of its own).

#include <QColor>
#include <QString>
#include <QtGlobal>

namespace colorpalette {

inline constexpr quint32 kTransparent = 0xFF000000u;
inline constexpr int kCount = 32;

struct Entry
{
    const char *name; // UTF-8, shown as the cell's tooltip
    quint32 value;    // 0x00BBGGRR
};

// The entry at index 0 to kCount - 1, in the order the popup shows them.
const Entry &entry(int index);
QString name(int index);

// The index of the entry with exactly this value, -1 when none has it.
int indexOf(quint32 value);

constexpr quint32 fromRgb(int red, int green, int blue)
{
    return quint32(red & 0xFF) | quint32(green & 0xFF) << 8 | quint32(blue & 0xFF) << 16;
}

// The opaque colour of a value; the transparent value has no colour and gives an invalid QColor.
QColor toQColor(quint32 value);
// The value of a colour's red, green and blue; its alpha is dropped.
quint32 fromQColor(const QColor &color);

} // namespace colorpalette
