// Renders a pie chart's drawing list as SVG, with the system colours of a
// default desktop theme.
#include "ui/text/pie_svg.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "ui/text/markup_text.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// Arial's ascent and cell height in font units; an em is 2048 units.
constexpr double kAscentShare = 1854.0 / 2288.0;
constexpr double kEmShare = 2048.0 / 2288.0;

std::string Hex(ColorRef c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", RedOf(c), GreenOf(c), BlueOf(c));
  return text;
}

std::string Resolve(const PaintColour& colour) {
  switch (colour.system) {
    case PaintColour::System::ButtonFace:
      return "#f0f0f0";
    case PaintColour::System::WindowText:
      return "#000000";
    case PaintColour::System::None:
      break;
  }
  return Hex(colour.rgb);
}

std::string Num(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", v);
  std::string s = text;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s == "-0" ? "0" : s;
}

void FontAttributes(std::ostream& out, PieFont font) {
  out << " font-family=\"Arial, Helvetica, sans-serif\" font-size=\"" << Num(FontCellHeight(font) * kEmShare) << "\"";
}

class SvgWriter {
 public:
  explicit SvgWriter(std::ostream& out) : out_(out) {}

  void operator()(const pie_op::FillRect& op) {
    out_ << "  <rect x=\"" << op.rect.left << "\" y=\"" << op.rect.top << "\" width=\"" << op.rect.Width()
         << "\" height=\"" << op.rect.Height() << "\" fill=\"" << Resolve(op.colour) << "\"/>\n";
  }
  void operator()(const pie_op::Ellipse& op) {
    out_ << "  <ellipse cx=\"" << Num((op.rect.left + op.rect.right) / 2.0) << "\" cy=\""
         << Num((op.rect.top + op.rect.bottom) / 2.0) << "\" rx=\"" << Num(op.rect.Width() / 2.0) << "\" ry=\""
         << Num(op.rect.Height() / 2.0) << "\" fill=\"" << (op.filled ? Hex(op.fill) : "none") << "\"";
    if (op.outlined) out_ << " stroke=\"" << Hex(op.outline) << "\" stroke-width=\"1\"";
    out_ << "/>\n";
  }
  void operator()(const pie_op::Pie& op) {
    // The wedge runs counter-clockwise from the start radial to the end
    // radial, that is clockwise on screen from the end radial to the start.
    const double cx = (op.rect.left + op.rect.right) / 2.0;
    const double cy = (op.rect.top + op.rect.bottom) / 2.0;
    const double rx = op.rect.Width() / 2.0;
    const double ry = op.rect.Height() / 2.0;
    const double from = std::atan2(op.endRadial.y - cy, op.endRadial.x - cx);
    const double to = std::atan2(op.startRadial.y - cy, op.startRadial.x - cx);
    double sweep = std::fmod(to - from, 2 * kPi);
    if (sweep < 0) sweep += 2 * kPi;
    if (sweep < 1e-9) {
      (*this)(pie_op::Ellipse{op.rect, true, op.fill, false, 0});
      return;
    }
    out_ << "  <path d=\"M " << Num(cx) << " " << Num(cy) << " L " << Num(cx + rx * std::cos(from)) << " "
         << Num(cy + ry * std::sin(from)) << " A " << Num(rx) << " " << Num(ry) << " 0 " << (sweep > kPi ? 1 : 0)
         << " 1 " << Num(cx + rx * std::cos(to)) << " " << Num(cy + ry * std::sin(to)) << " Z\" fill=\""
         << Hex(op.fill) << "\"/>\n";
  }
  void operator()(const pie_op::Line& op) {
    out_ << "  <line x1=\"" << op.from.x << "\" y1=\"" << op.from.y << "\" x2=\"" << op.to.x << "\" y2=\"" << op.to.y
         << "\" stroke=\"" << Hex(op.colour) << "\" stroke-width=\"1\"/>\n";
  }
  void operator()(const pie_op::SunkenEdge& op) {
    const PixelRect& r = op.rect;
    out_ << "  <polyline points=\"" << r.left << "," << r.bottom << " " << r.left << "," << r.top << " " << r.right
         << "," << r.top << "\" fill=\"none\" stroke=\"#a0a0a0\" stroke-width=\"1\"/>\n";
    out_ << "  <polyline points=\"" << r.right << "," << r.top << " " << r.right << "," << r.bottom << " " << r.left
         << "," << r.bottom << "\" fill=\"none\" stroke=\"#ffffff\" stroke-width=\"1\"/>\n";
  }
  void operator()(const pie_op::RightAlignedText& op) {
    out_ << "  <text x=\"" << op.rect.right << "\" y=\"" << Num(op.rect.top + FontCellHeight(op.font) * kAscentShare)
         << "\" text-anchor=\"end\" fill=\"" << Resolve(op.colour) << "\"";
    FontAttributes(out_, op.font);
    out_ << ">" << MarkupText(op.text) << "</text>\n";
  }
  void operator()(const pie_op::Text& op) {
    out_ << "  <text x=\"" << op.at.x << "\" y=\"" << Num(op.at.y + FontCellHeight(op.font) * kAscentShare)
         << "\" fill=\"" << Resolve(op.colour) << "\"";
    FontAttributes(out_, op.font);
    out_ << ">" << MarkupText(op.text) << "</text>\n";
  }

 private:
  std::ostream& out_;
};

void WriteSvg(std::ostream& out, const std::vector<PieDrawOp>& ops, PixelSize client, const std::string& attributes) {
  out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << client.cx << "\" height=\"" << client.cy
      << "\" viewBox=\"0 0 " << client.cx << " " << client.cy << "\"" << attributes << ">\n";
  SvgWriter writer(out);
  for (const PieDrawOp& op : ops) std::visit(writer, op);
  out << "</svg>\n";
}

}  // namespace

std::string RenderPieSvg(const std::vector<PieDrawOp>& ops, PixelSize client) {
  std::ostringstream out;
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  WriteSvg(out, ops, client, "");
  return out.str();
}

std::string PieSvgElement(const std::vector<PieDrawOp>& ops, PixelSize client, const std::wstring& label) {
  std::ostringstream out;
  WriteSvg(out, ops, client, " role=\"img\" aria-label=\"" + MarkupText(label) + "\"");
  return out.str();
}
