// What the removal and location logic need from the main window: its message
// boxes, status line, location box and progress window. Tests script it.
#pragma once

#include <string>

#include "services/services.h"

enum class BoxStyle { Ok, OkCancel, YesNo };

// The button the user pressed, with the Windows values (IDOK, IDCANCEL, IDYES, IDNO).
enum class BoxAnswer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

class IRunUi {
 public:
  virtual ~IRunUi() = default;

  // A message box owned by the main window, no icon, first button default.
  // `caption` null: the application's title; any other text, the empty one
  // included, is shown as it stands.
  virtual BoxAnswer ShowMessage(const std::string& text, const char* caption,
                                BoxStyle style) = 0;

  // Main window.
  virtual WindowHandle MainWindow() = 0;                     // owner of shell operations
  virtual void SetStatusText(const std::string& text) = 0;   // status line, control 1003
  virtual void SetLocationText(const std::string& text) = 0; // location box, control 1000

  // Progress window.
  virtual void SetStepText(const std::string& text) = 0;   // title line text at creation
  virtual bool CreateProgress() = 0;                       // create and show
  virtual void SetTitleLine(const std::string& text) = 0;
  virtual void SetDetailLine(const std::string& text) = 0;
  virtual void RedrawProgress() = 0;                       // repaint at once
  virtual void BringProgressToTop() = 0;
  virtual void DestroyProgress() = 0;
};
