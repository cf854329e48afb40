// Printing the panel on display through the toolkit's printing framework, to
// a PDF read back with poppler's tools, and the whole-machine report written
// from the viewer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "gui_support.h"
#include "ui/form_layout.h"
#include "ui/widgets/panel_printout.h"

#include <dlfcn.h>

#include <wx/dcgraph.h>
#include <wx/graphics.h>
#include <wx/prntbase.h>

using gui::FrameOnSample;
using gui::Pump;
using enum ControlId;

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Narrow(const std::wstring& text) { return wxString(text).utf8_string(); }

template <typename F>
F Cairo(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_DEFAULT, name));
}

bool HaveTool(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Collapses runs of blanks, so that text placed in columns compares as words.
std::string Squeezed(const std::string& text) {
  std::string out;
  for (char c : text) {
    const bool blank = c == ' ' || c == '\t';
    if (blank && (out.empty() || out.back() == ' ' || out.back() == '\n')) continue;
    out += blank ? ' ' : c;
  }
  return out;
}

}  // namespace

TEST(Print, DiskPanelPrintsToPdfWithItsFieldsListAndChart) {
  if (!HaveTool("pdftotext") || !HaveTool("pdftoppm"))
    GTEST_SKIP() << "pdftotext and pdftoppm (poppler-utils) are needed to read the printed pages";
  FrameOnSample f("workstation.json");
  f.Doc().SetCurrentNode(f.Doc().Model().PhysicalDisks()->children.at(0).get());
  Pump(50);
  const FormState& form = f.Detail().Form();
  ASSERT_EQ(form.PanelOnDisplay(), DiskPanel);

  const std::string dir = std::string(QUELBRIN_BINARY_DIR) + "/screenshots";
  std::filesystem::create_directories(dir);
  const std::string pdf = dir + "/print-disk-panel.pdf";
  std::filesystem::remove(pdf);
  // The pages go to a PDF through cairo, the vector backend the toolkit's
  // printing uses, without a print server to ask.
  auto pdfSurface = Cairo<void* (*)(const char*, double, double)>("cairo_pdf_surface_create");
  auto create = Cairo<void* (*)(void*)>("cairo_create");
  auto showPage = Cairo<void (*)(void*)>("cairo_show_page");
  auto destroy = Cairo<void (*)(void*)>("cairo_destroy");
  auto finish = Cairo<void (*)(void*)>("cairo_surface_finish");
  auto destroySurface = Cairo<void (*)(void*)>("cairo_surface_destroy");
  if (pdfSurface == nullptr || create == nullptr || showPage == nullptr || destroy == nullptr || finish == nullptr ||
      destroySurface == nullptr)
    GTEST_SKIP() << "this toolkit's cairo has no PDF surface";
  const int width = 595, height = 842;  // A4 in points
  void* surface = pdfSurface(pdf.c_str(), width, height);
  void* cairo = create(surface);
  const std::unique_ptr<CPanelPrintout> printout = f.Frame().CreatePanelPrintout();
  {
    wxGCDC dc(wxGraphicsRenderer::GetCairoRenderer()->CreateContextFromNativeContext(cairo));
    printout->SetDC(&dc);
    printout->SetPPIScreen(96, 96);
    printout->SetPPIPrinter(72, 72);
    printout->SetPageSizePixels(width, height);
    printout->SetPaperRectPixels(wxRect(0, 0, width, height));
    printout->SetPageSizeMM(210, 297);
    printout->OnPreparePrinting();
    int first = 0, last = 0, from = 0, to = 0;
    printout->GetPageInfo(&first, &last, &from, &to);
    ASSERT_GE(last, 1);
    for (int page = first; page <= last; ++page) {
      ASSERT_TRUE(printout->OnPrintPage(page));
      dc.GetGraphicsContext()->Flush();
      showPage(cairo);
    }
  }
  destroy(cairo);
  finish(surface);
  destroySurface(surface);
  ASSERT_TRUE(std::filesystem::exists(pdf));

  const std::string text = dir + "/print-disk-panel.txt";
  ASSERT_EQ(std::system(("pdftotext -layout '" + pdf + "' '" + text + "'").c_str()), 0);
  const std::string printed = Squeezed(ReadFile(text));
  const std::size_t pages = printout->Layout().pages.size();
  // pdftotext ends every page with a form feed.
  EXPECT_EQ(static_cast<std::size_t>(std::count(printed.begin(), printed.end(), '\f')), pages);

  std::vector<std::string> expected = {Narrow(form.FrameTitle(DiskPanel)), "workstation.json",
                                       "Page 1 of " + std::to_string(pages)};
  for (const FormField& field : PanelFields(DiskPanel))
    if (field.type == FormField::Type::Edit && form.Visible(field.id) && !form.Edit(field.id).empty())
      expected.push_back(Narrow(std::wstring(field.label)) + " " + Narrow(form.Edit(field.id)));
  const ListViewState& partitions = form.List(DiskPartitionList);
  ASSERT_FALSE(partitions.rows.empty());
  for (const ListColumn& column : partitions.columns) {
    std::string heading = Narrow(column.heading);
    heading.erase(0, heading.find_first_not_of(' '));
    heading.erase(heading.find_last_not_of(' ') + 1);
    expected.push_back(heading);
  }
  for (const ListRow& row : partitions.rows) expected.push_back(Narrow(row.cells.at(0)));
  const PieChartContent& chart = form.Chart(DiskChart);
  ASSERT_FALSE(chart.slices.empty());
  expected.push_back(Narrow(chart.title));
  for (const ChartSlice& slice : chart.slices)
    if (!slice.label.empty()) expected.push_back(Narrow(slice.label));
  for (const std::string& want : expected) EXPECT_NE(printed.find(want), std::string::npos) << want;

  // Each page as a picture beside the screenshots.
  ASSERT_EQ(std::system(("pdftoppm -r 60 -png '" + pdf + "' '" + dir + "/print-disk-panel'").c_str()), 0);
  int pictures = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    if (entry.path().filename().string().rfind("print-disk-panel-", 0) == 0 && entry.path().extension() == ".png")
      ++pictures;
  EXPECT_EQ(static_cast<std::size_t>(pictures), pages);
}

