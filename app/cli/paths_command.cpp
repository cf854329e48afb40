#include "app/cli/paths_command.h"

#include "platform/wide_text.h"
#include "ui/text/node_lookup.h"

void PrintNodePaths(CQuelbrinDoc& doc, std::ostream& out) {
  ForEachNameableNode(doc, [&out](const std::wstring& path, StorageNode*) { out << VisibleUtf8(path) << '\n'; });
}
