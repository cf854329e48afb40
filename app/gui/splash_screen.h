// CQuelbrinSplashScreen: the small window that follows a scan and the tree
// build. It lives on the main thread, like every window of the program: each
// progress call changes it and repaints it at once, handling paint and layout
// events only, so no click or key reaches the program while it scans.
#pragma once

#include <chrono>
#include <functional>

#include <wx/dialog.h>

#include "app/gui/progress_bar_state.h"

class wxStaticText;

class CQuelbrinSplashScreen : public wxDialog {
 public:
  // Shows the splash over `owner` with "Initializing" and an empty bar from 0
  // to 100, on the screen and painted before the constructor returns.
  explicit CQuelbrinSplashScreen(wxWindow* owner);

  void SetStatusText(const wxString& text);
  void SetProgressBarRange(int lower, int upper);
  void StepProgressBar();

  wxString StatusText() const;
  const ProgressBarState& Bar() const { return bar; }
  // How much of the bar is filled, in thousandths.
  int GaugeValue() const;

  // Called when the user closes the window with its close box (possible only
  // between scans); the window destroys itself afterwards.
  std::function<void()> onClosedByUser;

 private:
  class ProgressBarWindow;

  // Moves the data into the controls and paints them now.
  void Repaint();
  void OnClose(wxCloseEvent& event);

  wxStaticText* status = nullptr;
  ProgressBarWindow* gauge = nullptr;
  ProgressBarState bar;
  bool painted = false;
  // Steps since the range or text last changed, and when a step was last
  // shown: a long run of steps is shown at the screen's pace, not each one.
  int steps = 0;
  std::chrono::steady_clock::time_point shown;
};

// Processes the paint and layout events waiting for the program's windows,
// leaving user input queued.
void PaintPendingWindows();
