// The HTML report: one well-formed page that loads nothing, every node with its
// panel as the form state has it, links from the tree to the panels and back,
// and names from a machine that cannot become markup.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "platform/wide_text.h"
#include "tests/support/cli_run.h"
#include "tests/support/presentation_fixture.h"
#include "tests/support/scoped_env.h"
#include "ui/form_layout.h"
#include "ui/panels.h"
#include "ui/text/form_printer.h"
#include "ui/text/html_report.h"
#include "ui/text/markup_text.h"
#include "ui/text/node_lookup.h"
#include "ui/text/tree_printer.h"

namespace {

const char* const kHostileNames = "../tests/report/hostile-names.json";

struct Machine {
  std::string file;  // under samples/
  bool allMountPoints;
};
void PrintTo(const Machine& m, std::ostream* os) { *os << m.file << (m.allMountPoints ? " --all-mount-points" : ""); }

std::vector<Machine> Machines() {
  std::vector<Machine> machines;
  for (const std::string& name : AllSampleNames()) {
    machines.push_back({name, false});
    machines.push_back({name, true});
  }
  machines.push_back({kHostileNames, true});
  return machines;
}

std::string Report(CQuelbrinDoc& doc) {
  std::ostringstream out;
  WriteHtmlReport(doc, {L"m", {{L"Report made", L"now"}}, {}}, out);
  return out.str();
}

// Every element and attribute is one the page may have, the open elements
// close in order, links stay in the page and the style loads nothing. False
// with the reason otherwise.
testing::AssertionResult WellFormedAndSelfContained(const std::string& html) {
  static const std::set<std::string> kElements = {
      "html", "head",    "meta",  "title", "style",   "body",  "header",  "h1",    "h2",   "h3",   "h4",
      "ul",   "li",      "dl",    "dt",    "dd",      "p",     "div",     "nav",   "main", "section",
      "details", "summary", "a",  "span",  "code",    "table", "caption", "thead", "tbody", "tr", "th",
      "td",   "figure",  "svg",   "rect",  "ellipse", "path",  "line",    "polyline", "text"};
  static const std::set<std::string> kAttributes = {
      "lang", "charset", "http-equiv", "content", "name", "class", "id", "href", "open", "scope", "colspan", "role",
      "aria-label", "xmlns", "width", "height", "viewBox", "x", "y", "cx", "cy", "rx", "ry", "d", "fill", "stroke",
      "stroke-width", "x1", "y1", "x2", "y2", "points", "text-anchor", "font-family", "font-size"};
  static const std::regex kAttribute(R"re(\s([^\s=/>]+)(="([^"]*)")?)re");
  std::vector<std::string> open;
  for (std::size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at + 1)) {
    const std::size_t end = html.find('>', at);
    if (end == std::string::npos) return testing::AssertionFailure() << "unclosed tag at " << at;
    const std::string tag = html.substr(at + 1, end - at - 1);
    if (tag.rfind("!DOCTYPE", 0) == 0) continue;
    const bool closing = tag[0] == '/';
    const std::size_t nameEnd = tag.find_first_of(" />", closing ? 1 : 0);
    const std::string name = tag.substr(closing ? 1 : 0, nameEnd - (closing ? 1 : 0));
    if (kElements.count(name) == 0) return testing::AssertionFailure() << "element <" << name << "> at " << at;
    const std::string attributes = nameEnd == std::string::npos ? "" : tag.substr(nameEnd);
    for (auto it = std::sregex_iterator(attributes.begin(), attributes.end(), kAttribute); it != std::sregex_iterator();
         ++it) {
      if (kAttributes.count(it->str(1)) == 0) return testing::AssertionFailure() << "attribute " << it->str(1);
      if (it->str(1) == "href" && it->str(3).rfind('#', 0) != 0)
        return testing::AssertionFailure() << "link out of the page: " << it->str(3);
    }
    if (closing) {
      if (open.empty() || open.back() != name)
        return testing::AssertionFailure() << "</" << name << "> closes <" << (open.empty() ? "" : open.back()) << ">";
      open.pop_back();
    } else if (name != "meta" && tag.back() != '/') {
      open.push_back(name);
    }
    if (name == "style" && !closing) {
      const std::string style = html.substr(end, html.find("</style>", end) - end);
      if (style.find("url(") != std::string::npos || style.find("@import") != std::string::npos)
        return testing::AssertionFailure() << "the style loads something";
      at = end + style.size() - 1;
    }
  }
  if (!open.empty()) return testing::AssertionFailure() << "<" << open.back() << "> never closes";
  return testing::AssertionSuccess();
}

// Well-formed UTF-8 without control characters other than line ends.
testing::AssertionResult CleanText(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (n == 0 || i + n > text.size()) return testing::AssertionFailure() << "not UTF-8 at " << i;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
        return testing::AssertionFailure() << "not UTF-8 at " << i;
    if ((c < 0x20 && c != '\n') || c == 0x7F || (c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0))
      return testing::AssertionFailure() << "control character at " << i;
    i += n;
  }
  return testing::AssertionSuccess();
}

