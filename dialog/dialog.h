// Dialogs built from resource templates, modal or modeless, with their
// handlers as virtual functions and the data exchange with their controls.
#pragma once

#include <windows.h>

#include <string>

#include "dialog/wnd.h"

// One exchange between a dialog and its controls. Towards the window it binds
// controls and writes texts; back from the window it reads the texts.
class CDataExchange {
 public:
  CDataExchange(HWND dialog, bool fromWindow) : m_dialog(dialog), m_fromWindow(fromWindow) {}

  // Binds control `id` to `control` on an exchange towards the window, so a
  // window created anew is bound anew; binding again changes nothing.
  void Control(int id, CWnd& control);
  // Writes `text` into control `id`, or reads the control back into `text`.
  void Text(int id, std::string& text);

 private:
  HWND m_dialog;
  bool m_fromWindow;
};

class CDialog : public CWnd {
 public:
  // `parent` null: the application's main window owns the dialog, unless the
  // dialog is itself the main window.
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  // A modeless window that is still open is destroyed with its object.
  ~CDialog() override;

  // Runs the dialog modally; the result of EndDialog, or -1 when the window
  // could not be created.
  INT_PTR DoModal();
  // Creates the dialog modeless from `templateId`; shown at once when its
  // template is visible. False when the window could not be created.
  bool Create(UINT templateId, CWnd* parent = nullptr);
  bool DestroyWindow();
  void EndDialog(int result);
  // Runs DoDataExchange towards the controls (false) or back from them (true).
  void UpdateData(bool fromWindow);

  // A message box owned by this dialog. A null caption shows the
  // application's title; any other, the empty one included, stands as given.
  int MessageBox(const char* text, const char* caption = nullptr, UINT style = MB_OK);

 protected:
  virtual void DoDataExchange(CDataExchange& dx);
  // Runs the exchange towards the controls; TRUE lets the dialog manager
  // give the focus to the first tab stop.
  virtual BOOL OnInitDialog();
  // Reads the controls back and ends the dialog with IDOK.
  virtual void OnOK();
  // Ends the dialog with IDCANCEL.
  virtual void OnCancel();

  // Handlers that return false leave the message to the default handling.
  virtual bool OnClicked(UINT id);  // BN_CLICKED, and commands such as IDOK
  virtual bool OnSysCommand(UINT id, LPARAM lParam);
  virtual bool OnPaint();
  virtual HICON OnQueryDragIcon();  // null: the default image

 private:
  static INT_PTR CALLBACK DialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  HWND OwnerWindow(CWnd* parent) const;

  UINT m_templateId;
  CWnd* m_parent;
};
