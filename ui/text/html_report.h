// The whole machine as one self-contained HTML page, to keep or hand on: the
// tree as nested collapsible lists, every node's panel with its lists and
// charts, and where and when the machine was read. The page loads nothing and
// runs nothing; it reads on a screen, a phone and paper.
#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

class CQuelbrinDoc;

struct ReportHeading {
  // The machine in the page's title: its host name, or its machine file's name.
  std::wstring machine;
  // Further lines of the heading, label and value: the machine's description,
  // when it was read, which mount points are shown.
  std::vector<std::pair<std::wstring, std::wstring>> facts;
  // What the scan could not do, shown above everything else.
  std::vector<std::wstring> warnings;
};

// Writes the page for the document's model as it is now. Every tree entry
// links to its node's panel and every panel back to the tree.
void WriteHtmlReport(CQuelbrinDoc& doc, const ReportHeading& heading, std::ostream& out);
