#include "ui/widgets/pie_draw.h"

#include <type_traits>
#include <variant>

#include <wx/settings.h>

namespace {

wxColour ToColour(ColorRef c) { return wxColour(RedOf(c), GreenOf(c), BlueOf(c)); }

wxColour Resolve(const PaintColour& c) {
  switch (c.system) {
    case PaintColour::System::ButtonFace:
      return wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    case PaintColour::System::WindowText:
      return wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT);
    case PaintColour::System::None:
      break;
  }
  return ToColour(c.rgb);
}

wxRect ToRect(const PixelRect& r) { return wxRect(r.left, r.top, r.Width(), r.Height()); }

// A two-pixel sunken edge: shadow above and left, light below and right.
void DrawSunkenEdge(wxDC& dc, const PixelRect& r) {
  const wxColour shadow = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
  const wxColour dark = wxSystemSettings::GetColour(wxSYS_COLOUR_3DDKSHADOW);
  const wxColour highlight = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT);
  const wxColour light = wxSystemSettings::GetColour(wxSYS_COLOUR_3DLIGHT);
  auto frame = [&dc](int l, int t, int rr, int b, const wxColour& topLeft, const wxColour& bottomRight) {
    dc.SetPen(wxPen(topLeft));
    dc.DrawLine(l, b - 1, l, t);
    dc.DrawLine(l, t, rr, t);
    dc.SetPen(wxPen(bottomRight));
    dc.DrawLine(rr - 1, t + 1, rr - 1, b - 1);
    dc.DrawLine(l, b - 1, rr, b - 1);
  };
  frame(r.left, r.top, r.right, r.bottom, shadow, highlight);
  frame(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1, dark, light);
}

}  // namespace

void DrawPieOps(wxDC& dc, const std::vector<PieDrawOp>& ops, const wxFont& titleFont, const wxFont& labelFont) {
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  for (const PieDrawOp& op : ops) {
    std::visit(
        [&dc, &titleFont, &labelFont](const auto& o) {
          using T = std::decay_t<decltype(o)>;
          if constexpr (std::is_same_v<T, pie_op::FillRect>) {
            dc.SetPen(*wxTRANSPARENT_PEN);
            dc.SetBrush(wxBrush(Resolve(o.colour)));
            dc.DrawRectangle(ToRect(o.rect));
          } else if constexpr (std::is_same_v<T, pie_op::Ellipse>) {
            dc.SetPen(o.outlined ? wxPen(ToColour(o.outline)) : *wxTRANSPARENT_PEN);
            dc.SetBrush(o.filled ? wxBrush(ToColour(o.fill)) : *wxTRANSPARENT_BRUSH);
            // Inside the rectangle, outline included, as the platform draws it.
            dc.DrawEllipse(o.rect.left, o.rect.top, o.rect.Width() - 1, o.rect.Height() - 1);
          } else if constexpr (std::is_same_v<T, pie_op::Pie>) {
            dc.SetPen(*wxTRANSPARENT_PEN);
            dc.SetBrush(wxBrush(ToColour(o.fill)));
            // Counter-clockwise from the start radial to the end radial, as
            // the operation says; the pie's rectangle is a square.
            dc.DrawArc(o.startRadial.x, o.startRadial.y, o.endRadial.x, o.endRadial.y,
                       (o.rect.left + o.rect.right) / 2, (o.rect.top + o.rect.bottom) / 2);
          } else if constexpr (std::is_same_v<T, pie_op::Line>) {
            dc.SetPen(wxPen(ToColour(o.colour)));
            dc.DrawLine(o.from.x, o.from.y, o.to.x, o.to.y);
          } else if constexpr (std::is_same_v<T, pie_op::SunkenEdge>) {
            DrawSunkenEdge(dc, o.rect);
          } else if constexpr (std::is_same_v<T, pie_op::RightAlignedText>) {
            dc.SetFont((o.font == PieFont::Title ? titleFont : labelFont));
            dc.SetTextForeground(Resolve(o.colour));
            dc.DrawLabel(wxString(o.text), ToRect(o.rect), wxALIGN_RIGHT | wxALIGN_TOP);
          } else if constexpr (std::is_same_v<T, pie_op::Text>) {
            dc.SetFont((o.font == PieFont::Title ? titleFont : labelFont));
            dc.SetTextForeground(Resolve(o.colour));
            dc.DrawText(wxString(o.text), o.at.x, o.at.y);
          }
        },
        op);
  }
}
