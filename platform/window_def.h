// Window definitions as data: a window's caption, placement, font and controls, each with its
// label ("?Browse:1"), kind, text, position and size in dialog units, font and flags. Window
// procedures build them; a front end turns them into widgets. Immutable once opened;
// thread-safe to read.
//
// Dialog units convert to pixels from the window font's metrics: x = average character
// width / 4, y = character height / 8. A width or height of kNatural asks for the control's
// natural size (a prompt as wide as its text).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ormile::platform {

constexpr int kNatural = -1;
constexpr int kDefaultPosition = -1;

enum class ControlKind {
  Button,   // text = caption ("&Insert"); accepted when pressed
  Prompt,   // a label; text = caption
  Entry,    // an edit field; `picture` formats it; accepted with its new text when left
  Display,  // read-only text; `picture` formats it
  List,     // rows of cells under `columns`; see Screen::showList
  Sheet,    // a tab control; its Tab controls follow it
  Tab,      // one page of the last Sheet before it; text = tab caption
  Panel,    // a raised or sunken rectangle (decoration)
  Tree,     // a tree list; see Screen::showTree
};

enum class Align { Left, Right, Center };

struct Font {
  std::string family;  // "Tahoma", "MS Sans Serif", "Verdana"; empty: the window's
  int points = 0;      // 0: the window's
  bool bold = false;
};

struct Column {
  std::string title;
  int width = 80;  // dialog units
  Align align = Align::Left;
  int indent = 2;  // dialog units
  Align titleAlign = Align::Left;
  std::string picture;  // "@n-14", "@s60", "@d4"
};

// An item of a control's pop-up menu (right mouse button). Chosen, it comes back as an
// Accepted event of the control with `text` set to the item's name. An empty text is a
// separator.
struct PopupItem {
  std::string text;  // "Explode &All\tShft Dn": a tab puts the key's name at the right edge
  std::string name;  // "ExpandAll"
};

struct ControlDef {
  int id = 0;  // control number: 1, 2, ... in definition order unless the window says otherwise
  std::string label;  // "?Browse:1", "?STD:PartName"
  ControlKind kind = ControlKind::Button;
  std::string text;                                       // caption; UTF-8
  std::string picture;                                    // for entries, displays
  int x = 0, y = 0, width = kNatural, height = kNatural;  // dialog units
  int parent = 0;  // the Tab control that holds it; 0: the window
  Font font;
  Align align = Align::Left;
  int indent = 0;
  bool defaultButton = false;
  bool required = false;
  bool skip = false;  // skipped by the Tab key
  bool transparent = false;
  bool hidden = false;
  bool disabled = false;
  bool rightBorder = true;      // list columns
  bool multiline = false;       // a display shown as a text box of several lines
  bool vscroll = false;         // with a vertical scroll bar
  std::vector<Column> columns;  // lists
  std::vector<PopupItem> popup;
};

// A control of `kind` with its label, text, place and size (kNatural: its natural size);
// the other properties at their defaults.
ControlDef control(std::string label, ControlKind kind, std::string text, int x, int y,
                   int width = kNatural, int height = kNatural);

struct WindowDef {
  std::string procedure;  // the procedure's name: settings section, help id
  std::string caption;
  int x = kDefaultPosition, y = kDefaultPosition, width = 0, height = 0;  // dialog units
  Font font{"Tahoma", 8, false};
  bool resizable = true;
  bool systemMenu = true;
  bool maximizeBox = false;
  bool frameless = false;  // no border, no caption (the splash)
  bool centered = false;
  bool grey = true;  // grey background (red, green, blue 192... the system's face colour)
  bool focusHighlight = true;
  std::vector<ControlDef> controls;

  // The control with this label (case-insensitive), or null.
  const ControlDef* control(std::string_view label) const;
  // Its id, or 0.
  int controlId(std::string_view label) const;
  // Adds a control numbered after the last one; returns its id.
  int add(ControlDef control);
};

}  // namespace ormile::platform
