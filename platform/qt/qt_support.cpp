#include "platform/qt/qt_support.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRawFont>
#include <cmath>
#include <filesystem>

namespace ormile::platform::qt {

void registerWindowFonts() {
  static bool done = false;
  if (done) return;
  done = true;
  const QStringList families = QFontDatabase::families();
  struct File {
    const char* family;
    const char* path;
  };
  const File files[] = {{"Tahoma", "/usr/share/wine/fonts/tahoma.ttf"},
                        {"Tahoma", "/usr/share/wine/fonts/tahomabd.ttf"},
                        {"MS Sans Serif", "/usr/share/wine/fonts/ms_sans_serif.ttf"}};
  for (const File& f : files) {
    if (families.contains(QString::fromLatin1(f.family), Qt::CaseInsensitive) &&
        !std::filesystem::exists(f.path))
      continue;
    if (std::filesystem::exists(f.path))
      QFontDatabase::addApplicationFont(QString::fromLatin1(f.path));
  }
  if (!QFontDatabase::families().contains(QStringLiteral("Verdana"), Qt::CaseInsensitive))
    QFont::insertSubstitution(QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"));
  QApplication::setFont(fontOf(Font{"Tahoma", 8, false}));
}

QFont fontOf(const Font& font, const Font& window) {
  std::string family = font.family.empty() ? window.family : font.family;
  int points = font.points > 0 ? font.points : (window.points > 0 ? window.points : 8);
  QFont f(qs(family.empty() ? std::string("Tahoma") : family), points);
  f.setBold(font.bold);
  // Vertical hinting keeps lines crisp and the letters at their designed advance widths,
  // which the layouts in dialog units were made for.
  f.setHintingPreference(QFont::PreferVerticalHinting);
  return f;
}

DialogBase dialogBaseOf(const QFont& font) {
  QFontMetrics fm(font);
  const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  DialogBase base;
  base.x = (fm.horizontalAdvance(letters) / 26 + 1) / 2;
  base.y = fm.height();
  // The system's character height comes from the font's OS/2 "Windows" ascent and descent,
  // which Qt does not use when the font asks for its typographic metrics (Tahoma does); the
  // vertical units follow the system's measure, or the layouts come out too short.
  QRawFont raw = QRawFont::fromFont(font);
  QByteArray os2 = raw.fontTable("OS/2"), head = raw.fontTable("head");
  if (raw.isValid() && os2.size() >= 78 && head.size() >= 20) {
    auto be16 = [](const QByteArray& t, int at) {
      return int((uchar(t[at]) << 8) | uchar(t[at + 1]));
    };
    int unitsPerEm = be16(head, 18);
    double ppem = raw.pixelSize();
    if (unitsPerEm > 0 && ppem > 0) {
      int ascent = int(std::lround(be16(os2, 74) * ppem / unitsPerEm));
      int descent = int(std::lround(be16(os2, 76) * ppem / unitsPerEm));
      if (ascent + descent > 0) base.y = ascent + descent;
    }
  }
  if (base.x < 1) base.x = 1;
  if (base.y < 1) base.y = 1;
  return base;
}

QString withoutMnemonic(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'&') {
      // "&&" is an ampersand; so is one that marks no letter ("Header & Text").
      bool doubled = i + 1 < text.size() && text[i + 1] == u'&';
      bool marksNothing = i + 1 >= text.size() || text[i + 1].isSpace();
      if (doubled || marksNothing) out += u'&';
      if (doubled) ++i;
      continue;
    }
    out += text[i];
  }
  return out;
}

namespace {

// Vertical arrows of the browse buttons: `count` triangles pointing up or down, with a bar at
// the far end for first and last.
void arrows(QPainter& p, bool up, int count, bool bar) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 128));
  const int w = 10, h = 5, x0 = 3;
  int total = count * h + (count - 1) + (bar ? 3 : 0);
  int y = (16 - total) / 2;
  auto triangle = [&](int top) {
    QPolygon poly;
    if (up)
      poly << QPoint(x0 + w / 2, top) << QPoint(x0 + w, top + h) << QPoint(x0, top + h);
    else
      poly << QPoint(x0, top) << QPoint(x0 + w, top) << QPoint(x0 + w / 2, top + h);
    p.drawPolygon(poly);
  };
  if (bar && up) {
    p.drawRect(x0, y, w + 1, 2);
    y += 3;
  }
  for (int i = 0; i < count; ++i) {
    triangle(y);
    y += h + 1;
  }
  if (bar && !up) p.drawRect(x0, y, w + 1, 2);
}

