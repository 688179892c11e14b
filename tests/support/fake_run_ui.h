// A main window for tests and benchmarks: answers message boxes from a
// script and records every box and every progress operation in the order
// they happen. For long runs it can keep counts only.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "shared/run_ui.h"

class FakeRunUi : public IRunUi {
 public:
  struct Box {
    std::string text;
    std::optional<std::string> caption;  // empty optional: no caption given
    BoxStyle style;
    BoxAnswer answer;
  };

  static constexpr WindowHandle kMainWindow = 0x4242;

  // `keepEvents` false: Events() stays empty (boxes and counts are kept).
  explicit FakeRunUi(bool keepEvents = true, WindowHandle mainWindow = kMainWindow)
      : m_keepEvents(keepEvents), m_mainWindow(mainWindow) {}

  // Answers for the next boxes, in order. Without one, a box gets its first
  // button (OK or Yes).
  void Answer(BoxAnswer answer) { m_answers.push_back(answer); }

  const std::vector<Box>& Boxes() const { return m_boxes; }
  // Everything in order: "box:<text>", "status:<text>", "location:<text>",
  // "step:<text>", "create", "title:<text>", "detail:<text>", "redraw", "top",
  // "destroy".
  const std::vector<std::string>& Events() const { return m_events; }
  long DetailUpdates() const { return m_detailUpdates; }
  long Redraws() const { return m_redraws; }
  bool ProgressShown() const { return m_progressShown; }
  bool ProgressOpen() const { return m_progressOpen; }
  std::string StatusText() const { return m_status; }
  std::string LocationText() const { return m_location; }
  // The events of one kind, without their "kind:" prefix.
  std::vector<std::string> EventsOf(const std::string& kind) const;
  // True when some box's text contains `part`.
  bool AnyBoxContains(const std::string& part) const;

  BoxAnswer ShowMessage(const std::string& text, const char* caption, BoxStyle style) override;
  WindowHandle MainWindow() override { return m_mainWindow; }
  void SetStatusText(const std::string& text) override;
  void SetLocationText(const std::string& text) override;
  void SetStepText(const std::string& text) override;
  bool CreateProgress() override;
  void SetTitleLine(const std::string& text) override;
  void SetDetailLine(const std::string& text) override;
  void RedrawProgress() override;
  void BringProgressToTop() override;
  void DestroyProgress() override;

  // Called with each box while it is "open", before it is answered.
  std::function<void(const Box&)> onBox;

 private:
  void Record(std::string event);

  bool m_keepEvents;
  WindowHandle m_mainWindow;
  std::deque<BoxAnswer> m_answers;
  std::vector<Box> m_boxes;
  std::vector<std::string> m_events;
  std::string m_status;
  std::string m_location;
  bool m_progressShown = false;
  bool m_progressOpen = false;
  long m_detailUpdates = 0;
  long m_redraws = 0;
};
