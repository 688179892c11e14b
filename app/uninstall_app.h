// The application object: runs the main window and ends the program when it
// closes.
#pragma once

#include "dialog/win_app.h"

class CUninstallApp : public CWinApp {
 public:
  CUninstallApp();

  BOOL InitInstance() override;
};
