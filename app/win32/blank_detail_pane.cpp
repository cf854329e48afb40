#include "app/win32/detail_pane.h"

#if !defined(QUELBRIN_WIN32_FORM)

#include "ui/form_layout.h"

BlankDetailPane::BlankDetailPane(HWND parent, CQuelbrinDoc& document, ProgressSink* progress)
    : form(document, progress) {
  window = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
  subscription = document.Subscribe(*this);
}

BlankDetailPane::~BlankDetailPane() {
  subscription.Reset();
  if (window != nullptr && ::IsWindow(window)) ::DestroyWindow(window);
}

const char* BlankDetailPane::HelpPageAt(POINT) const {
  const PanelInfo* panel = PanelOfControl(form.Form().PanelOnDisplay());
  return panel != nullptr ? panel->helpPage : "index.html";
}

#endif
