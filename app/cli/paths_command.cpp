#include "app/cli/paths_command.h"

#include "platform/wide_text.h"
#include "ui/text/node_lookup.h"

void PrintNodePaths(CQuelbrinDoc& doc, std::ostream& out) {
  for (const NamedNode& entry : NameableNodes(doc)) out << VisibleUtf8(entry.path) << '\n';
}
