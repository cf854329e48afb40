#include "app/win32/form/pie_chart_window.h"

#include <windowsx.h>

#include <type_traits>
#include <variant>

namespace {

constexpr wchar_t kClassName[] = L"QuelbrinPieChart";

// Arial at a character cell height: a positive height asks the font mapper
// for the cell, line gap included.
HFONT CellHeightFont(int cellHeight) {
  return CreateFontW(cellHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Arial");
}

COLORREF Resolve(const PaintColour& c) {
  switch (c.system) {
    case PaintColour::System::ButtonFace:
      return GetSysColor(COLOR_BTNFACE);
    case PaintColour::System::WindowText:
      return GetSysColor(COLOR_WINDOWTEXT);
    case PaintColour::System::None:
      break;
  }
  return c.rgb;
}

RECT ToRect(const PixelRect& r) { return {r.left, r.top, r.right, r.bottom}; }

// Selects a solid pen and brush (or none of either) for one drawing
// operation and puts the old ones back after it.
class PenAndBrush {
 public:
  PenAndBrush(HDC d, bool outlined, COLORREF outline, bool filled, COLORREF fill)
      : dc(d),
        pen(outlined ? CreatePen(PS_SOLID, 1, outline) : nullptr),
        brush(filled ? CreateSolidBrush(fill) : nullptr),
        oldPen(SelectObject(dc, pen != nullptr ? static_cast<HGDIOBJ>(pen) : GetStockObject(NULL_PEN))),
        oldBrush(SelectObject(dc, brush != nullptr ? static_cast<HGDIOBJ>(brush) : GetStockObject(NULL_BRUSH))) {}
  ~PenAndBrush() {
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    if (pen != nullptr) DeleteObject(pen);
    if (brush != nullptr) DeleteObject(brush);
  }
  PenAndBrush(const PenAndBrush&) = delete;
  PenAndBrush& operator=(const PenAndBrush&) = delete;

 private:
  HDC dc;
  HPEN pen;
  HBRUSH brush;
  HGDIOBJ oldPen;
  HGDIOBJ oldBrush;
};

}  // namespace

void DrawPieOps(HDC dc, const std::vector<PieDrawOp>& ops, HFONT titleFont, HFONT labelFont) {
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const HGDIOBJ oldFont = SelectObject(dc, labelFont);
  for (const PieDrawOp& op : ops) {
    std::visit(
        [&](const auto& o) {
          using T = std::decay_t<decltype(o)>;
          if constexpr (std::is_same_v<T, pie_op::FillRect>) {
            const RECT r = ToRect(o.rect);
            HBRUSH brush = CreateSolidBrush(Resolve(o.colour));
            FillRect(dc, &r, brush);
            DeleteObject(brush);
          } else if constexpr (std::is_same_v<T, pie_op::Ellipse>) {
            PenAndBrush tools(dc, o.outlined, o.outline, o.filled, o.fill);
            Ellipse(dc, o.rect.left, o.rect.top, o.rect.right, o.rect.bottom);
          } else if constexpr (std::is_same_v<T, pie_op::Pie>) {
            // GDI draws a pie counter-clockwise from the first radial, as the
            // operation means it.
            PenAndBrush tools(dc, false, 0, true, o.fill);
            Pie(dc, o.rect.left, o.rect.top, o.rect.right, o.rect.bottom, o.startRadial.x, o.startRadial.y,
                o.endRadial.x, o.endRadial.y);
          } else if constexpr (std::is_same_v<T, pie_op::Line>) {
            PenAndBrush tools(dc, true, o.colour, false, 0);
            MoveToEx(dc, o.from.x, o.from.y, nullptr);
            LineTo(dc, o.to.x, o.to.y);
          } else if constexpr (std::is_same_v<T, pie_op::SunkenEdge>) {
            RECT r = ToRect(o.rect);
            DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
          } else if constexpr (std::is_same_v<T, pie_op::RightAlignedText>) {
            SelectObject(dc, o.font == PieFont::Title ? titleFont : labelFont);
            SetTextColor(dc, Resolve(o.colour));
            RECT r = ToRect(o.rect);
            DrawTextW(dc, o.text.c_str(), static_cast<int>(o.text.size()), &r,
                      DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
          } else if constexpr (std::is_same_v<T, pie_op::Text>) {
            SelectObject(dc, o.font == PieFont::Title ? titleFont : labelFont);
            SetTextColor(dc, Resolve(o.colour));
            TextOutW(dc, o.at.x, o.at.y, o.text.c_str(), static_cast<int>(o.text.size()));
          }
        },
        op);
  }
  SelectObject(dc, oldFont);
  SetBkMode(dc, oldMode);
}

const wchar_t* Win32PieChart::ClassName() {
  static const ATOM atom = [] {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = &Win32PieChart::WindowProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.hCursor = LoadCursorW(nullptr, IDC_CROSS);
    cls.lpszClassName = kClassName;
    return RegisterClassExW(&cls);
  }();
  (void)atom;
  return kClassName;
}

Win32PieChart* Win32PieChart::FromWindow(HWND window) {
  wchar_t name[64];
  if (window == nullptr || GetClassNameW(window, name, 64) == 0 || lstrcmpW(name, kClassName) != 0) return nullptr;
  return reinterpret_cast<Win32PieChart*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

Win32PieChart::Win32PieChart(HWND w)
    : window(w),
      chart(this),
      titleFont(CellHeightFont(FontCellHeight(PieFont::Title))),
      labelFont(CellHeightFont(FontCellHeight(PieFont::Label))) {}

Win32PieChart::~Win32PieChart() {
  DeleteObject(titleFont);
  DeleteObject(labelFont);
}

void Win32PieChart::Show(const PieChartContent& content) {
  chart.Show(content);
  SetWindowTextW(window, content.title.c_str());
}

PixelSize Win32PieChart::MeasureText(PieFont font, const std::wstring& text) {
  HDC dc = GetDC(window);
  const HGDIOBJ old = SelectObject(dc, FontOf(font));
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return {size.cx, size.cy};
}

void Win32PieChart::Invalidate(const PixelRect& area) {
  const RECT r = ToRect(area);
  InvalidateRect(window, &r, FALSE);
}

void Win32PieChart::CaptureMouse() {
  if (GetCapture() != window) SetCapture(window);
}

void Win32PieChart::ReleaseMouse() {
  if (GetCapture() == window) ReleaseCapture();
}

void Win32PieChart::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  if (client.right > 0 && client.bottom > 0) {
    // Every paint covers the whole client area, drawn off screen first: no flicker.
    HDC buffer = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    const HGDIOBJ old = SelectObject(buffer, bitmap);
    DrawPieOps(buffer, chart.Paint(), titleFont, labelFont);
    BitBlt(dc, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
    SelectObject(buffer, old);
    DeleteObject(bitmap);
    DeleteDC(buffer);
  }
  EndPaint(window, &ps);
}

LRESULT CALLBACK Win32PieChart::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created = new Win32PieChart(window);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    created->chart.OnSize(create->cx, create->cy);
  }
  auto* self = reinterpret_cast<Win32PieChart*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      delete self;
      break;
    case WM_SIZE:
      self->chart.OnSize(LOWORD(lParam), HIWORD(lParam));
      self->Invalidate(self->chart.ClientRect());
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      self->Paint();
      return 0;
    case WM_LBUTTONDOWN:
      self->chart.OnLButtonDown(GET_X_LPARAM(lParam));
      return 0;
    case WM_MOUSEMOVE:
      self->chart.OnMouseMove(GET_X_LPARAM(lParam));
      return 0;
    case WM_LBUTTONUP:
      self->chart.OnLButtonUp();
      return 0;
    // A capture taken away by the system leaves the drag as it is: the next
    // button release ends it.
    case WM_CAPTURECHANGED:
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
