// The main window's port for benchmarks: every message box is answered with
// its first button at once (OK, or Yes), and nothing is drawn. Progress
// updates are counted; a subclass may show them in a real window.
#pragma once

#include <string>
#include <vector>

#include "removal/run_ui.h"

class AnsweringUi : public IRunUi {
 public:
  BoxAnswer ShowMessage(const std::string& text, const char*, BoxStyle style) override {
    messages.push_back(text);
    return style == BoxStyle::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
  }
  WindowHandle MainWindow() override { return 0; }
  void SetStatusText(const std::string&) override {}
  void SetLocationText(const std::string&) override {}
  void SetStepText(const std::string&) override {}
  bool CreateProgress() override { return true; }
  void SetTitleLine(const std::string&) override {}
  void SetDetailLine(const std::string&) override { ++detailUpdates; }
  void RedrawProgress() override { ++redraws; }
  void BringProgressToTop() override {}
  void DestroyProgress() override {}

  std::vector<std::string> messages;  // every box shown, in order
  long detailUpdates = 0;
  long redraws = 0;
};