// A small tree: a root box with two children; `sign` draws + or - in the root's box, `node`
// draws only one node with its box.
void tree(QPainter& p, int sign, bool node) {
  p.setPen(QPen(QColor(64, 64, 64), 1));
  p.setBrush(Qt::white);
  if (!node) {
    p.drawLine(4, 7, 4, 13);
    p.drawLine(4, 10, 9, 10);
    p.drawLine(4, 13, 9, 13);
    p.setBrush(QColor(0, 128, 0));
    p.drawRect(9, 9, 4, 2);
    p.drawRect(9, 12, 4, 2);
  }
  p.setBrush(Qt::white);
  QRect box = node ? QRect(3, 3, 10, 10) : QRect(0, 1, 8, 8);
  p.drawRect(box);
  p.setPen(QPen(Qt::black, 1));
  QPoint c = box.center();
  int arm = node ? 3 : 2;
  p.drawLine(c.x() - arm, c.y(), c.x() + arm, c.y());
  if (sign > 0) p.drawLine(c.x(), c.y() - arm, c.x(), c.y() + arm);
}

}  // namespace

QIcon drawIcon(const std::string& name) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, false);
  if (name == "VCRFIRST") {
    arrows(p, true, 2, true);
  } else if (name == "VCRPRIOR") {
    arrows(p, true, 2, false);
  } else if (name == "VCRUP") {
    arrows(p, true, 1, false);
  } else if (name == "VCRDOWN") {
    arrows(p, false, 1, false);
  } else if (name == "VCRNEXT") {
    arrows(p, false, 2, false);
  } else if (name == "VCRLAST") {
    arrows(p, false, 2, true);
  } else if (name == "FIND") {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(0, 0, 0), 2));
    p.setBrush(QColor(200, 230, 255));
    p.drawEllipse(QRectF(2, 2, 8, 8));
    p.drawLine(QPointF(9, 9), QPointF(14, 14));
  } else if (name == "MARK") {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(0, 128, 0), 2.5));
    p.drawPolyline(QPolygonF() << QPointF(2, 8) << QPointF(6, 12) << QPointF(14, 3));
  } else if (name == "INSERT") {
    p.setPen(QColor(64, 64, 64));
    p.setBrush(Qt::white);
    p.drawRect(2, 1, 9, 12);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 128, 0));
    p.drawRect(10, 6, 2, 8);
    p.drawRect(7, 9, 8, 2);
  } else if (name == "EDIT") {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QColor(64, 64, 64));
    p.setBrush(Qt::white);
    p.drawRect(1, 2, 9, 12);
    p.setPen(QPen(QColor(200, 120, 0), 3));
    p.drawLine(QPointF(13, 2), QPointF(6, 10));
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(QPointF(6, 10), QPointF(4.5, 12.5));
  } else if (name == "DELETE") {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(200, 0, 0), 2.5));
    p.drawLine(QPointF(3, 3), QPointF(13, 13));
    p.drawLine(QPointF(13, 3), QPointF(3, 13));
  } else if (name == "DITTO") {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(QPointF(5, 3), QPointF(4, 9));
    p.drawLine(QPointF(11, 3), QPointF(10, 9));
    p.setPen(QPen(QColor(128, 128, 128), 1));
    p.drawLine(QPointF(2, 13), QPointF(14, 13));
  } else if (name == "HELP") {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 160));
    p.drawEllipse(QRectF(1, 1, 14, 14));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(1, 1, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
  } else if (name == "REFRESH2") {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(0, 100, 0), 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(2.5, 2.5, 11, 11), 90 * 16, 270 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 100, 0));
    p.drawPolygon(QPolygonF() << QPointF(8, 0) << QPointF(12, 3) << QPointF(8, 6));
  } else if (name == "EXPTREE2") {
    tree(p, +1, false);
  } else if (name == "CONTREE2") {
    tree(p, -1, false);
  } else if (name == "EXPNODE2") {
    tree(p, +1, true);
  } else if (name == "CONNODE2") {
    tree(p, -1, true);
  } else if (name == "TREE") {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(90, 60, 20), 2));
    p.drawLine(8, 9, 8, 15);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 140, 0));
    p.drawEllipse(QRectF(2, 1, 12, 10));
  } else {
    p.setPen(QColor(96, 96, 96));
    p.drawRect(2, 2, 11, 11);
  }
  p.end();
  QIcon icon(pm);
  return icon;
}

}  // namespace ormile::platform::qt
