// The main window: shows whether and where the product is installed, lets the
// user browse for another folder and choose whether the student data is
// saved, and starts or cancels the removal. It owns everything the program
// knows, and serves the removal through its base MainWindowUi.
#pragma once

#include <string>

#include "dialog/dialog.h"
#include "removal/uninstall_engine.h"
#include "services/services.h"
#include "shared/uninstall_state.h"
#include "ui/main_window_ui.h"
#include "ui/progress_dlg.h"

class CUninstallDlg : public CDialog, public MainWindowUi {
 public:
  explicit CUninstallDlg(IWindowsServices& services, CWnd* parent = nullptr);

 protected:
  void DoDataExchange(CDataExchange& dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  bool OnClicked(UINT id) override;
  bool OnSysCommand(UINT id, LPARAM lParam) override;
  bool OnPaint() override;
  HICON OnQueryDragIcon() override;

 private:
  void OnBrowse();
  void AddAboutItem();

  IWindowsServices& m_services;
  UninstallState m_state;     // location, version, user name, failure list
  CProgressDlg m_progress;    // on screen only while a removal runs
  UninstallEngine m_engine;
  CButton m_saveCheck;        // control 1002
  CStatic m_status;           // control 1003
  CEdit m_locationEdit;       // control 1000
  HICON m_hIcon;              // shared; not destroyed by the window
};