std::vector<std::smatch> All(const std::string& text, const std::regex& pattern) {
  return {std::sregex_iterator(text.begin(), text.end(), pattern), std::sregex_iterator()};
}

struct PanelHtml {
  std::string id;
  std::string html;
};

std::vector<PanelHtml> Panels(const std::string& page) {
  const std::string start = "<section class=\"panel\" id=\"";
  std::vector<PanelHtml> panels;
  for (std::size_t at = page.find(start); at != std::string::npos;) {
    const std::size_t idEnd = page.find('"', at + start.size());
    const std::size_t next = std::min(page.find(start, idEnd), page.find("</main>", idEnd));
    panels.push_back({page.substr(at + start.size(), idEnd - at - start.size()), page.substr(at, next - at)});
    at = next < page.size() && page.compare(next, start.size(), start) == 0 ? next : std::string::npos;
  }
  return panels;
}

class HtmlReportOfMachine : public testing::TestWithParam<Machine> {};

}  // namespace

TEST_P(HtmlReportOfMachine, IsOneWellFormedPageThatLoadsNothing) {
  ScannedSample sample(GetParam().file, GetParam().allMountPoints);
  const std::string page = Report(sample.doc);

  EXPECT_TRUE(WellFormedAndSelfContained(page));
  EXPECT_TRUE(CleanText(page));
  EXPECT_NE(page.find("<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none';"), std::string::npos);
  std::set<std::string> ids;
  for (const std::smatch& m : All(page, std::regex(" id=\"([^\"]*)\""))) {
    EXPECT_TRUE(std::regex_match(m.str(1), std::regex("[a-z][a-z0-9-]*"))) << m.str(1);
    EXPECT_TRUE(ids.insert(m.str(1)).second) << "id used twice: " << m.str(1);
  }
  for (const std::smatch& m : All(page, std::regex("href=\"([^\"]*)\""))) {
    ASSERT_EQ(m.str(1).substr(0, 1), "#") << m.str(1);
    EXPECT_EQ(ids.count(m.str(1).substr(1)), 1u) << "link to nowhere: " << m.str(1);
  }
}