TEST(Print, ExportReportWritesThePageTheTerminalProgramWrites) {
  ASSERT_EQ(setenv("SOURCE_DATE_EPOCH", "1700000000", 1), 0);
  FrameOnSample f("workstation.json");
  const std::string dir = std::string(QUELBRIN_BINARY_DIR) + "/screenshots";
  std::filesystem::create_directories(dir);
  const std::string fromViewer = dir + "/export-workstation.html";
  const std::string fromCli = dir + "/export-workstation-cli.html";
  EXPECT_EQ(f.Frame().DefaultReportName().utf8_string(), "workstation.html");
  ASSERT_TRUE(f.Frame().ExportReport(wxString::FromUTF8(fromViewer)));
  const std::string cli = std::string(QUELBRIN_CLI) + " --machine '" + gui::SamplePath("workstation.json") +
                          "' report -o '" + fromCli + "'";
  ASSERT_EQ(std::system(cli.c_str()), 0);
  unsetenv("SOURCE_DATE_EPOCH");
  const std::string page = ReadFile(fromViewer);
  EXPECT_GT(page.size(), 1000u);
  EXPECT_EQ(page, ReadFile(fromCli));

  // A file that cannot be written is reported and leaves nothing behind.
  const std::string nowhere = dir + "/no-such-folder/report.html";
  EXPECT_FALSE(f.Frame().ExportReport(wxString::FromUTF8(nowhere)));
  EXPECT_FALSE(std::filesystem::exists(nowhere));
}

TEST(Print, PreviewShowsThePagesOfThePanelInAWindowOfItsOwn) {
  FrameOnSample f("workstation.json");
  f.Doc().SetCurrentNode(f.Doc().Model().PhysicalDisks()->children.at(0).get());
  Pump(50);
  wxCommandEvent preview(wxEVT_MENU, ID_FILE_PRINT_PREVIEW);
  f.Frame().ProcessWindowEvent(preview);
  Pump(300);
  wxPreviewFrame* window = nullptr;
  for (wxWindow* w : wxTopLevelWindows)
    if (auto* p = dynamic_cast<wxPreviewFrame*>(w)) window = p;
  ASSERT_NE(window, nullptr) << "no preview window";
  wxPrintPreviewBase* pages = nullptr;
  for (wxWindow* child : window->GetChildren())
    if (auto* bar = dynamic_cast<wxPreviewControlBar*>(child)) pages = bar->GetPrintPreview();
  ASSERT_NE(pages, nullptr);
  EXPECT_TRUE(pages->IsOk());
  EXPECT_GE(pages->GetMaxPage(), 1);
  EXPECT_EQ(pages->GetMaxPage(), static_cast<int>(static_cast<CPanelPrintout*>(pages->GetPrintout())->Layout().pages.size()));
  EXPECT_FALSE(gui::SaveScreenshot(window, "print-preview-disk-panel").empty());
  window->Close(true);
  Pump(50);
}
