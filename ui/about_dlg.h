// The About box, opened from the main window's system menu.
#pragma once

#include "dialog/dialog.h"

class CAboutDlg : public CDialog {
 public:
  CAboutDlg();
};
