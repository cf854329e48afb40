#include "app/common/show_command.h"

#include <filesystem>
#include <fstream>

#include "platform/wide_text.h"
#include "ui/detailed_form.h"
#include "ui/text/form_printer.h"
#include "ui/text/node_lookup.h"

int ShowNodeCommand(CQuelbrinDoc& doc, const std::string& name, const std::optional<std::string>& svgDir,
                    std::ostream& out, std::ostream& err) {
  const NodeLookup found = FindNode(doc, name);
  if (found.node == nullptr) {
    err << "quelbrin-cli: " << found.error << "\n";
    return 2;
  }
  DetailedForm view(doc, nullptr);
  view.OnUpdate(HintSelectNode, found.node);
  PrintForm(view.Form(), out);
  if (!svgDir) return 0;

  std::error_code code;
  const std::filesystem::path dir = PathFromUtf8(*svgDir);
  std::filesystem::create_directories(dir, code);
  if (code) {
    err << "quelbrin-cli: cannot create " << Utf8FromPath(dir) << ": " << code.message() << "\n";
    return 2;
  }
  for (const ChartFile& chart : RenderPanelCharts(view.Form())) {
    const std::filesystem::path path = dir / chart.fileName;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << chart.svg;
    file.close();
    if (!file) {
      err << "quelbrin-cli: cannot write " << Utf8FromPath(path) << "\n";
      return 2;
    }
    err << "wrote " << Utf8FromPath(path) << "\n";
  }
  return 0;
}
