// The right pane of the frame: the detail form when it is built with the
// program, otherwise a blank pane that follows the document all the same
// (form state, splash closing, help page), so that the frame works either way.
#pragma once

#include "platform/win_types.h"

#include "scan/document_listener.h"
#include "scan/progress_sink.h"
#include "scan/quelbrin_doc.h"
#include "ui/detailed_form.h"

#if defined(QUELBRIN_WIN32_FORM)
#include "app/win32/form/detail_pane.h"
using DetailPane = Win32DetailPane;
#else

class BlankDetailPane : public DocumentListener {
 public:
  BlankDetailPane(HWND parent, CQuelbrinDoc& document, ProgressSink* progress);
  ~BlankDetailPane() override;
  BlankDetailPane(const BlankDetailPane&) = delete;
  BlankDetailPane& operator=(const BlankDetailPane&) = delete;

  HWND Window() const { return window; }
  void OnInitialUpdate() { form.OnInitialUpdate(); }
  void OnUpdate(UpdateHint hint, StorageNode* node) override { form.OnUpdate(hint, node); }
  const FormState& Form() const { return form.Form(); }
  HWND Control(ControlId) const { return nullptr; }
  const char* HelpPageAt(POINT screenPoint) const;

 private:
  HWND window = nullptr;
  DetailedForm form;
  Subscription subscription;
};
using DetailPane = BlankDetailPane;
#endif
