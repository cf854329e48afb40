#include "app/gui/art.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include <wx/dcclient.h>
#include <wx/graphics.h>
#include <wx/image.h>

namespace {

// 16 by 15 images, one character per pixel; '.' is transparent.
const char* const kPrint[] = {
    "................", "....#########...", "....#.......#...", "....#.#####.#...", "....#.......#...",
    "..#############.", ".#ooooooooooooo#", ".#ooooooooooGGo#", ".#ooooooooooooo#", ".###############",
    ".#ooooooooooooo#", ".##..........###", "...#.........#..", "...###########..", "................",
};
const char* const kAllMountPoints[] = {
    "................", "..##########....", "..#wwwwwwwww#...", "..#wwwwwwwww#...", "..#wwwwwwwgw#...",
    "..###########...", "......#######...", "....##########..", "....#wwwwwwww#..", "....#wwwwwwww#..",
    "....#wwwwwwgw#..", "....##########..", "..........##....", "........######..", "..........##....",
};
const char* const kAbout[] = {
    "................", ".....######.....", "...##bbbbbb##...", "..#bbbbwwbbbb#..", "..#bbbbwwbbbb#..",
    ".#bbbbbbbbbbbb#.", ".#bbbbwwwbbbbb#.", ".#bbbbbwwbbbbb#.", ".#bbbbbwwbbbbb#.", ".#bbbbbwwbbbbb#.",
    "..#bbbwwwwbbb#..", "..#bbbbbbbbbb#..", "...##bbbbbb##...", ".....######.....", "................",
};
const char* const kContextHelp[] = {
    "#...............", "##..............", "#w#.............", "#ww#......####..", "#www#....##..##.",
    "#wwww#.......##.", "#wwwww#.....##..", "#wwwwww#...##...", "#www####...##...", "#ww#.......##...",
    "#w#...............", "##..........##...", "#...........##...", "................", "................",
};

wxColour Ink(char c) {
  switch (c) {
    case '#':
      return wxColour(0, 0, 0);
    case 'o':
      return wxColour(192, 192, 192);
    case 'G':
      return wxColour(0, 160, 0);
    case 'g':
      return wxColour(0, 200, 0);
    case 'w':
      return wxColour(255, 255, 255);
    case 'b':
      return wxColour(0, 0, 255);
    default:
      return wxColour(0, 0, 0);
  }
}

wxBitmap FromRows(const char* const* rows) {
  wxImage image(16, 15);
  image.InitAlpha();
  for (int y = 0; y < 15; ++y) {
    const std::string row = rows[y];
    for (int x = 0; x < 16; ++x) {
      const char c = static_cast<std::size_t>(x) < row.size() ? row[static_cast<std::size_t>(x)] : '.';
      const wxColour ink = Ink(c);
      image.SetRGB(x, y, ink.Red(), ink.Green(), ink.Blue());
      image.SetAlpha(x, y, c == '.' ? 0 : 255);
    }
  }
  return wxBitmap(image);
}

}  // namespace

wxBitmap ToolbarBitmap(ToolImage which) {
  switch (which) {
    case ToolImage::Print:
      return FromRows(kPrint);
    case ToolImage::AllMountPoints:
      return FromRows(kAllMountPoints);
    case ToolImage::About:
      return FromRows(kAbout);
    case ToolImage::ContextHelp:
      return FromRows(kContextHelp);
  }
  return wxBitmap();
}

wxBitmap AppIconBitmap(int size) {
  wxImage image(size, size);
  image.InitAlpha();
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) image.SetAlpha(x, y, 0);
  {
    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(image));
    if (gc) {
      const double s = size / 32.0;
      // The drive: a grey box with a light face and a green lamp.
      gc->SetPen(wxPen(wxColour(40, 40, 40), std::max(1, size / 32)));
      gc->SetBrush(wxBrush(wxColour(150, 150, 150)));
      gc->DrawRoundedRectangle(1 * s, 17 * s, 30 * s, 13 * s, 2 * s);
      gc->SetBrush(wxBrush(wxColour(210, 210, 210)));
      gc->DrawRectangle(4 * s, 20 * s, 18 * s, 7 * s);
      gc->SetBrush(wxBrush(wxColour(0, 200, 0)));
      gc->DrawEllipse(25 * s, 22 * s, 3 * s, 3 * s);
      // Above it, the blue pie with a white wedge.
      gc->SetPen(wxPen(wxColour(0, 0, 0)));
      gc->SetBrush(wxBrush(wxColour(0, 0, 255)));
      gc->DrawEllipse(8 * s, 1 * s, 16 * s, 16 * s);
      wxGraphicsPath wedge = gc->CreatePath();
      const double cx = 16 * s, cy = 9 * s, r = 8 * s;
      wedge.MoveToPoint(cx, cy);
      wedge.AddArc(cx, cy, r, -M_PI / 2, 0.15 * M_PI, true);
      wedge.CloseSubpath();
      gc->SetBrush(wxBrush(wxColour(255, 255, 255)));
      gc->DrawPath(wedge);
    }
  }
  return wxBitmap(image);
}

wxIconBundle AppIcons() {
  wxIconBundle icons;
  for (int size : {16, 32, 48}) {
    wxIcon icon;
    icon.CopyFromBitmap(AppIconBitmap(size));
    icons.AddIcon(icon);
  }
  return icons;
}

AppIconWindow::AppIconWindow(wxWindow* parent, const wxPoint& pos, const wxSize& size)
    : wxWindow(parent, wxID_ANY, pos, size, wxBORDER_NONE) {
  Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
    wxPaintDC dc(this);
    const wxSize client = GetClientSize();
    const int side = std::min(client.x, client.y);
    dc.DrawBitmap(AppIconBitmap(side), (client.x - side) / 2, (client.y - side) / 2, true);
    painted = true;
  });
}
