// The machine's ANSI code page, shared by the steps of one main window and
// asked for when it is first needed (the services may be set up after the
// steps are made).
#pragma once

#include "platform/services.h"

class MachineCodePage {
 public:
  explicit MachineCodePage(IWindowsServices& services) : m_services(services) {}
  const AnsiCodePage& Get() {
    if (!m_loaded) m_codePage = m_services.CodePage();
    m_loaded = true;
    return m_codePage;
  }

 private:
  IWindowsServices& m_services;
  AnsiCodePage m_codePage;
  bool m_loaded = false;
};
