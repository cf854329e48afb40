// One node's panel as HTML: what the form state on display shows, in the
// panel's reading order: fields as a definition list, frames as sections, lists
// as tables, list boxes as lists and charts as inline SVG.
#pragma once

#include <functional>
#include <ostream>
#include <string>

class FormState;
class StorageNode;

// The id of a node's panel in the page, or null for a node without one.
using PanelIdOf = std::function<const std::string*(const StorageNode*)>;

// Writes the panel on display, without its title. A row that stands for a node
// with a panel links to that panel, as a double click on it selects the node.
void WritePanelHtml(const FormState& form, const PanelIdOf& panelIdOf, std::ostream& out);
