#include "panes/colorpalette.h"

#include <array>

namespace colorpalette {

namespace {

// Table order is display order: 7 cells to a row, the last row holding 4.
constexpr std::array<Entry, kCount> kEntries{{
    //  name      value                      red green blue
    {"黑色", fromRgb(0, 0, 0)},       //   0     0    0  black
    {"藏青", fromRgb(0, 0, 128)},     //   0     0  128  navy
    {"墨绿", fromRgb(0, 128, 0)},     //   0   128    0  dark green
    {"深青", fromRgb(0, 128, 128)},   //   0   128  128  dark cyan
    {"红褐", fromRgb(128, 0, 0)},     // 128     0    0  red-brown
    {"紫红", fromRgb(128, 0, 128)},   // 128     0  128  purple-red
    {"褐绿", fromRgb(128, 128, 0)},   // 128   128    0  olive
    {"浅灰", fromRgb(192, 192, 192)}, // 192   192  192  light grey
    {"灰色", fromRgb(128, 128, 128)}, // 128   128  128  grey
    {"蓝色", fromRgb(0, 0, 255)},     //   0     0  255  blue
    {"绿色", fromRgb(0, 255, 0)},     //   0   255    0  green
    {"艳青", fromRgb(0, 255, 255)},   //   0   255  255  bright cyan
    {"红色", fromRgb(255, 0, 0)},     // 255     0    0  red
    {"品红", fromRgb(255, 0, 255)},   // 255     0  255  magenta
    {"黄色", fromRgb(255, 255, 0)},   // 255   255    0  yellow
    {"白色", fromRgb(255, 255, 255)}, // 255   255  255  white
    {"蓝灰", fromRgb(128, 128, 255)}, // 128   128  255  blue-grey
    {"藏蓝", fromRgb(88, 48, 224)},   //  88    48  224  deep blue
    {"嫩绿", fromRgb(128, 224, 0)},   // 128   224    0  light green
    {"青绿", fromRgb(0, 224, 128)},   //   0   224  128  cyan-green
    {"黄褐", fromRgb(192, 96, 0)},    // 192    96    0  yellow-brown
    {"粉红", fromRgb(255, 168, 255)}, // 255   168  255  pink
    {"嫩黄", fromRgb(216, 216, 0)},   // 216   216    0  light yellow
    {"银白", fromRgb(236, 236, 236)}, // 236   236  236  silver white
    {"紫色", fromRgb(144, 0, 255)},   // 144     0  255  violet
    {"天蓝", fromRgb(0, 136, 255)},   //   0   136  255  sky blue
    {"灰绿", fromRgb(128, 160, 128)}, // 128   160  128  grey-green
    {"青蓝", fromRgb(0, 96, 192)},    //   0    96  192  cyan-blue
    {"橙黄", fromRgb(255, 128, 0)},   // 255   128    0  orange
    {"桃红", fromRgb(255, 80, 128)},  // 255    80  128  peach red
    {"芙红", fromRgb(255, 128, 192)}, // 255   128  192  hibiscus pink
    {"深灰", fromRgb(96, 96, 96)},    //  96    96   96  dark grey
}};

} // namespace

const Entry &entry(int index)
{
    return kEntries.at(std::size_t(index));
}

QString name(int index)
{
    return QString::fromUtf8(entry(index).name);
}

int indexOf(quint32 value)
{
    for (int i = 0; i < kCount; ++i) {
        if (kEntries[std::size_t(i)].value == value)
            return i;
    }
    return -1;
}

QColor toQColor(quint32 value)
{
    if (value == kTransparent)
        return {};
    return QColor(int(value & 0xFF), int(value >> 8 & 0xFF), int(value >> 16 & 0xFF));
}

quint32 fromQColor(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return fromRgb(rgb.red(), rgb.green(), rgb.blue());
}

} // namespace colorpalette
