// What the detail pane does, without a toolkit: show the panel of each node the
// document makes current, and turn a double click in a list into a new current
// node. The widget pushes the form state into its controls after each update.
#pragma once

#include "scan/document_listener.h"
#include "scan/progress_sink.h"
#include "scan/quelbrin_doc.h"
#include "ui/form_state.h"

class DetailedForm : public DocumentListener {
 public:
  // `progress` may be null when there is no frame with a splash screen.
  DetailedForm(CQuelbrinDoc& document, ProgressSink* progress);

  // Shows the document's current node.
  void OnInitialUpdate();
  // A node of a known kind shows its panel; a null node or an unknown kind
  // changes nothing. When the model is gone the form returns to its template
  // state so that no row refers to a deleted node.
  void OnUpdate(UpdateHint hint, StorageNode* node) override;
  // The row's node becomes current; a click beside the rows (row -1) hands the
  // document no node.
  void OnListDoubleClick(ControlId listId, int row);

  const FormState& Form() const { return form; }

 private:
  CQuelbrinDoc& doc;
  ProgressSink* progress;
  FormState form;
};
