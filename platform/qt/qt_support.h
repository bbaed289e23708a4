// Helpers of the Qt front end that every part of it shares: the window fonts, dialog units,
// UTF-8 text and the icons that the front end draws itself. GUI thread only (Qt's fonts and
// pixmaps belong to the GUI thread).
#pragma once

#include <QFont>
#include <QIcon>
#include <QRect>
#include <QString>
#include <string>

#include "platform/window_def.h"

namespace ormile::platform::qt {

// Makes the window fonts available: Tahoma, Tahoma Bold and MS Sans Serif from the metric-
// compatible files of fonts-wine where fontconfig does not list them; Verdana falls back to
// DejaVu Sans. Sets the application font to Tahoma 8. Idempotent.
void registerWindowFonts();

// The Qt font of a definition font; an empty family or zero points take `window`'s.
QFont fontOf(const Font& font, const Font& window = {"Tahoma", 8, false});

// Dialog units of a font: x is the average character width / 4, y the character height / 8.
// The base values are whole pixels, measured as the system measures them: the average width
// of the 52 letters rounded, and the line height.
struct DialogBase {
  int x = 6;   // pixels per 4 horizontal dialog units
  int y = 13;  // pixels per 8 vertical dialog units

  int px(int du) const { return (du * x + (du >= 0 ? 2 : -2)) / 4; }
  int py(int du) const { return (du * y + (du >= 0 ? 4 : -4)) / 8; }
  int toDuX(int pixels) const { return (pixels * 4 + (pixels >= 0 ? x / 2 : -x / 2)) / x; }
  int toDuY(int pixels) const { return (pixels * 8 + (pixels >= 0 ? y / 2 : -y / 2)) / y; }
  QRect rect(int x0, int y0, int w, int h) const { return QRect(px(x0), py(y0), px(w), py(h)); }
};
DialogBase dialogBaseOf(const QFont& font);

inline QString qs(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}
inline std::string u8(const QString& s) {
  return s.toUtf8().toStdString();
}
// A caption without its mnemonic markers ("&Insert" -> "Insert", "&&" -> "&").
QString withoutMnemonic(const QString& text);

// The icons of the tool bar, the frame and the trees, drawn with QPainter; `name` is the
// icon's name without extension ("VCRFIRST", "INSERT", "TREE"). An unknown name gives a
// plain framed square, so a missing picture shows as a button rather than nothing.
QIcon drawIcon(const std::string& name);

}  // namespace ormile::platform::qt
