// The main window as the run reaches it (IRunUi): its message boxes and its
// handle, its status line and location box, and the progress window, each
// call passed on as it stands.
#pragma once

#include <string>

#include "shared/run_ui.h"
#include "ui/progress_dlg.h"

class MainWindowUi : public IRunUi {
 public:
  // Keeps the references only: the main window hands in its own members.
  MainWindowUi(CDialog& window, CStatic& status, CEdit& location, CProgressDlg& progress)
      : m_window(window), m_statusLine(status), m_locationBox(location),
        m_progressWindow(progress) {}

  BoxAnswer ShowMessage(const std::string& text, const char* caption, BoxStyle style) override {
    const UINT buttons =
        style == BoxStyle::OkCancel ? MB_OKCANCEL : style == BoxStyle::YesNo ? MB_YESNO : MB_OK;
    // No icon flag and MB_DEFBUTTON1: the first button (OK or Yes) is the default.
    const int answer = m_window.MessageBox(text.c_str(), caption, buttons | MB_DEFBUTTON1);
    // IDCANCEL, and 0 when the box could not be shown, are never a consent.
    return answer == IDOK || answer == IDYES || answer == IDNO ? static_cast<BoxAnswer>(answer)
                                                               : BoxAnswer::Cancel;
  }
  WindowHandle MainWindow() override {
    return reinterpret_cast<WindowHandle>(m_window.GetSafeHwnd());
  }
  void SetStatusText(const std::string& text) override { m_statusLine.SetWindowText(text); }
  void SetLocationText(const std::string& text) override { m_locationBox.SetWindowText(text); }
  void SetStepText(const std::string& text) override { m_progressWindow.SetStepText(text); }
  bool CreateProgress() override { return m_progressWindow.Create(); }
  void SetTitleLine(const std::string& text) override { m_progressWindow.SetTitleLine(text); }
  void SetDetailLine(const std::string& text) override { m_progressWindow.SetDetailLine(text); }
  void RedrawProgress() override { m_progressWindow.Redraw(); }
  void BringProgressToTop() override { m_progressWindow.BringToTop(); }
  void DestroyProgress() override { m_progressWindow.DestroyWindow(); }

 private:
  CDialog& m_window;
  CStatic& m_statusLine;
  CEdit& m_locationBox;
  CProgressDlg& m_progressWindow;
};
