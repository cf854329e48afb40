#include "ui/detailed_form.h"

#include "ui/form_layout.h"
#include "ui/panels.h"

DetailedForm::DetailedForm(CQuelbrinDoc& document, ProgressSink* sink) : doc(document), progress(sink) {}

void DetailedForm::OnInitialUpdate() { OnUpdate(HintInitialUpdate, doc.GetCurrentNode()); }

void DetailedForm::OnUpdate(UpdateHint hint, StorageNode* node) {
  if (hint == HintModelGone) {
    form.Reset();
    return;
  }
  if (node == nullptr) return;
  ShowNodePanel(form, node);
  // The first panel shown after a scan ends its splash screen.
  if (progress != nullptr) progress->CloseSplash();
}

void DetailedForm::OnListDoubleClick(ControlId listId, int row) {
  // The identifier list's rows stand for no node and it has no handler.
  if (HasStyle(listId, kRowsOpenNodes)) doc.SetCurrentNode(form.NodeAtRow(listId, row));
}
