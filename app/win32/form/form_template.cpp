#include "app/win32/form/form_template.h"

#include <commctrl.h>

#include <cwchar>

#include "ui/form_table.h"

namespace {

// The predefined classes a template names by atom.
constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kStaticAtom = 0x0082;
constexpr WORD kListBoxAtom = 0x0083;

class TemplateWriter {
 public:
  void Word(WORD w) { words.push_back(w); }
  void Dword(DWORD d) {
    Word(LOWORD(d));
    Word(HIWORD(d));
  }
  void Text(const wchar_t* s) {
    for (; s != nullptr && *s != L'\0'; ++s) Word(static_cast<WORD>(*s));
    Word(0);
  }
  void Atom(WORD atom) {
    Word(0xFFFF);
    Word(atom);
  }
  // Each item starts on a DWORD boundary of the template.
  void AlignDword() {
    if (words.size() % 2 != 0) Word(0);
  }
  std::vector<WORD> words;
};

struct ItemClass {
  WORD atom;              // or 0 for a class named by `name`
  const wchar_t* name;
  DWORD style;
  DWORD exStyle;
};

ItemClass ClassOf(const FormControl& c, const wchar_t* chartClass) {
  switch (c.kind) {
    case ControlKind::Edit:
      return {kEditAtom, nullptr, ES_LEFT | ES_READONLY | ES_AUTOHSCROLL | WS_BORDER, 0};
    case ControlKind::CheckBox:
      // Not toggled by a click: the form alone sets the box. It tells of
      // its focus, so that the pane can bring it into view.
      return {kButtonAtom, nullptr, BS_CHECKBOX | BS_NOTIFY | ((c.style & kTextOnLeft) != 0 ? BS_LEFTTEXT : 0u), 0};
    case ControlKind::ListView:
      // Rows are handed to the control as it draws them, from the form's
      // own copy, so that thousands of rows cost nothing to show.
      return {0, WC_LISTVIEWW,
              LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_BORDER |
                  ((c.style & kSingleSelection) != 0 ? LVS_SINGLESEL : 0u),
              0};
    case ControlKind::ListBox:
      // The scroll bar shows even when every line fits.
      return {kListBoxAtom, nullptr,
              LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_DISABLENOSCROLL | WS_VSCROLL | WS_BORDER |
                  ((c.style & kSorted) != 0 ? LBS_SORT : 0u),
              0};
    case ControlKind::PieChart:
      return {0, chartClass, 0, 0};
    case ControlKind::GroupBox:
      return {kButtonAtom, nullptr, BS_GROUPBOX, 0};
    case ControlKind::Label:
      return {kStaticAtom, nullptr, SS_LEFT, 0};
  }
  return {kStaticAtom, nullptr, 0, 0};
}

}  // namespace

std::vector<WORD> BuildFormTemplate(const wchar_t* chartClass) {
  const auto controls = FormControls();
  TemplateWriter t;
  // DLGTEMPLATEEX: version 1, its signature, help id, extended style, style.
  t.Word(1);
  t.Word(0xFFFF);
  t.Dword(0);
  t.Dword(WS_EX_CONTROLPARENT);
  t.Dword(DS_SETFONT | DS_FIXEDSYS | DS_CONTROL | WS_CHILD | WS_VISIBLE);
  t.Word(static_cast<WORD>(controls.size()));
  t.Word(0);
  t.Word(0);
  t.Word(static_cast<WORD>(kFormWidthDialogUnits));
  t.Word(static_cast<WORD>(kFormHeightDialogUnits));
  t.Word(0);  // no menu
  t.Word(0);  // the dialog class
  t.Word(0);  // no title
  t.Word(static_cast<WORD>(kFormFontPoints));
  t.Word(FW_NORMAL);
  t.Word(MAKEWORD(FALSE, DEFAULT_CHARSET));  // italic, character set
  t.Text(kFormFontFace);
  for (const FormControl& c : controls) {
    const ItemClass cls = ClassOf(c, chartClass);
    DWORD style = WS_CHILD | cls.style;
    if ((c.style & kHiddenInTemplate) == 0) style |= WS_VISIBLE;
    if ((c.style & kTabStop) != 0) style |= WS_TABSTOP;
    t.AlignDword();
    t.Dword(0);  // help id
    t.Dword(cls.exStyle);
    t.Dword(style);
    t.Word(static_cast<WORD>(c.rect.x));
    t.Word(static_cast<WORD>(c.rect.y));
    t.Word(static_cast<WORD>(c.rect.width));
    t.Word(static_cast<WORD>(c.rect.height));
    t.Dword(static_cast<DWORD>(c.id));
    if (cls.atom != 0)
      t.Atom(cls.atom);
    else
      t.Text(cls.name);
    t.Text(c.text);
    t.Word(0);  // no creation data
  }
  return std::move(t.words);
}