TEST_P(HtmlReportOfMachine, ShowsEveryNodeWithItsPanelLinkedBothWays) {
  ScannedSample sample(GetParam().file, GetParam().allMountPoints);
  const std::string page = Report(sample.doc);
  const std::vector<NamedNode> nodes = NameableNodes(sample.doc);
  const std::vector<PanelHtml> panels = Panels(page);
  ASSERT_EQ(panels.size(), nodes.size());
  std::map<std::string, std::size_t> panelOfId;
  std::map<const StorageNode*, std::string> idOfNode;
  for (std::size_t k = 0; k < panels.size(); ++k) {
    panelOfId[panels[k].id] = k;
    idOfNode[nodes[k].node] = panels[k].id;
  }

  // The tree: the terminal's entries, in order, each linking to its node's panel,
  // and each panel linking back to an entry that links to it.
  std::ostringstream tree;
  PrintStorageTree(sample.doc, tree);
  std::istringstream lines(tree.str());
  const auto entries = All(page, std::regex("<a id=\"(tree-[0-9]+)\" href=\"#([^\"]*)\">([^<]*)</a>"));
  std::map<std::string, std::string> entryTarget;
  std::size_t entry = 0;
  for (std::string line; std::getline(lines, line); ++entry) {
    ASSERT_LT(entry, entries.size());
    const std::string name = MarkupText(WideFromUtf8(line.substr(line.find_first_not_of(' '))));
    EXPECT_EQ(entries[entry].str(3), name);
    ASSERT_EQ(panelOfId.count(entries[entry].str(2)), 1u) << name;
    EXPECT_NE(panels[panelOfId[entries[entry].str(2)]].html.find("<span class=\"name\">" + name + "</span>"),
              std::string::npos);
    entryTarget[entries[entry].str(1)] = entries[entry].str(2);
  }
  EXPECT_EQ(entry, entries.size());
  std::set<std::string> inTree;
  for (const auto& [from, to] : entryTarget) inTree.insert(to);
  for (const PanelHtml& panel : panels) {
    std::smatch back;
    const bool linksBack = std::regex_search(panel.html, back, std::regex("<a class=\"back\" href=\"#(tree-[0-9]+)\""));
    EXPECT_EQ(linksBack, inTree.count(panel.id) != 0) << panel.id;
    if (linksBack) {
      EXPECT_EQ(entryTarget[back.str(1)], panel.id);
    }
  }

  // Each panel as the form state has it: every label with its value, every
  // row with its cells and a link to the panel of the node it stands for, and
  // every chart drawn from the same operations as the chart files.
  std::size_t linkedRows = 0;
  for (std::size_t k = 0; k < nodes.size(); ++k) {
    const std::string& html = panels[k].html;
    EXPECT_NE(html.find("<code>" + MarkupText(nodes[k].path) + "</code>"), std::string::npos) << panels[k].id;
    FormState form;
    ASSERT_TRUE(ShowNodePanel(form, nodes[k].node));
    for (const FormField& f : PanelFields(form.PanelOnDisplay())) {
      if (!form.Visible(f.id)) continue;
      if (f.type == FormField::Type::Edit) {
        EXPECT_NE(html.find("<dt>" + MarkupText(f.label) + "</dt><dd>" + MarkupText(form.Edit(f.id)) + "</dd>"),
                  std::string::npos)
            << panels[k].id << " " << Utf8FromWide(f.label);
      }
      if (f.type != FormField::Type::ListView) continue;
      for (const ListRow& row : form.List(f.id).rows) {
        std::string cells;
        for (std::size_t c = 0; c < row.cells.size(); ++c) {
          const std::string cell = MarkupText(row.cells[c]);
          const bool linked = c == 0 && idOfNode.count(row.node) != 0;
          cells += linked ? "<td><a href=\"#" + idOfNode[row.node] + "\">" + cell + "</a></td>" : "<td>" + cell + "</td>";
          linkedRows += linked ? 1 : 0;
        }
        EXPECT_NE(html.find("<tr>" + cells + "</tr>"), std::string::npos) << panels[k].id;
      }
    }
    std::vector<std::string> drawn;
    for (std::size_t at = html.find("<svg"); at != std::string::npos; at = html.find("<svg", at + 1)) {
      const std::string svg = html.substr(at, html.find("</svg>\n", at) + 7 - at);
      drawn.push_back(std::regex_replace(svg, std::regex(" role=\"img\" aria-label=\"[^\"]*\""), ""));
    }
    std::vector<std::string> files;
    for (const ChartFile& chart : RenderPanelCharts(form)) files.push_back(chart.svg.substr(chart.svg.find("<svg")));
    EXPECT_EQ(drawn, files) << panels[k].id;
  }
  EXPECT_GT(linkedRows, 0u);
}

INSTANTIATE_TEST_SUITE_P(Machines, HtmlReportOfMachine, testing::ValuesIn(Machines()),
                         [](const testing::TestParamInfo<Machine>& param) {
                           std::string name = std::filesystem::path(param.param.file).stem().string();
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name + (param.param.allMountPoints ? "_all" : "");
                         });

