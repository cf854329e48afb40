// What the detail pane does, without a toolkit: show the panel of each node the
// document makes current, and turn a double click in a list into a new current
// node. The widget pushes the form state into its controls after each update.
#pragma once

#include <functional>

#include "scan/document_listener.h"
#include "scan/progress_sink.h"
#include "scan/quelbrin_doc.h"
#include "ui/form_state.h"

// Forwards progress to the frame, but lets the pane show the filled panel
// (`show`) before the splash screen closes over it.
class ShowThenClose : public ProgressSink {
 public:
  // `frame` may be null.
  ShowThenClose(std::function<void()> show, ProgressSink* frame) : show_(std::move(show)), frame_(frame) {}
  void SetProgressText(const std::wstring& text) override {
    if (frame_ != nullptr) frame_->SetProgressText(text);
  }
  void SetProgressRange(int lower, int upper) override {
    if (frame_ != nullptr) frame_->SetProgressRange(lower, upper);
  }
  void StepProgress() override {
    if (frame_ != nullptr) frame_->StepProgress();
  }
  void RestartSplash() override {
    if (frame_ != nullptr) frame_->RestartSplash();
  }
  void CloseSplash() override {
    show_();
    if (frame_ != nullptr) frame_->CloseSplash();
  }

 private:
  std::function<void()> show_;
  ProgressSink* frame_;
};

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
