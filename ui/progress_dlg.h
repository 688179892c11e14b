// The progress window: two centred lines shown while a removal runs, which
// the run sets through the main window's IRunUi. It cannot be closed by the
// user: Enter, Escape, Alt+F4 and WM_CLOSE are ignored, since the window is
// modeless and only the run that opened it may end it.
#pragma once

#include <string>

#include "dialog/dialog.h"

class CProgressDlg : public CDialog {
 public:
  explicit CProgressDlg(CWnd* parent = nullptr);

  // Keeps the text that the title line receives when the window is next
  // created; a window that already exists is not touched.
  void SetStepText(std::string text);
  // Creates the window, shown at once; the main window owns it.
  bool Create();
  // Each line is written only while the window exists, and painted at once:
  // the run dispatches no messages.
  void SetTitleLine(const std::string& text);
  void SetDetailLine(const std::string& text);
  void Redraw();  // the whole window, at once
  void BringToTop();

 protected:
  void DoDataExchange(CDataExchange& dx) override;
  bool OnClicked(UINT id) override;
  bool OnSysCommand(UINT id, LPARAM lParam) override;

 private:
  void WriteLine(CStatic& line, const std::string& text);

  CStatic m_detailLine;  // control 1005
  CStatic m_titleLine;   // control 1004
  std::string m_stepText;
};