TEST(HtmlReport, KeepsNamesAsTextAndEveryScriptReadable) {
  ScannedSample sample(kHostileNames, true);
  std::ostringstream out;
  WriteHtmlReport(sample.doc, {L"<i>host</i>", {{L"Description", L"a\x01z & \xFFFE"}}, {L"stopped <here>"}}, out);
  const std::string page = out.str();
  for (const char* shown : {
           "<title>Storage of &lt;i&gt;host&lt;/i&gt;</title>",
           "<dd>a\\x01z &amp; \\uFFFE</dd>",
           "<li>stopped &lt;here&gt;</li>",
           ">\\??\\Volume{&lt;script&gt;alert(1)&lt;/script&gt;}</a>",
           ">\\??\\Volume{&lt;a href=&quot;http://example.invalid/&quot;&gt;D:&lt;/a&gt;}</a>",
           ">\\??\\Volume{&amp;amp;&quot;&#39;&lt;/summary&gt;&lt;/details&gt;}</a>",
           ">\\??\\Volume{\\x07\\x1f\xC3\x84 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9D\x84\x9E \\x85}</a>",
           "<dd>Tab\\x09here\\x0anew line \\x1b[31mred</dd>",
           "<dd>&lt;img src=x onerror=alert(1)&gt;</dd>",
           "&lt;b&gt;EFI&lt;/b&gt; &amp; &quot;sys&quot;\\x01\\x7f",
           "Donn\xC3\xA9" "es \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xF0\x9D\x84\x9E \\x85end",
           "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC \xE2\x80\x93 \xC3\xBCn\xC3\xAF" "c\xC3\xB6" "d\xC3\xA9 "
           "\xE2\x98\x83",
       })
    EXPECT_NE(page.find(shown), std::string::npos) << shown;
  EXPECT_TRUE(WellFormedAndSelfContained(page));
  EXPECT_TRUE(CleanText(page));
}

TEST(CliReport, WritesThePageWhereAskedAndSaysWhenItCannot) {
  const ScopedEnv fixedTime("SOURCE_DATE_EPOCH", "0");
  const std::string file = testing::TempDir() + "/quelbrin_report_" + std::to_string(getpid()) + ".html";
  struct Case {
    std::string sample;
    std::string output;  // "" for stdout
    int status;
    std::vector<std::string> inPage;  // empty: no page
    std::string onStderr;
  };
  const Case cases[] = {
      {"server.json", file, 0,
       {"<h1>Storage of server.json</h1>", "<dd>1970-01-01 00:00:00 +0000</dd>",
        "<dd>A storage server: a SATA boot disk,", "235 entries in the tree, 120 panels."},
       ""},
      {"failing-layout.json", "", 1,
       {"<li>IOCTL_DISK_GET_DRIVE_LAYOUT_EX Error</li>",
        "<li>the scan stopped with error 1117; what was scanned is shown</li>"},
       "the scan stopped with error 1117"},
      {"server.json", "/nonexistent-folder/report.html", 1, {}, "/nonexistent-folder/report.html: cannot write"},
#ifdef __linux__
      {"server.json", "/dev/full", 1, {}, "/dev/full: cannot write the report"},
#endif
  };
  for (const Case& c : cases) {
    std::filesystem::remove(file);
    std::vector<std::string> args = {"--machine", SamplePath(c.sample), "report"};
    if (!c.output.empty()) args.insert(args.end(), {"-o", c.output});
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.status, c.status) << c.sample << " " << c.output << "\n" << run.err;
    EXPECT_NE(run.err.find(c.onStderr), std::string::npos) << run.err;
    std::string page = run.out;
    if (c.output == file) {
      EXPECT_EQ(run.out, "");
      std::ifstream in(file, std::ios::binary);
      page.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
      // The same page as on stdout.
      EXPECT_EQ(page, RunCli({"--machine", SamplePath(c.sample), "report", "-o", "-"}).out);
    }
    if (c.inPage.empty()) {
      EXPECT_EQ(page, "");
    }
    for (const std::string& text : c.inPage) EXPECT_NE(page.find(text), std::string::npos) << text;
  }
  std::filesystem::remove(file);
  EXPECT_FALSE(std::filesystem::exists("/nonexistent-folder/report.html"));
}
